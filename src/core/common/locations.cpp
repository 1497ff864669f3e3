#include "core/common/locations.h"

#include "norva_version.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace norva {

QString productName()
{
    return QStringLiteral(NORVA_PRODUCT_NAME);
}

QString joinPath(const QString &folder, const QString &fileName)
{
    const QChar sep = QDir::separator();
    if (folder.endsWith(sep))
        return folder + fileName;
    return folder + sep + fileName;
}

QString executableDir()
{
    if (QCoreApplication::instance())
        return QDir::toNativeSeparators(QCoreApplication::applicationDirPath());
    const QFileInfo exe(QStringLiteral("/proc/self/exe"));
    return QDir::toNativeSeparators(QFileInfo(exe.symLinkTarget()).absolutePath());
}

FileLocations FileLocations::portable(const QString &dir)
{
    FileLocations f;
    f.programDir = dir;
    f.settingsFile = joinPath(dir, productName() + QStringLiteral(".ini"));
    f.tablesFile = joinPath(dir, productName() + QStringLiteral(".dat"));
    f.defaultScoreFile = joinPath(dir, QStringLiteral("MjScore.txt"));
    f.manualFile = joinPath(dir, QStringLiteral("Readme.txt"));
    return f;
}

FileLocations FileLocations::ofProgram()
{
    return portable(executableDir());
}

} // namespace norva
