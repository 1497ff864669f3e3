#include "core/common/fileops.h"

#include "core/common/error.h"
#include "core/common/utf8.h"

#include <QDir>
#include <QRandomGenerator>

#include <limits>

#if defined(Q_OS_UNIX)
#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#else
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#endif

namespace norva {

void checkCancel(const CancelFlag *cancel)
{
    if (cancel && cancel->load(std::memory_order_relaxed))
        raise(ErrorKind::Cancelled);
}

namespace fileops {

QByteArray InputFile::readUpTo(qsizetype limit, const CancelFlag *cancel)
{
    QByteArray data;
    for (;;) {
        const qsizetype at = data.size();
        const qsizetype room = qMin<qsizetype>(limit - at, 64 * 1024);
        if (room <= 0)
            break;
        data.resize(at + room);
        const qint64 n = read(data.data() + at, room, cancel);
        data.truncate(at + qsizetype(n));
        if (n == 0)
            break;
    }
    return data;
}

bool hasAttributes(const QString &path, qint32 mask)
{
    const FileStatus fs = status(path);
    if (fs.type == FileType::Missing)
        return false;
    qint32 attrs = 0;
    if (!fs.writable)
        attrs |= 1;
    if (fs.hidden)
        attrs |= 2;
    if (fs.type == FileType::Directory)
        attrs |= 16;
    else if (fs.type == FileType::Regular)
        attrs |= 32;
    return (attrs & mask) == mask;
}

bool sameVersion(const FileStatus &a, const FileStatus &b)
{
    return a.type == FileType::Regular && b.type == FileType::Regular && a.id == b.id
           && a.size == b.size && a.modified == b.modified;
}

// ------------------------------------------------------------------ names

namespace {

bool isEscapedByte(char16_t c)
{
    return c >= 0xDC80 && c <= 0xDCFF;
}

} // namespace

QString decodeName(QByteArrayView native)
{
    QString out;
    out.reserve(native.size());
    const auto *p = reinterpret_cast<const uchar *>(native.data());
    const uchar *const end = p + native.size();
    while (p < end) {
        const int n = utf8::sequenceLength(p, end);
        if (n == 0) {
            out += QChar(char16_t(0xDC00 | *p));
            ++p;
            continue;
        }
        out += QString::fromUtf8(reinterpret_cast<const char *>(p), n);
        p += n;
    }
    return out;
}

QByteArray encodeName(const QString &path)
{
    QByteArray out;
    out.reserve(path.size());
    const qsizetype size = path.size();
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t c = path.at(i).unicode();
        if (isEscapedByte(c) && (i == 0 || !QChar::isHighSurrogate(path.at(i - 1).unicode()))) {
            out += char(c & 0xFF);
            continue;
        }
        qsizetype n = 1;
        if (QChar::isHighSurrogate(c) && i + 1 < size
            && QChar::isLowSurrogate(path.at(i + 1).unicode()))
            n = 2;
        out += QStringView(path).mid(i, n).toUtf8();
        i += n - 1;
    }
    return out;
}

namespace {

bool usableName(const QString &path)
{
    // The system would take a name holding NUL for the shorter one in front of it.
    return !path.isEmpty() && !path.contains(QChar(0));
}

bool hiddenName(const QString &path)
{
    const qsizetype slash = path.lastIndexOf(u'/');
    return path.mid(slash + 1).startsWith(u'.');
}

// A hidden name of its own for a file in the making, short enough beside any
// name the file system takes: ".", eight hex digits, then suffix.
QString temporaryName(const char16_t *suffix)
{
    return QStringLiteral(".%1").arg(QRandomGenerator::global()->generate(), 8, 16, QChar(u'0'))
           + QStringView(suffix);
}

// The candidates for a backup's name, the preferred one first.
QString backupCandidate(const QString &preferred, int n)
{
    return n == 1 ? preferred : preferred + u'.' + QString::number(n);
}
constexpr int BackupNames = 99;

} // namespace

#if defined(Q_OS_UNIX)

QString absolutePath(const QString &path)
{
    if (path.isEmpty() || path.startsWith(u'/'))
        return QDir::cleanPath(path);
    QByteArray cwd(PATH_MAX, Qt::Uninitialized);
    if (!::getcwd(cwd.data(), size_t(cwd.size())))
        return QDir::cleanPath(QDir::currentPath() + u'/' + path);
    cwd.truncate(qsizetype(std::strlen(cwd.constData())));
    return QDir::cleanPath(decodeName(cwd) + u'/' + path);
}

namespace {

[[noreturn]] void raiseFromErrno(int err, const QString &path, bool reading)
{
    switch (err) {
    case ENOENT:
    case ENOTDIR:
        raise(ErrorKind::FileNotFound, path);
    case EACCES:
    case EPERM:
    case EROFS:
        raise(reading ? ErrorKind::ReadDenied : ErrorKind::PermissionDenied, path);
    case ENOSPC:
    case EDQUOT:
        raise(ErrorKind::DiskFull, path);
    case EIO:
        raise(ErrorKind::IoError, path);
    default:
        raise(ErrorKind::FileAccess, path);
    }
}

FileType typeOf(mode_t mode)
{
    if (S_ISREG(mode))
        return FileType::Regular;
    if (S_ISDIR(mode))
        return FileType::Directory;
    if (S_ISCHR(mode))
        return FileType::CharDevice;
    return FileType::Other;
}

QByteArray folderOf(const QByteArray &native)
{
    const qsizetype slash = native.lastIndexOf('/');
    if (slash < 0)
        return QByteArrayLiteral(".");
    if (slash == 0)
        return QByteArrayLiteral("/");
    return native.left(slash);
}

// The name a chain of links ends at (the name itself when it is no link), so
// that a write replaces the link's target and keeps the link.
QByteArray followLinks(QByteArray native)
{
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st;
        if (::lstat(native.constData(), &st) != 0 || !S_ISLNK(st.st_mode))
            return native;
        QByteArray target(PATH_MAX, Qt::Uninitialized);
        const ssize_t n = ::readlink(native.constData(), target.data(), size_t(target.size()));
        if (n <= 0 || n >= target.size())
            return native;
        target.truncate(n);
        native = target.startsWith('/') ? target : folderOf(native) + '/' + target;
    }
    return native;
}

void closeQuietly(int fd)
{
    if (fd >= 0)
        ::close(fd);
}

void writeAllTo(int fd, const QByteArray &data, const QString &path)
{
    const char *p = data.constData();
    qint64 left = data.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, size_t(left));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            raiseFromErrno(errno, path, false);
        }
        p += n;
        left -= n;
    }
}

