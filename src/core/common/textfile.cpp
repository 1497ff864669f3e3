#include "core/common/textfile.h"

#include "core/common/cp932.h"
#include "core/common/error.h"

#include <QStringDecoder>

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

ByteForm byteFormOfMark(QByteArrayView head)
{
    if (head.startsWith("\xFF\xFE"))
        return ByteForm::Utf16LE;
    if (head.startsWith("\xFE\xFF"))
        return ByteForm::Utf16BE;
    if (head.startsWith("\xEF\xBB\xBF"))
        return ByteForm::AfterUtf8Bom;
    return ByteForm::AsIs;
}

struct LineReader::Utf16
{
    explicit Utf16(QStringConverter::Encoding encoding)
        : decoder(encoding)
    {}
    QStringDecoder decoder;
    QByteArray pending;
    qsizetype taken = 0;
};

LineReader::LineReader(const QString &path, qsizetype bufferSize, qsizetype maxLineLength,
                       const CancelFlag *cancel, ByteForm form)
    : m_file(path)
    , m_maxLine(qMax<qsizetype>(maxLineLength, 14))
    , m_cancel(cancel)
    , m_form(form)
{
    if (form == ByteForm::Utf16LE || form == ByteForm::Utf16BE)
        m_utf16 = std::make_unique<Utf16>(form == ByteForm::Utf16LE ? QStringConverter::Utf16LE
                                                                    : QStringConverter::Utf16BE);
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
    const qint64 n = readMore(m_buf.size() - m_end);
    if (n == 0) {
        m_eof = true;
        return false;
    }
    m_end += qsizetype(n);
    return true;
}

qint64 LineReader::readMore(qint64 room)
{
    char *to = m_buf.data() + m_end;
    if (!m_utf16) {
        qint64 n = m_file.read(to, room, m_cancel);
        if (m_atStart && n > 0) {
            m_atStart = false;
            // The mark is no part of the first line.
            if (m_form == ByteForm::AfterUtf8Bom && n >= 3
                && QByteArrayView(to, 3) == QByteArrayView("\xEF\xBB\xBF")) {
                std::memmove(to, to + 3, size_t(n - 3));
                n -= 3;
                if (n == 0)
                    return readMore(room);
            }
        }
        return n;
    }
    Utf16 &u = *m_utf16;
    while (u.taken == u.pending.size()) {
        QByteArray raw(qsizetype(256) << 10, Qt::Uninitialized);
        const qint64 n = m_file.read(raw.data(), raw.size(), m_cancel);
        if (n == 0)
            return 0;
        raw.truncate(qsizetype(n));
        // The decoder keeps a character cut between two reads for the next,
        // and drops the byte-order mark at the start.
        u.pending = QString(u.decoder(raw)).toUtf8();
        u.taken = 0;
    }
    const qint64 n = qMin<qint64>(room, u.pending.size() - u.taken);
    std::memcpy(to, u.pending.constData() + u.taken, size_t(n));
    u.taken += qsizetype(n);
    return n;
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

qint64 countLines(const QString &path, const CancelFlag *cancel, ByteForm form)
{
    if (form == ByteForm::Utf16LE || form == ByteForm::Utf16BE) {
        // A line end's byte may be half of another character here.
        LineReader reader(path, 1 << 20, LineReader::DefaultMaxLineLength, cancel, form);
        qint64 lines = 0;
        QByteArrayView line;
        while (reader.next(line))
            ++lines;
        return lines;
    }
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
