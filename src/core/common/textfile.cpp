#include "core/common/textfile.h"

#include "core/common/cp932.h"
#include "core/common/error.h"

#include <QHashFunctions>

#include <algorithm>
#include <cstring>

#if defined(__x86_64__)
#include <immintrin.h>
#elif defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace norva {

namespace {

// Bytes read past the data by the line-end search, which looks at 64 at once.
constexpr qsizetype Padding = 64;

bool isAsciiText(uchar b)
{
    return b == '\t' || b == '\n' || b == '\r' || (b >= 0x20 && b < 0x7F);
}

// GCC would gather the four stores of putLineEnds into vector inserts, which
// take longer than the stores.
#if defined(__GNUC__) && !defined(__clang__)
#define NORVA_SCALAR_STORES __attribute__((optimize("no-tree-vectorize")))
#else
#define NORVA_SCALAR_STORES
#endif

// The line ends among 64 bytes at offset at (every CR, and every LF that does
// not follow a CR; crBefore: the byte before them is a CR, and is updated),
// only the first limit of the bytes counting, written to out. Gives how many.
//
// Up to four are written without a branch on how many there are (the rest may
// be garbage past the count): lines vary in length, and a branch on that would
// be guessed wrong every other line.
[[gnu::always_inline]] inline qsizetype putLineEnds(quint64 cr, quint64 lf, quint64 &crBefore,
                                                    qsizetype limit, qint32 at, qint32 *out)
{
    quint64 ends = cr | (lf & ~((cr << 1) | crBefore));
    crBefore = cr >> 63;
    if (limit < 64)
        ends &= (quint64(1) << limit) - 1;
    const int n = __builtin_popcountll(ends);
    for (int i = 0; i < 4; ++i) {
        out[i] = at + __builtin_ctzll(ends | (quint64(1) << 63));
        ends &= ends - 1;
    }
    for (int i = 4; i < n; ++i) {
        out[i] = at + __builtin_ctzll(ends);
        ends &= ends - 1;
    }
    return n;
}

// The line ends of words times 64 bytes from p on, which lie at offset base,
// bytes from p + limit on no longer counting, into out (room for 64 a word).
// The bytes are looked at a word ahead, for an LF after a CR.
#if defined(__x86_64__)
NORVA_SCALAR_STORES __attribute__((target("avx2,popcnt,bmi"))) qsizetype
lineEndsAvx2(const char *p, qsizetype words, qsizetype limit, qint32 base, quint64 &crBefore,
             qint32 *out)
{
    const __m256i crs = _mm256_set1_epi8('\r');
    const __m256i lfs = _mm256_set1_epi8('\n');
    qsizetype count = 0;
    for (qsizetype w = 0; w < words; ++w, p += 64) {
        const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(p));
        const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(p + 32));
        const quint64 cr = quint64(quint32(_mm256_movemask_epi8(_mm256_cmpeq_epi8(a, crs))))
                           | quint64(quint32(_mm256_movemask_epi8(_mm256_cmpeq_epi8(b, crs))))
                                 << 32;
        const quint64 lf = quint64(quint32(_mm256_movemask_epi8(_mm256_cmpeq_epi8(a, lfs))))
                           | quint64(quint32(_mm256_movemask_epi8(_mm256_cmpeq_epi8(b, lfs))))
                                 << 32;
        count += putLineEnds(cr, lf, crBefore, limit - 64 * w, base + qint32(64 * w), out + count);
    }
    return count;
}
#endif

NORVA_SCALAR_STORES qsizetype lineEndsPlain(const char *p, qsizetype words, qsizetype limit,
                                            qint32 base, quint64 &crBefore, qint32 *out)
{
    qsizetype count = 0;
    for (qsizetype w = 0; w < words; ++w, p += 64) {
        quint64 cr = 0, lf = 0;
#if defined(__SSE2__)
        const __m128i crs = _mm_set1_epi8('\r');
        const __m128i lfs = _mm_set1_epi8('\n');
        for (int i = 0; i < 4; ++i) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p + 16 * i));
            cr |= quint64(unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(v, crs)))) << (16 * i);
            lf |= quint64(unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(v, lfs)))) << (16 * i);
        }
#else
        for (int i = 0; i < 64; ++i) {
            cr |= quint64(p[i] == '\r') << i;
            lf |= quint64(p[i] == '\n') << i;
        }
#endif
        count += putLineEnds(cr, lf, crBefore, limit - 64 * w, base + qint32(64 * w), out + count);
    }
    return count;
}

qsizetype findEnds(const char *p, qsizetype words, qsizetype limit, qint32 base, quint64 &crBefore,
                   qint32 *out)
{
#if defined(__x86_64__)
    static const bool avx2 = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("popcnt")
                             && __builtin_cpu_supports("bmi");
    if (avx2)
        return lineEndsAvx2(p, words, limit, base, crBefore, out);
#endif
    return lineEndsPlain(p, words, limit, base, crBefore, out);
}

