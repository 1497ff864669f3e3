#include "core/calc/session.h"

#include <QDir>
#include <QFileInfo>

namespace norva {

Session::Session(FileLocations files)
    : m_files(std::move(files))
    , m_settings(m_files.defaultScoreFile)
{}

bool Session::saveSettings(const RetryPrompt &prompt)
{
    const QString folder = QFileInfo(m_files.settingsFile).absolutePath();
    if (!QFileInfo::exists(folder))
        QDir().mkpath(folder); // a failure shows as the write's own
    const QString scoreFile = m_settings.scoreFile();
    const bool forThisRun = !m_runScoreFile.isEmpty() && scoreFile == m_runScoreFile;
    if (forThisRun)
        m_settings.setValue(Settings::ScoreFile, m_storedScoreFile);
    // Whatever link leads from the settings file, it never replaces the score
    // log, the table definitions or the program.
    QStringList protect{m_settings.scoreFile(), m_files.defaultScoreFile, m_files.tablesFile,
                        executablePath()};
    if (!m_runScoreFile.isEmpty())
        protect << m_runScoreFile << m_storedScoreFile;
    const bool saved = m_settings.save(m_files.settingsFile, prompt, protect);
    if (forThisRun)
        m_settings.setValue(Settings::ScoreFile, scoreFile);
    return saved;
}

void Session::useScoreFileForThisRun(const QString &path)
{
    m_storedScoreFile = m_settings.scoreFile();
    m_runScoreFile = path;
    m_settings.setValue(Settings::ScoreFile, path);
}

QStringList Session::runFiles() const
{
    return {m_settings.scoreFile(), m_files.settingsFile, m_files.tablesFile, executablePath()};
}

} // namespace norva
