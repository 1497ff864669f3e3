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

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

// Opens a regular file for reading; size receives its size at that moment.
int openForReading(const QString &path, qint64 *size = nullptr)
{
    // The system would take a path with a NUL character for the shorter one
    // in front of it.
    if (path.isEmpty() || path.contains(QChar(0)))
        raise(ErrorKind::FileAccess, path);
    const QByteArray native = QFile::encodeName(path);
    // Without O_NONBLOCK a named pipe would keep open() waiting for a writer
    // for ever; only regular files are read, so it is refused right after.
    const int fd = ::open(native.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        raiseFromErrno(errno, path);
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)
        || ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
        ::close(fd);
        raise(ErrorKind::FileAccess, path);
    }
    if (size)
        *size = st.st_size;
    return fd;
}

// The first CR or LF in [p, end), or end. Lines are short, so a call per
// byte class (two memchr) costs more than one pass over both.
const char *findLineEnd(const char *p, const char *end)
{
#if defined(__SSE2__)
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i lf = _mm_set1_epi8('\n');
    while (end - p >= 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
        const int mask =
            _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(v, cr), _mm_cmpeq_epi8(v, lf)));
        if (mask != 0)
            return p + __builtin_ctz(unsigned(mask));
        p += 16;
    }
#endif
    while (p < end && *p != '\n' && *p != '\r')
        ++p;
    return p;
}

// The line ends in [p, end): every CR, and every LF that does not follow a CR.
// afterCr tells whether the byte before p was a CR, and is updated.
qint64 countLineEnds(const char *p, const char *end, bool &afterCr)
{
    qint64 count = 0;
    auto one = [&](char c) {
        if (c == '\r' || (c == '\n' && !afterCr))
            ++count;
        afterCr = c == '\r';
    };
    if (p == end)
        return 0;
    one(*p++); // from here on the byte before p can be read
#if defined(__SSE2__)
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i lf = _mm_set1_epi8('\n');
    const __m128i zero = _mm_setzero_si128();
    if (end - p >= 16) {
        while (end - p >= 16) {
            // Per byte lane a count of at most two a block: 127 blocks fit a byte.
            __m128i lanes = zero;
            for (int blocks = 0; blocks < 127 && end - p >= 16; ++blocks, p += 16) {
                const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
                const __m128i before = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p - 1));
                const __m128i crs = _mm_cmpeq_epi8(v, cr);
                const __m128i lfs =
                    _mm_andnot_si128(_mm_cmpeq_epi8(before, cr), _mm_cmpeq_epi8(v, lf));
                lanes = _mm_sub_epi8(_mm_sub_epi8(lanes, crs), lfs);
            }
            const __m128i sums = _mm_sad_epu8(lanes, zero);
            count += _mm_cvtsi128_si64(sums) + _mm_cvtsi128_si64(_mm_unpackhi_epi64(sums, sums));
        }
        afterCr = p[-1] == '\r';
    }
#endif
    while (p < end)
        one(*p++);
    return count;
}

std::function<bool()> &writeFailureHook()
{
    static std::function<bool()> hook;
    return hook;
}

} // namespace

LineReader::LineReader(const QString &path, qsizetype bufferSize, qsizetype maxLineLength)
    : m_maxLine(qMax<qsizetype>(maxLineLength, 14))
{
    qint64 size = 0;
    m_fd = openForReading(path, &size);
    // A small file gets a small buffer (one more byte tells the end at once);
    // should the file grow while it is read, the buffer grows with its lines.
    const qint64 wanted = qMin<qint64>(bufferSize, size + 1);
    m_buf.resize(qBound<qsizetype>(16, qsizetype(wanted), bufferLimit()));
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
    if (m_end == m_buf.size()) {
        // A line longer than the buffer.
        if (m_buf.size() >= bufferLimit())
            raise(ErrorKind::LineTooLong);
        m_buf.resize(qMin(m_buf.size() * 2, bufferLimit()));
    }
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
    auto give = [&](qsizetype len, qsizetype lineEndLength) {
        if (len > m_maxLine)
            raise(ErrorKind::LineTooLong);
        line = QByteArrayView(m_buf.constData() + m_pos, len);
        m_pos += len + lineEndLength;
        return true;
    };
    for (;;) {
        const char *start = m_buf.constData() + m_pos;
        const char *dataEnd = m_buf.constData() + m_end;
        const char *e = findLineEnd(start, dataEnd);
        if (e != dataEnd) {
            const qsizetype len = e - start;
            if (*e == '\n')
                return give(len, 1);
            // A CR at the very end of the data may be the first half of CR LF.
            if (e + 1 == dataEnd && !m_eof && fill())
                continue;
            const qsizetype crlf = m_pos + len + 1 < m_end && m_buf[m_pos + len + 1] == '\n';
            return give(len, 1 + crlf);
        }
        if (!fill()) {
            if (m_pos < m_end)
                return give(m_end - m_pos, 0);
            return false;
        }
    }
}

qint64 countLines(const QString &path)
{
    // Every CR ends a line (alone or as the start of CR LF), and so does every LF
    // that does not follow a CR; a last line without a line end counts too.
    qint64 size = 0;
    const int fd = openForReading(path, &size);
    QByteArray buf(qsizetype(qBound(qint64(16), size + 1, qint64(1) << 20)), Qt::Uninitialized);
    qint64 count = 0;
    bool afterCr = false;
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
        count += countLineEnds(buf.constData(), buf.constData() + n, afterCr);
        last = buf.at(qsizetype(n) - 1);
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
                // QSaveFile words a folder that refuses the new file as an open
                // error; ask the folder itself.
                const QByteArray folder = QFile::encodeName(QFileInfo(path).absolutePath());
                const bool refused =
                    file.error() == QFileDevice::PermissionsError
                    || (::access(folder.constData(), F_OK) == 0
                        && ::faccessat(AT_FDCWD, folder.constData(), W_OK, AT_EACCESS) != 0
                        && errno == EACCES);
                raise(refused ? ErrorKind::PermissionDenied : ErrorKind::FileAccess, path);
            }
            // QSaveFile holds small writes in a buffer, and commit() replaces
            // the old file even when writing that buffer out failed (a full
            // disk then leaves an empty file and reports success). So the data
            // goes to the disk here, synced, before the old file is replaced.
            if (file.write(data) != data.size() || !file.flush() || ::fsync(file.handle()) != 0) {
                const int err = errno;
                file.cancelWriting();
                raise(err == ENOSPC || err == EDQUOT ? ErrorKind::DiskFull : ErrorKind::IoError,
                      path);
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
