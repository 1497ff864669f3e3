#include "core/common/textfile.h"

#include "core/common/cp932.h"
#include "core/common/error.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace norva {

namespace {

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

LineReader::LineReader(const QString &path, qsizetype bufferSize, qsizetype maxLineLength,
                       const CancelFlag *cancel)
    : m_file(path)
    , m_maxLine(qMax<qsizetype>(maxLineLength, 14))
    , m_cancel(cancel)
{
    // A small file gets a small buffer (one more byte tells the end at once);
    // should the file grow while it is read, the buffer grows with its lines.
    const qint64 wanted = qMin<qint64>(bufferSize, m_file.size() + 1);
    m_buf.resize(qBound<qsizetype>(16, qsizetype(wanted), bufferLimit()));
}

LineReader::~LineReader() = default;

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
    const qint64 n = m_file.read(m_buf.data() + m_end, m_buf.size() - m_end, m_cancel);
    if (n == 0) {
        m_eof = true;
        return false;
    }
    m_end += qsizetype(n);
    return true;
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

qint64 countLines(const QString &path, const CancelFlag *cancel)
{
    // Every CR ends a line (alone or as the start of CR LF), and so does every LF
    // that does not follow a CR; a last line without a line end counts too.
    fileops::InputFile file(path);
    QByteArray buf(qsizetype(qBound(qint64(16), file.size() + 1, qint64(1) << 20)),
                   Qt::Uninitialized);
    qint64 count = 0;
    bool afterCr = false;
    char last = '\n';
    for (;;) {
        const qint64 n = file.read(buf.data(), buf.size(), cancel);
        if (n == 0)
            break;
        count += countLineEnds(buf.constData(), buf.constData() + n, afterCr);
        last = buf.at(qsizetype(n) - 1);
    }
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

bool writeFileSafely(const QString &path, const QByteArray &data, const RetryPrompt &prompt,
                     const QStringList &protect)
{
    for (;;) {
        try {
            if (writeFailureHook() && writeFailureHook()())
                raise(ErrorKind::DiskFull, path);
            fileops::writeWhole(path, data, protect);
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
