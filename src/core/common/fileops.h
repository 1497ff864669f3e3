#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <atomic>

// The program's dealings with the file system: names, identities, reading a
// file that may block, and writes that never replace what is not ours. Every
// call the operating system offers only on some platforms lives here.
namespace norva {

// Set when a long read should stop (an exit signal sets it from its handler).
using CancelFlag = std::atomic<bool>;
static_assert(CancelFlag::is_always_lock_free);

// Raises Cancelled when cancel is given and set.
void checkCancel(const CancelFlag *cancel);

namespace fileops {

// File names as the system holds them: UTF-8, except that a name that is not
// valid UTF-8 keeps every byte that cannot be decoded as one of U+DC80..U+DCFF,
// so that any name from the command line still reaches its file.
QString decodeName(QByteArrayView native);
QByteArray encodeName(const QString &path);

// path made absolute against the current folder and cleaned of "." and ".."
// parts, its undecodable bytes kept (which QFileInfo would not).
QString absolutePath(const QString &path);

// A file's identity, whatever name reaches it.
struct FileId
{
    quint64 device = 0;
    quint64 inode = 0;
    friend bool operator==(const FileId &, const FileId &) = default;
};

enum class FileType {
    Missing, // nothing there, or a link that leads nowhere
    Regular,
    Directory,
    CharDevice, // /dev/null, a terminal
    Other,      // a named pipe, a socket, a block device
};

// What a path names, links followed. Never raises: what cannot be asked
// about counts as missing.
struct FileStatus
{
    FileType type = FileType::Missing;
    FileId id;
    qint64 size = 0;
    bool readable = false;
    bool writable = false;
    bool hidden = false; // the name starts with a dot
    qint64 modified = 0; // the last change of its content, in nanoseconds since 1970
};
FileStatus status(const QString &path);

// True when a and b describe one version of one regular file: the same
// identity, size and time of the last change.
bool sameVersion(const FileStatus &a, const FileStatus &b);

// The home folder of the account the program runs under, as the system's
// user database gives it; empty when it gives none.
QString accountHome();

// True when path exists and carries every attribute bit of mask: 1 read-only,
// 2 hidden, 4 system, 16 directory, 32 archive (every regular file). Mask 0 is
// the existence test. Never raises.
bool hasAttributes(const QString &path, qint32 mask);

// True when path names the very file that this process's standard output
// goes to (/dev/stdout, or the file it was redirected to).
bool isStandardOutput(const QString &path);

// True when the process's standard error goes to a terminal.
bool standardErrorIsTerminal();

// True when nobody reads the process's standard output any more (the reading
// end of its pipe was closed). Asks without writing and without waiting.
bool standardOutputClosed();

// A regular file opened for reading.
class InputFile
{
public:
    // Raises FileNotFound, ReadDenied, NotRegularFile (a directory, a pipe, a
    // device) or FileAccess (an empty name or one holding NUL). A named pipe
    // never keeps the opening waiting.
    explicit InputFile(const QString &path);
    ~InputFile();
    InputFile(const InputFile &) = delete;
    InputFile &operator=(const InputFile &) = delete;

    // The size when it was opened.
    qint64 size() const { return m_size; }
    // The file itself, whatever name led to it.
    FileId id() const { return m_id; }
    // Up to n bytes into buf; 0 at the end of the file. Raises IoError, and
    // Cancelled once cancel is set: a read that waits (a file of the kernel's)
    // is given up when a signal interrupts it and has set the flag.
    qint64 read(char *buf, qint64 n, const CancelFlag *cancel = nullptr);
    // The same from offset on, wherever the reading stands.
    qint64 readAt(qint64 offset, char *buf, qint64 n, const CancelFlag *cancel = nullptr);
    // What is left of the file, at most limit bytes. Raises as read does.
    QByteArray readUpTo(qsizetype limit, const CancelFlag *cancel = nullptr);

private:
    struct Native;
    Native *m_native = nullptr;
    qint64 m_size = 0;
    FileId m_id;
};

// Where a write to path would go. An existing target that is neither a
// regular file nor a character device (after following links) raises
// NotRegularFile: a named pipe, a socket or a folder is never replaced. A
// target that is one of the files of protect (compared by identity, not by
// name) raises ProtectedFile.
enum class WriteTarget { New, Regular, Device };
WriteTarget checkWriteTarget(const QString &path, const QStringList &protect = {});

// Makes path hold data. A regular (or new) file is replaced only once the new
// content is complete and on the disk: it is written into a temporary file of
// a short name of its own in the same folder (so that any name the file
// system takes can be written), synced, and renamed over the old one, keeping
// its permissions; a link stays a link and its target is replaced. A
// character device is written in place. Raises as checkWriteTarget does, and
// PermissionDenied (the folder or the file refuses), FileNotFound (no such
// folder), DiskFull or IoError; the old file is then untouched and no
// temporary file is left.
void writeWhole(const QString &path, const QByteArray &data, const QStringList &protect = {});

// The name under which a backup of the file of identity of is kept:
// preferred itself when nothing stands there, a symbolic link stands there
// (the backup replaces the link, never its target) or it is that file
// already; else the first such of preferred.2, preferred.3 ... preferred.99.
// A file that stands there otherwise (an earlier backup, a folder) is never
// replaced. Empty when no name is free.
QString backupName(const QString &preferred, const FileId &of);

// Keeps the file at path as backup (a name that backupName gave), but only
// while it is still the version was describes: false, keeping nothing, when
// the file is gone or another one. The backup is a second name for the file
// where the file system allows (nothing needs to be read), else a copy; it is
// moved over the name backup in one step. Raises FileAccess when backup is
// taken by another file meanwhile, else as writeWhole does.
bool keepBackup(const QString &path, const QString &backup, const FileStatus &was);

} // namespace fileops
} // namespace norva