bool sameFile(const struct stat &a, const QString &other)
{
    if (!usableName(other))
        return false;
    struct stat b;
    return ::stat(encodeName(other).constData(), &b) == 0 && a.st_dev == b.st_dev
           && a.st_ino == b.st_ino;
}

// The target of a write, checked: its native name (links followed) and what
// is there now.
struct Target
{
    QByteArray native;
    WriteTarget kind = WriteTarget::New;
    struct stat st = {};
};

Target examine(const QString &path, const QStringList &protect)
{
    if (!usableName(path))
        raise(ErrorKind::FileAccess, path);
    Target t;
    t.native = followLinks(encodeName(path));
    if (::stat(t.native.constData(), &t.st) != 0) {
        if (errno != ENOENT)
            raiseFromErrno(errno, path, false);
        return t;
    }
    if (S_ISCHR(t.st.st_mode)) {
        t.kind = WriteTarget::Device;
        return t;
    }
    if (!S_ISREG(t.st.st_mode))
        raise(ErrorKind::NotRegularFile, path);
    for (const QString &p : protect)
        if (sameFile(t.st, p))
            raise(ErrorKind::ProtectedFile, path);
    t.kind = WriteTarget::Regular;
    return t;
}

// A new file beside target, open for writing.
struct TempFile
{
    QByteArray native;
    int fd = -1;

    ~TempFile() { discard(); }
    void discard()
    {
        closeQuietly(fd);
        fd = -1;
        if (!native.isEmpty())
            ::unlink(native.constData());
        native.clear();
    }
};

