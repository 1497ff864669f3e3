#include "core/common/locations.h"

#include "norva_version.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

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

namespace {

// The names of the settings file and of the table definitions.
QString settingsName()
{
    return productName() + QStringLiteral(".ini");
}

QString tablesName()
{
    return productName() + QStringLiteral(".dat");
}

} // namespace

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
    f.settingsFile = joinPath(dir, settingsName());
    f.tablesFile = joinPath(dir, tablesName());
    f.defaultScoreFile = joinPath(dir, QStringLiteral("MjScore.txt"));
    f.manualFile = joinPath(dir, QStringLiteral("Readme.txt"));
    return f;
}

FileLocations FileLocations::installed(const QString &dir, const QString &configHome,
                                       const QString &home)
{
    const QString data = QDir::cleanPath(joinPath(dir, QStringLiteral(NORVA_DATA_FROM_BIN)));
    const QString config = joinPath(configHome, productName());
    FileLocations f;
    f.isPortable = false;
    f.programDir = dir;
    f.settingsFile = joinPath(config, settingsName());
    const QString ownTables = joinPath(config, tablesName());
    f.tablesFile = QFileInfo::exists(ownTables) ? ownTables : joinPath(data, tablesName());
    f.defaultScoreFile = joinPath(home, QStringLiteral("MjScore.txt"));
    f.manualFile = joinPath(data, QStringLiteral("Readme.txt"));
    return f;
}

FileLocations FileLocations::ofProgram()
{
    const QString dir = executableDir();
    if (QFileInfo::exists(joinPath(dir, tablesName())))
        return portable(dir);
    return installed(dir, QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation),
                     QDir::homePath());
}

} // namespace norva