// UTF-8 of one UTF-16 code unit that is no surrogate, or of a pair.
void appendUtf8(QByteArray &out, char32_t c)
{
    if (c < 0x80) {
        out.append(char(c));
    } else if (c < 0x800) {
        const char b[2] = {char(0xC0 | (c >> 6)), char(0x80 | (c & 0x3F))};
        out.append(b, 2);
    } else if (c < 0x10000) {
        const char b[3] = {char(0xE0 | (c >> 12)), char(0x80 | ((c >> 6) & 0x3F)),
                           char(0x80 | (c & 0x3F))};
        out.append(b, 3);
    } else {
        const char b[4] = {char(0xF0 | (c >> 18)), char(0x80 | ((c >> 12) & 0x3F)),
                           char(0x80 | ((c >> 6) & 0x3F)), char(0x80 | (c & 0x3F))};
        out.append(b, 4);
    }
}

std::function<bool()> &writeFailureHook()
{
    static std::function<bool()> hook;
    return hook;
}

} // namespace

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

TextForm decideTextForm(QByteArrayView head)
{
    TextForm form;
    if (head.startsWith("\xFF\xFE")) {
        form.encoding = TextEncoding::Utf16LE;
        form.markLength = 2;
        return form;
    }
    if (head.startsWith("\xFE\xFF")) {
        form.encoding = TextEncoding::Utf16BE;
        form.markLength = 2;
        return form;
    }
    if (head.startsWith("\xEF\xBB\xBF")) {
        form.markLength = 3;
        form.utf8Mark = true;
        return form;
    }
    // Without a mark, the ASCII characters of UTF-16 stand beside a zero byte:
    // after it in little-endian, before it in big-endian. A log is mostly
    // ASCII (spaces, digits, the tiles), and no byte of CP932 or UTF-8 text is
    // zero.
    const auto *p = reinterpret_cast<const uchar *>(head.data());
    const qsizetype pairs = head.size() / 2;
    qsizetype little = 0, big = 0;
    for (qsizetype i = 0; i < pairs; ++i) {
        const uchar a = p[2 * i], b = p[2 * i + 1];
        if (b == 0 && isAsciiText(a))
            ++little;
        else if (a == 0 && isAsciiText(b))
            ++big;
    }
    // UTF-16 of a log has far more such pairs; CP932 and UTF-8 have none.
    if (little + big < 2 || (little + big) * 4 < pairs)
        return form;
    if (little >= 8 * big)
        form.encoding = TextEncoding::Utf16LE;
    else if (big >= 8 * little)
        form.encoding = TextEncoding::Utf16BE;
    else
        raise(ErrorKind::UnknownForm);
    return form;
}

quint64 hashBytes(QByteArrayView bytes)
{
    return quint64(qHashBits(bytes.data(), size_t(bytes.size()), 0)) ^ quint64(bytes.size());
}

EndMarks TextInput::endMarks(qint64 end, const CancelFlag *cancel)
{
    constexpr qint64 MarkBytes = 4096;
    return {hashBytes(bytes(0, qMin(MarkBytes, end), cancel)),
            hashBytes(bytes(qMax<qint64>(0, end - MarkBytes), end, cancel))};
}

// ------------------------------------------------------------ TextInput

TextInput::TextInput(const QString &path)
    : m_file(std::make_unique<fileops::InputFile>(path))
    , m_id(m_file->id())
    , m_size(m_file->size())
{}

TextInput::TextInput(QByteArray bytes)
    : m_memory(std::move(bytes))
    , m_size(m_memory.size())
{}

TextInput::~TextInput() = default;

qint64 TextInput::read(qint64 offset, char *buf, qint64 n, const CancelFlag *cancel)
{
    if (m_file)
        return m_file->readAt(offset, buf, n, cancel);
    checkCancel(cancel);
    const qint64 got = qBound<qint64>(0, m_memory.size() - offset, n);
    if (got > 0)
        std::memcpy(buf, m_memory.constData() + offset, size_t(got));
    return got;
}

QByteArray TextInput::bytes(qint64 from, qint64 to, const CancelFlag *cancel)
{
    QByteArray out(qsizetype(qMax<qint64>(0, to - from)), Qt::Uninitialized);
    qsizetype have = 0;
    while (have < out.size()) {
        const qint64 n = read(from + have, out.data() + have, out.size() - have, cancel);
        if (n == 0)
            break;
        have += qsizetype(n);
    }
    out.truncate(have);
    return out;
}

const TextForm &TextInput::form(const CancelFlag *cancel)
{
    if (!m_form) {
        const QByteArray head = bytes(0, FormWindow, cancel);
        m_form = decideTextForm(head);
        m_formBytes = head.size();
    }
    return *m_form;
}

