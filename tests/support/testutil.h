#pragma once

#include "core/common/cp932.h"
#include "core/common/locations.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace testutil {

// A temporary folder that stands in for the executable's folder. While it
// lives it is the current one, where the programs a test starts keep their
// files.
class ProgramDir
{
public:
    ProgramDir();
    ~ProgramDir();
    ProgramDir(const ProgramDir &) = delete;
    ProgramDir &operator=(const ProgramDir &) = delete;

    QString path() const { return m_dir.path(); }
    QString file(const QString &name) const { return m_dir.filePath(name); }
    // Every file of the program in this folder.
    norva::FileLocations locations() const { return norva::FileLocations::portable(path()); }

    // The folder of the newest ProgramDir still alive, else null.
    static const ProgramDir *current();

private:
    QTemporaryDir m_dir;
    const ProgramDir *m_previous;
};

inline QByteArray readAll(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

inline bool writeAll(const QString &path, const QByteArray &data)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return f.write(data) == data.size();
}

// Lines encoded in CP932, each ended by CR LF.
inline QByteArray cp932Lines(const QStringList &lines)
{
    QByteArray out;
    for (const QString &l : lines)
        out += norva::cp932::encodeLossy(l) + "\r\n";
    return out;
}

inline QByteArray fixture(const QString &name)
{
    return readAll(QStringLiteral(NORVA_TEST_DATA "/") + name);
}

// Tests run as root in CI, and root writes into any folder. While an instance
// lives, the process gives up the capability that lets it ignore file
// permissions, so a folder without write permission refuses it as it would
// refuse a user.
class HonourPermissions
{
public:
    HonourPermissions()
    {
        if (::geteuid() != 0)
            return;
        if (::syscall(SYS_capget, &m_header, m_saved) != 0)
            return;
        __user_cap_data_struct data[2] = {m_saved[0], m_saved[1]};
        data[0].effective &=
            ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH) | (1u << CAP_FOWNER));
        m_dropped = ::syscall(SYS_capset, &m_header, data) == 0;
    }
    ~HonourPermissions()
    {
        if (m_dropped)
            ::syscall(SYS_capset, &m_header, m_saved);
    }

private:
    __user_cap_header_struct m_header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct m_saved[2]{};
    bool m_dropped = false;
};

} // namespace testutil