void createTemp(TempFile &temp, const Target &target, const QString &path)
{
    const QByteArray folder = folderOf(target.native);
    for (int attempt = 0;; ++attempt) {
        const QByteArray name = folder + '/' + encodeName(temporaryName(u".tmp"));
        const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            temp.native = name;
            temp.fd = fd;
            break;
        }
        if (errno == EEXIST && attempt < 100)
            continue;
        if (errno == EINTR)
            continue;
        // No such folder: the name itself is wrong.
        if (errno == ENOENT || errno == ENOTDIR)
            raise(ErrorKind::FileAccess, path);
        raiseFromErrno(errno, path, false);
    }
    if (target.kind == WriteTarget::Regular) {
        // The new file takes the old one's permissions (and, for an
        // administrator, its owner).
        ::fchmod(temp.fd, target.st.st_mode & 07777);
        [[maybe_unused]] const int ignored = ::fchown(temp.fd, target.st.st_uid, target.st.st_gid);
    }
}

void syncAndClose(int &fd, const QString &path)
{
    if (::fsync(fd) != 0 && errno != EINVAL)
        raiseFromErrno(errno, path, false);
    const int rc = ::close(fd);
    fd = -1;
    if (rc != 0 && errno != EINTR)
        raiseFromErrno(errno, path, false);
}

void replaceWith(TempFile &temp, const Target &target, const QString &path)
{
    if (::rename(temp.native.constData(), target.native.constData()) != 0)
        raiseFromErrno(errno, path, false);
    temp.native.clear();
    // The rename itself reaches the disk with its folder.
    const int dir = ::open(folderOf(target.native).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
}

// An existing file that we may not write is not replaced behind its back.
void checkWritable(const Target &target, const QString &path)
{
    if (target.kind == WriteTarget::Regular
        && ::faccessat(AT_FDCWD, target.native.constData(), W_OK, AT_EACCESS) != 0)
        raiseFromErrno(errno, path, false);
}

} // namespace

FileStatus status(const QString &path)
{
    FileStatus s;
    if (!usableName(path))
        return s;
    const QByteArray native = encodeName(path);
    struct stat st;
    if (::stat(native.constData(), &st) != 0)
        return s;
    s.type = typeOf(st.st_mode);
    s.id = {quint64(st.st_dev), quint64(st.st_ino)};
    s.size = qint64(st.st_size);
    s.readable = ::access(native.constData(), R_OK) == 0;
    s.writable = ::access(native.constData(), W_OK) == 0;
    s.hidden = hiddenName(path);
    s.modified = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    return s;
}

QString accountHome()
{
    long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    QByteArray buf(size > 0 ? qsizetype(size) : 16384, Qt::Uninitialized);
    struct passwd pw;
    struct passwd *found = nullptr;
    if (::getpwuid_r(::getuid(), &pw, buf.data(), size_t(buf.size()), &found) != 0 || !found
        || !found->pw_dir)
        return {};
    return decodeName(found->pw_dir);
}

bool isStandardOutput(const QString &path)
{
    struct stat out;
    return ::fstat(STDOUT_FILENO, &out) == 0 && sameFile(out, path);
}

bool standardErrorIsTerminal()
{
    return ::isatty(STDERR_FILENO) == 1;
}

bool standardOutputClosed()
{
    // A pipe whose reading end is gone reports an error to poll() at once.
    struct pollfd p = {STDOUT_FILENO, 0, 0};
    return ::poll(&p, 1, 0) == 1 && (p.revents & (POLLERR | POLLHUP)) != 0;
}

struct InputFile::Native
{
    int fd = -1;
};

InputFile::InputFile(const QString &path)
{
    if (!usableName(path))
        raise(ErrorKind::FileAccess, path);
    // Without O_NONBLOCK a named pipe would keep open() waiting for a writer
    // for ever; only regular files are read, so it is refused right after.
    const int fd = ::open(encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        raiseFromErrno(errno, path, true);
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        raise(ErrorKind::NotRegularFile, path);
    }
    if (::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
        ::close(fd);
        raise(ErrorKind::FileAccess, path);
    }
    m_native = new Native{fd};
    m_size = qint64(st.st_size);
    m_id = {quint64(st.st_dev), quint64(st.st_ino)};
}

InputFile::~InputFile()
{
    if (m_native)
        closeQuietly(m_native->fd);
    delete m_native;
}

qint64 InputFile::read(char *buf, qint64 n, const CancelFlag *cancel)
{
    for (;;) {
        checkCancel(cancel);
        const ssize_t got = ::read(m_native->fd, buf, size_t(n));
        if (got >= 0)
            return qint64(got);
        // A signal interrupted a read that waited: the flag tells whether to
        // give up or to wait on.
        if (errno != EINTR)
            raise(ErrorKind::IoError);
    }
}

