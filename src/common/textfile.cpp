#include "textfile.h"

#include "cp932.h"
#include "error.h"

#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace norva {

namespace {

[[noreturn]] void raiseFromErrno(int err, const QString &path)
{
    switch (err) {
    case ENOENT:
    case ENOTDIR:
        raise(ErrorKind::FileNotFound, path);
    case EACCES:
    case EPERM:
    case EROFS:
        raise(ErrorKind::PermissionDenied, path);
    case ENOSPC:
    case EDQUOT:
        raise(ErrorKind::DiskFull, path);
    case EIO:
        raise(ErrorKind::IoError, path);
    default:
        raise(ErrorKind::FileAccess, path);
    }
}

int openForReading(const QString &path)
{
    if (path.isEmpty())
        raise(ErrorKind::FileAccess);
    const QByteArray native = QFile::encodeName(path);
    const int fd = ::open(native.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        raiseFromErrno(errno, path);
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        raise(ErrorKind::FileAccess, path);
    }
    return fd;
}

std::function<bool()> &writeFailureHook()
{
    static std::function<bool()> hook;
    return hook;
}

} // namespace

LineReader::LineReader(const QString &path, qsizetype bufferSize)
    : m_fd(openForReading(path))
{
    m_buf.resize(qMax<qsizetype>(bufferSize, 16));
}

LineReader::~LineReader()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

bool LineReader::fill()
{
    if (m_eof)
        return false;
    if (m_pos > 0) {
        std::memmove(m_buf.data(), m_buf.constData() + m_pos, size_t(m_end - m_pos));
        m_end -= m_pos;
        m_pos = 0;
    }
    if (m_end == m_buf.size())
        m_buf.resize(m_buf.size() * 2); // a line longer than the buffer
    for (;;) {
        const ssize_t n = ::read(m_fd, m_buf.data() + m_end, size_t(m_buf.size() - m_end));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            raise(ErrorKind::IoError);
        }
        if (n == 0) {
            m_eof = true;
            return false;
        }
        m_end += n;
        return true;
    }
}

bool LineReader::next(QByteArrayView &line)
{
    for (;;) {
        const char *base = m_buf.constData();
        const char *start = base + m_pos;
        const qsizetype avail = m_end - m_pos;
        const char *lf = static_cast<const char *>(std::memchr(start, '\n', size_t(avail)));
        const qsizetype scan = lf ? lf - start : avail;
        const char *cr = static_cast<const char *>(std::memchr(start, '\r', size_t(scan)));
        if (cr) {
            // A CR at the very end of the data may be the first half of CR LF.
            const qsizetype len = cr - start;
            if (cr + 1 == base + m_end && !m_eof && fill())
                continue;
            line = QByteArrayView(m_buf.constData() + m_pos, len);
            m_pos += len + 1;
            if (m_pos < m_end && m_buf[m_pos] == '\n')
                ++m_pos;
            return true;
        }
        if (lf) {
            line = QByteArrayView(start, scan);
            m_pos += scan + 1;
            return true;
        }
        if (!fill()) {
            if (m_pos < m_end) {
                line = QByteArrayView(m_buf.constData() + m_pos, m_end - m_pos);
                m_pos = m_end;
                return true;
            }
            return false;
        }
    }
}

qint64 countLines(const QString &path)
{
    // Every CR ends a line (alone or as the start of CR LF), and so does every LF
    // that does not follow a CR; a last line without a line end counts too.
    const int fd = openForReading(path);
    QByteArray buf(1 << 20, Qt::Uninitialized);
    qint64 count = 0;
    char last = '\n';
    for (;;) {
        const ssize_t n = ::read(fd, buf.data(), size_t(buf.size()));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            ::close(fd);
            raise(ErrorKind::IoError);
        }
        if (n == 0)
            break;
        const char *begin = buf.constData();
        const char *end = begin + n;
        for (const char *p = begin;
             (p = static_cast<const char *>(std::memchr(p, '\r', size_t(end - p)))); ++p)
            ++count;
        for (const char *p = begin;
             (p = static_cast<const char *>(std::memchr(p, '\n', size_t(end - p)))); ++p) {
            const char before = p == begin ? last : p[-1];
            if (before != '\r')
                ++count;
        }
        last = end[-1];
    }
    ::close(fd);
    if (last != '\r' && last != '\n')
        ++count;
    return count;
}

QStringList readTextLines(const QString &path)
{
    LineReader reader(path, 64 * 1024);
    QStringList lines;
    QByteArrayView line;
    while (reader.next(line))
        lines.append(cp932::decode(line));
    return lines;
}

bool writeFileSafely(const QString &path, const QByteArray &data, const RetryPrompt &prompt)
{
    for (;;) {
        try {
            if (writeFailureHook() && writeFailureHook()())
                raise(ErrorKind::DiskFull, path);
            if (QFileInfo(path).isDir())
                raise(ErrorKind::FileAccess, path);
            QSaveFile file(path);
            if (!file.open(QIODevice::WriteOnly)) {
                const auto err = file.error();
                raise(err == QFileDevice::PermissionsError ? ErrorKind::PermissionDenied
                                                           : ErrorKind::FileAccess,
                      path);
            }
            if (file.write(data) != data.size()) {
                file.cancelWriting();
                raise(ErrorKind::DiskFull, path);
            }
            if (!file.commit())
                raise(ErrorKind::IoError, path);
            return true;
        } catch (const Error &e) {
            if (!prompt || !prompt(e))
                return false;
        }
    }
}

void setWriteFailureForTests(std::function<bool()> failNow)
{
    writeFailureHook() = std::move(failNow);
}

} // namespace norva