qint64 TextInput::countLines(const CancelFlag *cancel)
{
    const TextForm f = form(cancel);
    return countLines(f, f.markLength, cancel);
}

qint64 TextInput::countLines(const TextForm &f, qint64 offset, const CancelFlag *cancel)
{
    qint64 count = 0;
    if (f.isUtf16()) {
        // A byte of a line end may be half of another character here.
        TextLines lines(*this, f, offset, cancel);
        QByteArrayView line;
        while (lines.next(line))
            ++count;
        return count;
    }
    // Every CR ends a line (alone or as the start of CR LF), and so does every
    // LF that does not follow a CR; a last line without a line end counts too.
    QByteArray buf(qsizetype(qBound<qint64>(16, m_size + 1, qint64(1) << 20)), Qt::Uninitialized);
    bool afterCr = false;
    char last = '\n';
    for (qint64 at = offset;;) {
        const qint64 n = read(at, buf.data(), buf.size(), cancel);
        if (n == 0)
            break;
        at += n;
        count += countLineEnds(buf.constData(), buf.constData() + n, afterCr);
        last = buf.at(qsizetype(n) - 1);
    }
    if (last != '\r' && last != '\n')
        ++count;
    return count;
}

// ------------------------------------------------------------ TextLines

TextLines::TextLines(TextInput &input, const TextForm &form, qint64 offset,
                     const CancelFlag *cancel, qsizetype blockSize, qsizetype maxLineLength)
    : m_input(input)
    , m_form(form)
    , m_cancel(cancel)
    , m_maxLine(qMax<qsizetype>(maxLineLength, 14))
    , m_bufAt(offset)
    , m_offset(offset)
{
    // A small file gets a small buffer (one more byte tells the end at once);
    // should it grow while it is read, the buffer grows with its lines.
    const qint64 wanted = qMin<qint64>(blockSize, input.size() - offset + 1);
    const qsizetype size = qBound<qsizetype>(16, qsizetype(wanted), m_maxLine + 2);
    m_buf = QByteArray(size + Padding, '\0');
}

TextLines::~TextLines() = default;

bool TextLines::fill()
{
    if (m_eof)
        return false;
    // The bytes kept move to the front: their line-end bits are found anew.
    qsizetype unchanged = m_end;
    if (m_pos > 0) {
        std::memmove(m_buf.data(), m_buf.constData() + m_pos, size_t(m_end - m_pos));
        m_end -= m_pos;
        m_bufAt += m_pos;
        m_pos = 0;
        unchanged = 0;
        m_nextEnd = 0;
    }
    const qsizetype capacity = m_buf.size() - Padding;
    if (m_end == capacity) {
        // A line longer than the buffer.
        if (capacity >= m_maxLine + 2)
            raise(ErrorKind::LineTooLong);
        const qsizetype grown = qMin(capacity * 2, m_maxLine + 2);
        m_buf.resize(grown + Padding);
        std::memset(m_buf.data() + capacity, 0, size_t(grown - capacity + Padding));
    }
    const qint64 n = m_input.read(m_bufAt + m_end, m_buf.data() + m_end,
                                  m_buf.size() - Padding - m_end, m_cancel);
    m_end += qsizetype(n);
    if (!m_form.isUtf16())
        findLineEnds(unchanged);
    if (n == 0) {
        m_eof = true;
        return false;
    }
    return true;
}

void TextLines::findLineEnds(qsizetype unchanged)
{
    // The line ends before the first 64 bytes that changed stay.
    const qsizetype from = unchanged / 64;
    qsizetype count = m_nextEnd;
    while (count < m_endCount && m_lineEnds[count] < 64 * from)
        ++count;
    const char *const b = m_buf.constData();
    quint64 crBefore = from > 0 && b[64 * from - 1] == '\r';
    const qsizetype words = (m_end + 63) / 64;
    // A few thousand bytes at a time, each with room for every byte a line end.
    constexpr qsizetype Step = 64;
    for (qsizetype w = from; w < words; w += Step) {
        const qsizetype n = qMin(Step, words - w);
        if (m_endRoom < count + 64 * n) {
            // Room that need not be cleared: only what is written is read.
            const qsizetype room = qMax(2 * m_endRoom, count + 64 * n);
            std::unique_ptr<qint32[]> more(new qint32[size_t(room)]);
            std::copy_n(m_lineEnds.get(), count, more.get());
            m_lineEnds = std::move(more);
            m_endRoom = room;
        }
        count += findEnds(b + 64 * w, n, m_end - 64 * w, qint32(64 * w), crBefore,
                          m_lineEnds.get() + count);
    }
    m_endCount = count;
}