qint64 InputFile::readAt(qint64 offset, char *buf, qint64 n, const CancelFlag *cancel)
{
    for (;;) {
        checkCancel(cancel);
        const ssize_t got = ::pread(m_native->fd, buf, size_t(n), off_t(offset));
        if (got >= 0)
            return qint64(got);
        if (errno != EINTR)
            raise(ErrorKind::IoError);
    }
}

WriteTarget checkWriteTarget(const QString &path, const QStringList &protect)
{
    return examine(path, protect).kind;
}

void writeWhole(const QString &path, const QByteArray &data, const QStringList &protect)
{
    const Target target = examine(path, protect);
    if (target.kind == WriteTarget::Device) {
        const int fd = ::open(target.native.constData(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
        if (fd < 0)
            raiseFromErrno(errno, path, false);
        try {
            writeAllTo(fd, data, path);
        } catch (...) {
            ::close(fd);
            throw;
        }
        if (::close(fd) != 0 && errno != EINTR)
            raiseFromErrno(errno, path, false);
        return;
    }
    checkWritable(target, path);
    TempFile temp;
    createTemp(temp, target, path);
    writeAllTo(temp.fd, data, path);
    syncAndClose(temp.fd, path);
    replaceWith(temp, target, path);
}

namespace {

FileStatus versionOf(const struct stat &st)
{
    FileStatus s;
    s.type = typeOf(st.st_mode);
    s.id = {quint64(st.st_dev), quint64(st.st_ino)};
    s.size = qint64(st.st_size);
    s.modified = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    return s;
}

// Whether a backup of the file of identity of may take the name native.
bool backupMayTake(const QByteArray &native, const FileId &of)
{
    struct stat st;
    if (::lstat(native.constData(), &st) != 0)
        return errno == ENOENT;
    return S_ISLNK(st.st_mode)
           || (quint64(st.st_dev) == of.device && quint64(st.st_ino) == of.inode);
}

} // namespace

QString backupName(const QString &preferred, const FileId &of)
{
    if (!usableName(preferred))
        return {};
    for (int n = 1; n <= BackupNames; ++n) {
        const QString name = backupCandidate(preferred, n);
        if (backupMayTake(encodeName(name), of))
            return name;
    }
    return {};
}

bool keepBackup(const QString &path, const QString &backup, const FileStatus &was)
{
    if (!usableName(path) || !usableName(backup))
        raise(ErrorKind::FileAccess, backup);
    const QByteArray source = followLinks(encodeName(path));
    struct stat st;
    if (::stat(source.constData(), &st) != 0 || !sameVersion(versionOf(st), was))
        return false; // what was read is no longer there
    // The backup's own name, never where a link there leads.
    Target target;
    target.native = encodeName(backup);
    if (!backupMayTake(target.native, was.id))
        raise(ErrorKind::FileAccess, backup);
    struct stat old;
    if (::lstat(target.native.constData(), &old) == 0 && old.st_dev == st.st_dev
        && old.st_ino == st.st_ino)
        return true; // kept already

    // A second name made beside the backup, then moved over it in one step.
    TempFile temp;
    temp.native = folderOf(target.native) + '/' + encodeName(temporaryName(u".bak"));
    if (::link(source.constData(), temp.native.constData()) != 0) {
        temp.native.clear();
        // A file system without second names: a copy.
        const QByteArray data = InputFile(path).readUpTo(std::numeric_limits<qsizetype>::max());
        if (!sameVersion(status(path), was))
            return false;
        createTemp(temp, target, backup);
        writeAllTo(temp.fd, data, backup);
        syncAndClose(temp.fd, backup);
    } else {
        // The file may have been replaced between the look and the link.
        struct stat linked;
        if (::lstat(temp.native.constData(), &linked) != 0 || !sameVersion(versionOf(linked), was))
            return false;
    }
    replaceWith(temp, target, backup);
    return true;
}

#else // a system without the calls above: Qt's own file classes

QString absolutePath(const QString &path)
{
    return QFileInfo(path).absoluteFilePath();
}

namespace {

[[noreturn]] void raiseFor(const QFileDevice &file, const QString &path)
{
    switch (file.error()) {
    case QFileDevice::PermissionsError:
        raise(ErrorKind::PermissionDenied, path);
    case QFileDevice::ResourceError:
        raise(ErrorKind::DiskFull, path);
    default:
        raise(QFileInfo::exists(path) ? ErrorKind::IoError : ErrorKind::FileNotFound, path);
    }
}

WriteTarget examine(const QString &path, const QStringList &protect)
{
    if (!usableName(path))
        raise(ErrorKind::FileAccess, path);
    const QFileInfo fi(path);
    if (!fi.exists())
        return WriteTarget::New;
    if (!fi.isFile())
        raise(ErrorKind::NotRegularFile, path);
    const QString canonical = fi.canonicalFilePath();
    for (const QString &p : protect)
        if (QFileInfo(p).canonicalFilePath() == canonical)
            raise(ErrorKind::ProtectedFile, path);
    return WriteTarget::Regular;
}

} // namespace

FileStatus status(const QString &path)
{
    FileStatus s;
    if (!usableName(path))
        return s;
    const QFileInfo fi(path);
    if (!fi.exists())
        return s;
    s.type = fi.isFile() ? FileType::Regular : fi.isDir() ? FileType::Directory : FileType::Other;
    s.id = {0, quint64(qHash(fi.canonicalFilePath()))};
    s.size = fi.size();
    s.readable = fi.isReadable();
    s.writable = fi.isWritable();
    s.hidden = hiddenName(path) || fi.isHidden();
    s.modified = fi.lastModified().toMSecsSinceEpoch() * 1000000;
    return s;
}

QString accountHome()
{
    return QDir::homePath();
}

bool isStandardOutput(const QString &)
{
    return false;
}

bool standardErrorIsTerminal()
{
    return false;
}

bool standardOutputClosed()
{
    return false;
}

struct InputFile::Native
{
    QFile file;
};

InputFile::InputFile(const QString &path)
{
    if (!usableName(path))
        raise(ErrorKind::FileAccess, path);
    const QFileInfo fi(path);
    if (fi.exists() && !fi.isFile())
        raise(ErrorKind::NotRegularFile, path);
    m_native = new Native;
    m_native->file.setFileName(path);
    if (!m_native->file.open(QIODevice::ReadOnly)) {
        delete m_native;
        m_native = nullptr;
        raise(fi.exists() ? ErrorKind::ReadDenied : ErrorKind::FileNotFound, path);
    }
    m_size = m_native->file.size();
    m_id = status(path).id;
}

InputFile::~InputFile()
{
    delete m_native;
}

qint64 InputFile::read(char *buf, qint64 n, const CancelFlag *cancel)
{
    checkCancel(cancel);
    const qint64 got = m_native->file.read(buf, n);
    if (got < 0)
        raise(ErrorKind::IoError);
    return got;
}

qint64 InputFile::readAt(qint64 offset, char *buf, qint64 n, const CancelFlag *cancel)
{
    if (!m_native->file.seek(offset))
        return 0;
    return read(buf, n, cancel);
}

WriteTarget checkWriteTarget(const QString &path, const QStringList &protect)
{
    return examine(path, protect);
}

void writeWhole(const QString &path, const QByteArray &data, const QStringList &protect)
{
    examine(path, protect);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        raiseFor(file, path);
    if (file.write(data) != data.size() || !file.flush()) {
        file.cancelWriting();
        raiseFor(file, path);
    }
    if (!file.commit())
        raiseFor(file, path);
}

QString backupName(const QString &preferred, const FileId &of)
{
    if (!usableName(preferred))
        return {};
    for (int n = 1; n <= BackupNames; ++n) {
        const QString name = backupCandidate(preferred, n);
        const QFileInfo fi(name);
        if (fi.isSymLink() || !fi.exists() || status(name).id == of)
            return name;
    }
    return {};
}

bool keepBackup(const QString &path, const QString &backup, const FileStatus &was)
{
    if (!sameVersion(status(path), was))
        return false;
    const QByteArray data = InputFile(path).readUpTo(std::numeric_limits<qsizetype>::max());
    if (!sameVersion(status(path), was))
        return false;
    if (backupName(backup, was.id) != backup)
        raise(ErrorKind::FileAccess, backup);
    if (QFileInfo(backup).isSymLink())
        QFile::remove(backup);
    writeWhole(backup, data);
    return true;
}

#endif

} // namespace fileops
} // namespace norva
