#include "core/calc/session.h"

namespace norva {

Session::Session(FileLocations files)
    : m_files(std::move(files))
    , m_settings(m_files.defaultScoreFile)
{}

QStringList Session::runFiles() const
{
    return {m_settings.scoreFile(), m_files.settingsFile, m_files.tablesFile};
}

} // namespace norva