qsizetype TextLines::findLineEnd()
{
    while (m_nextEnd < m_endCount && m_lineEnds[m_nextEnd] < m_pos)
        ++m_nextEnd;
    return m_nextEnd < m_endCount ? m_lineEnds[m_nextEnd] : m_end;
}

bool TextLines::nextSlowly(QByteArrayView &line)
{
    return m_form.isUtf16() ? nextUtf16(line) : nextBytes(line);
}

bool TextLines::nextBytes(QByteArrayView &line)
{
    auto give = [&](qsizetype end, qsizetype after, bool complete) {
        if (end - m_pos > m_maxLine)
            raise(ErrorKind::LineTooLong);
        line = QByteArrayView(m_buf.constData() + m_pos, end - m_pos);
        m_pos = after;
        m_offset = m_bufAt + after;
        m_complete = complete;
        findLineEnd(); // the next line's end is looked for from here on
        return true;
    };
    for (;;) {
        const qsizetype e = findLineEnd();
        if (e < m_end) {
            if (m_buf[e] == '\n')
                return give(e, e + 1, true);
            // A CR at the very end of what was read may be the first half of
            // CR LF. (Reading more moves the bytes: look again.)
            if (e + 1 == m_end && !m_eof) {
                fill();
                continue;
            }
            if (e + 1 < m_end)
                return give(e, e + 1 + (m_buf[e + 1] == '\n'), true);
            return give(e, e + 1, false);
        }
        if (!fill()) {
            if (m_pos < m_end)
                return give(m_end, m_end, false);
            return false;
        }
    }
}

bool TextLines::nextUtf16(QByteArrayView &line)
{
    const bool little = m_form.encoding == TextEncoding::Utf16LE;
    auto unitAt = [&](qsizetype i) {
        const auto a = uchar(m_buf[i]), b = uchar(m_buf[i + 1]);
        return little ? char16_t(a | (b << 8)) : char16_t((a << 8) | b);
    };
    auto give = [&](qsizetype after, bool complete) {
        // Room to read past the line's end, as past the lines of the buffer.
        m_line.reserve(m_line.size() + Padding);
        line = QByteArrayView(m_line);
        m_pos = after;
        m_offset = m_bufAt + after;
        m_complete = complete;
        return true;
    };
    m_line.truncate(0);
    const qint64 start = m_bufAt + m_pos;
    for (;;) {
        while (m_end - m_pos >= 2) {
            const char16_t u = unitAt(m_pos);
            if (u == u'\n')
                return give(m_pos + 2, true);
            if (u == u'\r') {
                if (m_end - m_pos < 4 && !m_eof && fill())
                    continue;
                if (m_end - m_pos >= 4)
                    return give(m_pos + (unitAt(m_pos + 2) == u'\n' ? 4 : 2), true);
                if (m_end - m_pos == 3)
                    raise(ErrorKind::BrokenUtf16); // a last byte without its pair
                return give(m_pos + 2, false);
            }
            // A line end with its bytes swapped: a byte went missing before it.
            if (u == 0x0A00 || u == 0x0D00)
                raise(ErrorKind::BrokenUtf16);
            qsizetype used = 2;
            char32_t c = u;
            if (QChar::isHighSurrogate(u)) {
                // The pair may be cut between two reads.
                if (m_end - m_pos < 4 && !m_eof && fill())
                    continue;
                if (m_end - m_pos >= 4 && QChar::isLowSurrogate(unitAt(m_pos + 2))) {
                    c = QChar::surrogateToUcs4(u, unitAt(m_pos + 2));
                    used = 4;
                } else {
                    c = QChar::ReplacementCharacter;
                }
            } else if (QChar::isLowSurrogate(u)) {
                c = QChar::ReplacementCharacter;
            }
            appendUtf8(m_line, c);
            if (m_line.size() > m_maxLine)
                raise(ErrorKind::LineTooLong);
            m_pos += used;
        }
        if (!fill()) {
            if (m_end - m_pos == 1)
                raise(ErrorKind::BrokenUtf16); // a last byte without its pair
            if (m_bufAt + m_pos > start)
                return give(m_pos, false);
            return false;
        }
    }
}

LineReader::LineReader(const QString &path, qsizetype bufferSize, qsizetype maxLineLength,
                       const CancelFlag *cancel)
    : m_input(path)
    , m_lines(m_input, TextForm(), 0, cancel, bufferSize, maxLineLength)
{}

LineReader::LineReader(QByteArray bytes, qsizetype maxLineLength)
    : m_input(std::move(bytes))
    , m_lines(m_input, TextForm(), 0, nullptr, TextLines::DefaultBlockSize, maxLineLength)
{}

LineReader::~LineReader() = default;

qint64 countLines(const QString &path, const CancelFlag *cancel)
{
    TextInput input(path);
    return input.countLines(TextForm(), 0, cancel);
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
