#include "core/common/paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace norva {

namespace {

QString &programDirOverride()
{
    static QString dir;
    return dir;
}

} // namespace

QString programDir()
{
    if (!programDirOverride().isEmpty())
        return programDirOverride();
    if (QCoreApplication::instance())
        return QDir::toNativeSeparators(QCoreApplication::applicationDirPath());
    const QFileInfo exe(QStringLiteral("/proc/self/exe"));
    return QDir::toNativeSeparators(QFileInfo(exe.symLinkTarget()).absolutePath());
}

QString joinPath(const QString &folder, const QString &fileName)
{
    const QChar sep = QDir::separator();
    if (folder.endsWith(sep))
        return folder + fileName;
    return folder + sep + fileName;
}

QString besideExecutable(const QString &fileName)
{
    return joinPath(programDir(), fileName);
}

void setProgramDirForTests(const QString &dir)
{
    programDirOverride() = dir;
}

} // namespace norva
