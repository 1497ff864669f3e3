#include "core/common/locations.h"

#include "core/common/fileops.h"

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

QString executablePath()
{
    if (QCoreApplication::instance())
        return QCoreApplication::applicationFilePath();
    return QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget();
}

QString executableDir()
{
    return QDir::toNativeSeparators(QFileInfo(executablePath()).absolutePath());
}

UserFolders userFolders(const QString &homeVariable, const QString &configVariable,
                        const QString &accountHome)
{
    const auto usable = [](const QString &dir) {
        return QDir::isAbsolutePath(dir) && QDir::cleanPath(dir) != QDir::rootPath();
    };
    UserFolders f;
    if (QDir::isAbsolutePath(homeVariable)) {
        f.home = QDir::cleanPath(homeVariable);
    } else {
        f.homeChosen = true;
        f.home = usable(accountHome) ? QDir::cleanPath(accountHome) : QDir::tempPath();
    }
    f.configHome = QDir::isAbsolutePath(configVariable)
                       ? QDir::cleanPath(configVariable)
                       : joinPath(f.home, QStringLiteral(".config"));
    return f;
}

UserFolders userFolders()
{
    return userFolders(fileops::decodeName(qgetenv("HOME")),
                       fileops::decodeName(qgetenv("XDG_CONFIG_HOME")), fileops::accountHome());
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
    const UserFolders user = userFolders();
    FileLocations f = installed(dir, user.configHome, user.home);
    if (user.homeChosen)
        f.chosenHome = user.home;
    return f;
}

} // namespace norva
