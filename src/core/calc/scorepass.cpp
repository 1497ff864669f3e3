// The score log pass: one read of the log that picks the user's games and
// feeds the accumulators.
//
// Every rule is stated on characters. The pass applies the rules in one of two
// ways that give the same answers:
//  - Plain decodes every line and compares QStrings;
//  - Fast compares the bytes of the line with the bytes of the texts it looks
//    for, in the log's form (CP932 or UTF-8), and accepts a hit only where it
//    starts on a character boundary. That is exact as long as every text looked
//    for has a single form in bytes (cp932::encodesUniquely); otherwise the
//    pass falls back to Plain. Fast decodes only the lines whose numbers or
//    dates it needs.

#include "core/calc/scorepass.h"

#include "core/calc/calcresults.h"

#include "core/common/convert.h"
#include "core/common/cp932.h"
#include "core/common/datetime.h"
#include "core/common/utf8.h"
#include "core/settings/settings.h"
#include "core/tables/tableinfo.h"

#include <QByteArray>
#include <QList>

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>
#include <optional>
#include <unordered_map>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace norva {

namespace {

// "contains" as the log's texts are compared: an empty text is found in every
// non-empty line and in nothing else.
bool containsText(QStringView haystack, QStringView needle)
{
    return !haystack.isEmpty() && haystack.contains(needle);
}

// "begins with": an empty marker begins every line, the empty one too.
bool startsWithText(QStringView line, QStringView marker)
{
    return line.size() >= marker.size() && line.left(marker.size()) == marker;
}

bool isWind(QChar c)
{
    return c == u'東' || c == u'南' || c == u'西' || c == u'北';
}

struct HeaderEntry
{
    QString text;
    qint32 id;
};

// The settings and table values a game header is tested against.
struct HeaderRules
{
    qint16 markerLength = 0;
    QList<HeaderEntry> group1, group2;
    qint16 kind1 = 0, kind2 = 0;
    bool specifyDate = false;
    QDate startDate, endDate;
    QTime startTime, endTime;

    static HeaderRules from(const PassSettings &settings, const TableInfo &tables)
    {
        HeaderRules r;
        r.markerLength = toInt16(double(tables.startLine().size()));
        for (const TableEntry &e : tables.recognition(1))
            r.group1.append({e.tableString(), e.tableId()});
        for (const TableEntry &e : tables.recognition(2))
            r.group2.append({e.tableString(), e.tableId()});
        r.kind1 = settings.tableKind1;
        r.kind2 = settings.tableKind2;
        r.specifyDate = settings.specifyDate;
        r.startDate = settings.startDate;
        r.endDate = settings.endDate;
        r.startTime = settings.startTime;
        r.endTime = settings.endTime;
        return r;
    }

    static qint16 groupSum(const QList<HeaderEntry> &group, QStringView header)
    {
        qint16 sum = 0;
        for (const HeaderEntry &e : group)
            if (containsText(header, e.text))
                sum = toInt16(double(sum) + double(e.id));
        return sum;
    }

    bool accepts(QStringView line) const
    {
        const qsizetype length = line.size() - 2 * qsizetype(markerLength);
        if (length < 0)
            raise(ErrorKind::InvalidArgument);
        const QStringView header = line.mid(markerLength, length);
        if (qint16(groupSum(group2, header) & kind2) <= 0)
            return false;
        if (qint16(groupSum(group1, header) & kind1) < 1)
            return false;
        if (!specifyDate)
            return true;
        const qsizetype at = header.indexOf(u"開始");
        if (at < 0)
            raise(ErrorKind::TypeMismatch);
        const std::optional<QDateTime> start = parseDateTime(header.mid(at + 3));
        if (!start)
            raise(ErrorKind::TypeMismatch);
        // The game's day goes through its two-digit-year form ("yy/m/d") and
        // back, its time through "h:n": day and minute precision.
        const QDate d = start->date();
        const QDate day(expandTwoDigitYear(d.year() % 100), d.month(), d.day());
        if (!day.isValid())
            raise(ErrorKind::TypeMismatch);
        auto time = [&] {
            return QTime(start->time().hour(), start->time().minute());
        };
        if (startDate < day && day < endDate)
            return true;
        if (day == startDate && day == endDate)
            return startTime <= time() && time() <= endTime;
        if (day == startDate)
            return startTime <= time();
        if (day == endDate)
            return time() <= endTime;
        return false;
    }
};

// The rating line test on characters.
bool ratingOf(QStringView line, const QString &needle, qint32 &rating)
{
    // needle is the user name followed by " R"; the name must begin the line
    // or follow "]" or a space.
    qsizetype at = -1;
    for (qsizetype from = 0; (at = line.indexOf(needle, from)) >= 0; from = at + 1) {
        if (at == 0 || line[at - 1] == u']' || line[at - 1] == u' ')
            break;
    }
    if (at < 0)
        return false;
    const QStringView rest = line.mid(at + needle.size());
    const qsizetype space = rest.indexOf(u' ');
    rating = toInt32(readNumber(space >= 0 ? rest.left(space + 1) : rest));
    return true;
}

// Byte comparison for the short texts of the log, inline rather than a call.
inline bool sameBytes(const uchar *a, const uchar *b, qsizetype n)
{
    if (n > 16)
        return std::memcmp(a, b, size_t(n)) == 0;
    for (qsizetype i = 0; i < n; ++i)
        if (a[i] != b[i])
            return false;
    return true;
}

// The first place of needle (n > 0 bytes) in [p, end), or nullptr. Lines are
// short: sixteen places at a time are tested for the needle's first and last
// byte, and only those that have both are compared in full.
const uchar *findBytes(const uchar *p, const uchar *end, const uchar *needle, qsizetype n)
{
    if (end - p < n)
        return nullptr;
    const uchar *const lastStart = end - n;
    const qsizetype inner = n > 2 ? n - 2 : 0;
#if defined(__SSE2__)
    const __m128i first = _mm_set1_epi8(char(needle[0]));
    const __m128i last = _mm_set1_epi8(char(needle[n - 1]));
    while (lastStart - p >= 15) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p + n - 1));
        unsigned mask = unsigned(
            _mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(a, first), _mm_cmpeq_epi8(b, last))));
        while (mask != 0) {
            const uchar *at = p + __builtin_ctz(mask);
            if (sameBytes(at + 1, needle + 1, inner))
                return at;
            mask &= mask - 1;
        }
        p += 16;
    }
#endif
    for (; p <= lastStart; ++p)
        if (p[0] == needle[0] && p[n - 1] == needle[n - 1] && sameBytes(p + 1, needle + 1, inner))
            return p;
    return nullptr;
}

// The texts a hand result line is searched for.
enum Needle { Tsumo, Ron, Draw, Chombo, Yaku0 };

// Everything one pass reads before its first line.
struct PassSetup
{
    QString user;
    qint16 userLength = 0;
    QString startLine, finishLine, rLine;
    qint32 checkLine = 100;
    HeaderRules header;
    // ツモ, ロン, 流局, チョンボ, then the han class strings 0..YakuLast.
    QStringList needles;
    qint16 yakuLast = -1;
    // The user's patterns: " name " in a hand line, "位 name " in a result
    // line (from its second character), "name R" in a rating line.
    QString handNeedle, resultNeedle, ratingNeedle;

    static PassSetup from(const PassSettings &settings, const TableInfo &tables)
    {
        PassSetup s;
        s.user = settings.userName;
        s.userLength = toInt16(double(s.user.size()));
        s.startLine = tables.startLine();
        s.finishLine = tables.finishLine();
        s.rLine = tables.rLine();
        s.checkLine = settings.checkLine;
        s.header = HeaderRules::from(settings, tables);
        s.needles = {QStringLiteral("ツモ"), QStringLiteral("ロン"), QStringLiteral("流局"),
                     QStringLiteral("チョンボ")};
        s.yakuLast = tables.yakuLast();
        for (qint16 i = 0; i <= s.yakuLast; ++i)
            s.needles.append(tables.yakuString(i));
        s.handNeedle = u' ' + s.user + u' ';
        s.resultNeedle = QStringLiteral("位 ") + s.user + u' ';
        s.ratingNeedle = s.user + QStringLiteral(" R");
        return s;
    }
};

// The result line test on characters: the rank and score of the user's line.
struct GameResult
{
    qint16 rank;
    qint16 score;
};

bool resultOf(QStringView line, const PassSetup &s, GameResult &out)
{
    const QStringView trimmed = trimSpaces(line);
    if (trimmed.isEmpty() || isWind(trimmed[0]))
        return false;
    if (trimmed.mid(1, qsizetype(s.userLength) + 3) != s.resultNeedle)
        return false;
    out.rank = toInt16(readNumber(line));
    out.score = toInt16(readNumber(line.right(4)));
    return true;
}

// -1 when the user's points fell in this hand line, 1 when they did not, -2
// when the user is not in it.
qint16 handStateOf(QStringView line, const PassSetup &s)
{
    const qsizetype at = line.indexOf(s.handNeedle);
    if (at < 0)
        return -2;
    return line.mid(at + s.userLength + 2, 1) == u"-" ? -1 : 1;
}

// The two forms a log's lines come in.
struct Cp932Form
{
    static void decodeAppend(QByteArrayView bytes, QString &out)
    {
        cp932::decodeAppend(bytes, out);
    }
    // The bytes of text when it has a single CP932 form.
    static std::optional<QByteArray> encode(const QString &text)
    {
        if (!cp932::encodesUniquely(text))
            return std::nullopt;
        return cp932::encode(text);
    }
    // The length of the character at p as the decoder takes it.
    static int charLength(const uchar *p, const uchar *end) { return cp932::charLength(p, end); }
    // A byte hit can start inside a character (a trail byte looks like text).
    static constexpr bool hitsOnBoundaries = false;
};

struct Utf8Form
{
    static void decodeAppend(QByteArrayView bytes, QString &out)
    {
        out += QString::fromUtf8(bytes);
    }
    // A text has one UTF-8 form; U+FFFD is left to the decoded lines, as bytes
    // that are no UTF-8 decode to it too.
    static std::optional<QByteArray> encode(const QString &text)
    {
        if (text.contains(QChar::ReplacementCharacter))
            return std::nullopt;
        return text.toUtf8();
    }
    // 0 where no valid character starts at p.
    static int charLength(const uchar *p, const uchar *end) { return utf8::sequenceLength(p, end); }
    // No character's bytes look like the start of another.
    static constexpr bool hitsOnBoundaries = true;
};

// Plain: every line decoded, every rule on characters.
template<typename Form>
class PlainLines
{
public:
    explicit PlainLines(const PassSetup &s)
        : m_s(s)
    {}

    void setLine(QByteArrayView bytes)
    {
        m_text.truncate(0);
        Form::decodeAppend(bytes, m_text);
    }
    const QString &text() { return m_text; }
    bool isHeader() const { return startsWithText(m_text, m_s.startLine); }
    bool isFinish() const { return startsWithText(m_text, m_s.finishLine); }
    bool isRating() const { return startsWithText(m_text, m_s.rLine); }
    bool rating(qint32 &r) const { return ratingOf(m_text, m_s.ratingNeedle, r); }
    bool startsWithWind() const
    {
        const QStringView t = trimSpaces(m_text);
        return !t.isEmpty() && isWind(t[0]);
    }
    bool result(GameResult &out) const { return resultOf(m_text, m_s, out); }
    qint16 handState() const { return handStateOf(m_text, m_s); }
    bool contains(int needle) const { return containsText(m_text, m_s.needles[needle]); }

private:
    const PassSetup &m_s;
    QString m_text;
};

// Fast: the rules on the bytes of the log's form.
template<typename Form>
class FastLines
{
public:
    // nullopt when some text has no single form in bytes.
    static std::optional<FastLines> create(const PassSetup &s)
    {
        FastLines f(s);
        auto enc = [](const QString &text, QByteArray &out) {
            const std::optional<QByteArray> e = Form::encode(text);
            if (!e)
                return false;
            out = *e;
            return true;
        };
        if (!enc(s.startLine, f.m_startLine) || !enc(s.finishLine, f.m_finishLine)
            || !enc(s.rLine, f.m_rLine) || !enc(s.handNeedle, f.m_hand)
            || !enc(s.resultNeedle, f.m_result) || !enc(s.ratingNeedle, f.m_rating))
            return std::nullopt;
        f.m_needles.resize(s.needles.size());
        for (qsizetype i = 0; i < s.needles.size(); ++i)
            if (!enc(s.needles[i], f.m_needles[i]))
                return std::nullopt;
        const char16_t winds[] = {u'東', u'南', u'西', u'北'};
        for (size_t i = 0; i < 4; ++i) {
            const std::optional<QByteArray> w = Form::encode(QString(QChar(winds[i])));
            if (!w || w->size() < 2 || w->size() > 3)
                return std::nullopt;
            Wind &wind = f.m_winds[i];
            wind.size = int(w->size());
            std::memcpy(wind.bytes.data(), w->constData(), size_t(wind.size));
        }
        return f;
    }

    void setLine(QByteArrayView bytes)
    {
        m_begin = reinterpret_cast<const uchar *>(bytes.data());
        m_end = m_begin + bytes.size();
        m_decoded = false;
        m_tBegin = nullptr;
    }
    const QString &text()
    {
        if (!m_decoded) {
            m_text.truncate(0);
            Form::decodeAppend(QByteArrayView(m_begin, m_end - m_begin), m_text);
            m_decoded = true;
        }
        return m_text;
    }
    bool isHeader() const { return startsWith(m_startLine); }
    bool isFinish() const { return startsWith(m_finishLine); }
    bool isRating() const { return startsWith(m_rLine); }
    bool rating(qint32 &r)
    {
        // Most rating lines of a counted game hold the user; the rule's
        // details are checked on the decoded line.
        if (!find(m_begin, m_rating))
            return false;
        return ratingOf(text(), m_s.ratingNeedle, r);
    }
    bool startsWithWind()
    {
        // A space byte is always a character of its own, and no wind
        // character ends in one: the trailing spaces need not be cut.
        const uchar *b = trimmedBegin();
        for (const Wind &w : m_winds)
            if (m_end - b >= w.size && b[0] == w.bytes[0] && b[1] == w.bytes[1]
                && (w.size == 2 || b[2] == w.bytes[2]))
                return true;
        return false;
    }
    bool result(GameResult &out)
    {
        // The trimmed line: one character, then "位 name ". The rest of the
        // rule (something must follow) is checked on the decoded line.
        const uchar *b = trimmedBegin();
        if (b == m_end)
            return false;
        const int first = Form::charLength(b, m_end);
        // Bytes that are no character: how many of them the decoder takes
        // for one is its own affair, so the decoded line decides.
        if (first == 0)
            return resultOf(text(), m_s, out);
        const uchar *p = b + first;
        const qsizetype n = m_result.size();
        if (m_end - p <= n
            || !sameBytes(p, reinterpret_cast<const uchar *>(m_result.constData()), n))
            return false;
        return resultOf(text(), m_s, out);
    }
    qint16 handState() const
    {
        // The pattern begins with a space, which is always a character of
        // its own, so any byte hit is a character hit.
        const uchar *hit = find(m_begin, m_hand);
        if (!hit)
            return -2;
        const uchar *after = hit + m_hand.size();
        return after < m_end && *after == '-' ? -1 : 1;
    }
    bool contains(int needle) const
    {
        const QByteArray &n = m_needles[needle];
        if (n.isEmpty())
            return m_begin != m_end;
        if constexpr (Form::hitsOnBoundaries)
            return find(m_begin, n) != nullptr;
        const uchar *walk = m_begin;
        for (const uchar *from = m_begin;;) {
            const uchar *hit = find(from, n);
            if (!hit)
                return false;
            while (walk < hit)
                walk += Form::charLength(walk, m_end);
            if (walk == hit)
                return true;
            from = hit + 1;
        }
    }

private:
    explicit FastLines(const PassSetup &s)
        : m_s(s)
    {}

    // The first byte that is no space (m_end when there is none).
    const uchar *trimmedBegin()
    {
        if (m_tBegin)
            return m_tBegin;
        const uchar *p = m_begin;
#if defined(__SSE2__)
        const __m128i spaces = _mm_set1_epi8(' ');
        while (m_end - p >= 16) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
            const unsigned other =
                ~unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(v, spaces))) & 0xFFFFu;
            if (other != 0) {
                m_tBegin = p + __builtin_ctz(other);
                return m_tBegin;
            }
            p += 16;
        }
#endif
        while (p < m_end && *p == ' ')
            ++p;
        m_tBegin = p;
        return p;
    }

    bool startsWith(const QByteArray &marker) const
    {
        const qsizetype n = marker.size();
        return m_end - m_begin >= n
               && sameBytes(m_begin, reinterpret_cast<const uchar *>(marker.constData()), n);
    }
    // needle is never empty here.
    const uchar *find(const uchar *from, const QByteArray &needle) const
    {
        return findBytes(from, m_end, reinterpret_cast<const uchar *>(needle.constData()),
                         needle.size());
    }

    const PassSetup &m_s;
    QByteArray m_startLine, m_finishLine, m_rLine, m_hand, m_result, m_rating;
    QList<QByteArray> m_needles;
    // The four winds' characters, two bytes in CP932, three in UTF-8.
    struct Wind
    {
        std::array<uchar, 3> bytes{};
        int size = 0;
    };
    std::array<Wind, 4> m_winds;
    const uchar *m_begin = nullptr, *m_end = nullptr;
    const uchar *m_tBegin = nullptr; // null until trimmedBegin() is asked
    QString m_text;
    bool m_decoded = false;
};

// Counts the names of the rating lines while the pass runs ("[n]name R1500":
// a name runs from a "]" to the next " R"). A plain hash of the characters
// and no copy of a name already seen keep it cheap; the summary gets the
// counts when the pass ends, however it ends.
class SeatCounter
{
public:
    explicit SeatCounter(LogSummary &summary)
        : m_summary(summary)
    {}
    ~SeatCounter()
    {
        for (const auto &[name, n] : m_counts)
            m_summary.seats[name] += n;
    }
    SeatCounter(const SeatCounter &) = delete;
    SeatCounter &operator=(const SeatCounter &) = delete;

    void add(QStringView ratingLine)
    {
        const QChar *const chars = ratingLine.data();
        const qsizetype n = ratingLine.size();
        qsizetype from = -1;
        for (qsizetype i = 0; i < n; ++i) {
            const char16_t c = chars[i].unicode();
            if (c == u']' && from < 0) {
                from = i + 1;
            } else if (c == u'[') {
                from = -1;
            } else if (c == u' ' && from >= 0 && i + 1 < n && chars[i + 1] == u'R') {
                if (i > from)
                    count(QStringView(chars + from, i - from));
                from = -1;
            }
        }
    }

private:
    struct Hash
    {
        using is_transparent = void;
        size_t operator()(QStringView s) const noexcept
        {
            size_t h = 14695981039346656037u; // FNV-1a
            for (const QChar c : s)
                h = (h ^ c.unicode()) * 1099511628211u;
            return h;
        }
    };
    struct Equal
    {
        using is_transparent = void;
        bool operator()(QStringView a, QStringView b) const noexcept { return a == b; }
    };

    void count(QStringView name)
    {
        if (const auto it = m_counts.find(name); it != m_counts.end())
            ++it->second;
        else
            m_counts.emplace(name.toString(), 1);
    }

    LogSummary &m_summary;
    std::unordered_map<QString, qint32, Hash, Equal> m_counts;
};

// The pass over the lines, the same for both ways of comparing.
template<typename Lines>
void runPass(LineReader &reader, const PassSetup &s, Lines &lines, CalcResults &results,
             const PassHooks &hooks, qint32 &lineCount, LogSummary &summary)
{
    bool inGame = false;
    qint16 handState = 0;
    qint32 rating = 0;
    // Every CheckLine lines the progress moves on; a count down spares the
    // division on every line.
    const qint64 every = qAbs(qint64(s.checkLine));
    qint64 untilStatus = every;
    QByteArrayView bytes;
    SeatCounter seats(summary);
    for (;;) {
        // Counted before it is read, so that a failure to read a line names
        // that line.
        lineCount = add32(lineCount, 1);
        if (!reader.next(bytes)) {
            --lineCount;
            break;
        }
        if (every == 0)
            raise(ErrorKind::DivisionByZero);
        if (--untilStatus == 0) {
            untilStatus = every;
            const qint16 step = toInt16(double(lineCount) / double(s.checkLine));
            if (hooks.statusChange)
                hooks.statusChange(step);
            checkCancel(hooks.cancel);
        }
        lines.setLine(bytes);
        if (lines.isHeader()) {
            ++summary.games; // never more than the lines, counted in 32 bits
            inGame = s.header.accepts(lines.text());
            continue;
        }
        if (lines.isFinish()) {
            inGame = false;
            continue;
        }
        if (lines.isRating()) {
            // One line a game: decoding it costs the pass nothing to speak of.
            seats.add(lines.text());
            if (inGame)
                inGame = lines.rating(rating);
            continue;
        }
        if (!inGame)
            continue;
        if (handState == 0) {
            if (!lines.startsWithWind()) {
                GameResult r;
                if (lines.result(r))
                    results.recordGame(r.rank, r.score, rating);
            } else {
                results.addToCounter(calc::HandCount);
                handState = lines.handState();
            }
            continue;
        }
        // The line after a hand line tells how the hand ended.
        if (handState == 1) {
            const bool tsumo = lines.contains(Tsumo);
            if (tsumo || lines.contains(Ron)) {
                results.addToCounter(tsumo ? calc::OwnTsumo : calc::OwnRon);
                for (qint16 i = 0; i <= s.yakuLast; ++i) {
                    if (lines.contains(Yaku0 + i)) {
                        results.addWinByHan(i);
                        break;
                    }
                }
            } else if (lines.contains(Draw)) {
                results.addToCounter(calc::DrawPlus);
            } else if (lines.contains(Chombo)) {
                results.addToCounter(calc::OtherChombo);
            } else {
                results.addToCounter(calc::OtherResult);
            }
        } else if (lines.contains(Tsumo)) {
            results.addToCounter(calc::OtherTsumo);
        } else if (lines.contains(Ron)) {
            results.addToCounter(calc::OtherRon);
        } else if (lines.contains(Draw)) {
            results.addToCounter(handState == -1 ? calc::DrawMinus : calc::OtherResult);
        } else if (lines.contains(Chombo)) {
            results.addToCounter(calc::OwnChombo);
        } else {
            results.addToCounter(calc::OtherResult);
        }
        handState = 0;
    }
    results.closeRankRuns();
}

// The first bytes of the file, up to limit.
QByteArray headOf(const QString &path, qsizetype limit, const CancelFlag *cancel)
{
    return fileops::InputFile(path).readUpTo(limit, cancel);
}

// The pass in the form of the log's lines, by its two ways of comparing.
template<typename Form>
void runIn(LineReader &reader, const PassSetup &setup, ScorePassMode mode, CalcResults &results,
           const PassHooks &hooks, qint32 &lineCount, ScorePassMode &used, LogSummary &summary)
{
    std::optional<FastLines<Form>> fast =
        mode != ScorePassMode::Plain ? FastLines<Form>::create(setup) : std::nullopt;
    if (fast) {
        used = ScorePassMode::Fast;
        runPass(reader, setup, *fast, results, hooks, lineCount, summary);
    } else {
        used = ScorePassMode::Plain;
        PlainLines<Form> plain(setup);
        runPass(reader, setup, plain, results, hooks, lineCount, summary);
    }
}

} // namespace

LogForm detectLogForm(const QString &path, const TableInfo &tables, const CancelFlag *cancel)
{
    QByteArray head = headOf(path, qsizetype(64) << 10, cancel);
    LogForm form;
    form.bytes = byteFormOfMark(head);
    if (form.bytes == ByteForm::Utf16LE || form.bytes == ByteForm::Utf16BE) {
        form.utf8 = true; // the line reader turns it into UTF-8
        return form;
    }
    if (form.bytes == ByteForm::AfterUtf8Bom)
        head.remove(0, 3);
    // The texts of a game header whose bytes differ between the two forms.
    QList<QByteArray> utf8Texts, cp932Texts;
    QStringList texts{QStringLiteral("開始")};
    for (int group = 1; group <= 2; ++group)
        for (const TableEntry &e : tables.recognition(group))
            texts << e.tableString();
    for (const QString &text : texts) {
        const QByteArray u = text.toUtf8();
        const std::optional<QByteArray> c = cp932::encode(text);
        if (!text.isEmpty() && (!c || *c != u)) {
            utf8Texts << u;
            if (c)
                cp932Texts << *c;
        }
    }
    // The first game header says which form the log is in.
    const QByteArray markerUtf8 = tables.startLine().toUtf8();
    const QByteArray markerCp932 = cp932::encodeLossy(tables.startLine());
    for (QByteArrayView rest(head); !rest.isEmpty();) {
        qsizetype end = 0;
        while (end < rest.size() && rest[end] != '\r' && rest[end] != '\n')
            ++end;
        const QByteArrayView line = rest.first(end);
        rest = rest.sliced(qMin(end + 1, rest.size()));
        if (!line.startsWith(markerUtf8) && !line.startsWith(markerCp932))
            continue;
        for (const QByteArray &t : std::as_const(utf8Texts))
            if (line.contains(t)) {
                form.utf8 = true;
                return form;
            }
        for (const QByteArray &t : std::as_const(cp932Texts))
            if (line.contains(t))
                return form;
    }
    return form;
}

QStringList LogSummary::mostSeated(qsizetype n) const
{
    QList<std::pair<qint32, QString>> byCount;
    byCount.reserve(seats.size());
    for (auto it = seats.cbegin(); it != seats.cend(); ++it)
        byCount.append({-it.value(), it.key()});
    std::sort(byCount.begin(), byCount.end());
    QStringList names;
    for (qsizetype i = 0; i < qMin(n, byCount.size()); ++i)
        names.append(byCount[i].second);
    return names;
}

PassSettings PassSettings::from(const Settings &settings)
{
    PassSettings p;
    p.scoreFile = settings.scoreFile();
    p.userName = settings.userName();
    p.specifyDate = settings.specifyDate();
    p.startDate = settings.startDate();
    p.endDate = settings.endDate();
    p.startTime = settings.startTime();
    p.endTime = settings.endTime();
    p.tableKind1 = settings.tableKind(1);
    p.tableKind2 = settings.tableKind(2);
    p.checkLine = settings.checkLine();
    return p;
}

bool checkGameHeader(QStringView line, const PassSettings &settings, const TableInfo &tables)
{
    return HeaderRules::from(settings, tables).accepts(line);
}

bool checkRatingLine(qint32 &rating, QStringView line, const QString &userName)
{
    return ratingOf(line, userName + QStringLiteral(" R"), rating);
}

qint32 countScoreFileLines(const QString &path, const CancelFlag *cancel)
{
    try {
        const ByteForm form = byteFormOfMark(headOf(path, 3, cancel));
        const qint64 n = countLines(path, cancel, form);
        if (n > std::numeric_limits<qint32>::max())
            return 0;
        return qint32(n);
    } catch (const Error &) {
        return 0;
    }
}

ScorePass::ScorePass(PassSettings settings, const TableInfo &tables)
    : m_settings(std::move(settings))
    , m_tables(tables)
{}

bool ScorePass::run(CalcResults &results, const PassHooks &hooks)
{
    qint32 lineCount = 0;
    try {
        const LogForm form =
            m_form ? *m_form : detectLogForm(m_settings.scoreFile, m_tables, hooks.cancel);
        LineReader reader(m_settings.scoreFile, 1 << 20, LineReader::DefaultMaxLineLength,
                          hooks.cancel, form.bytes);
        m_formUsed = form;
        results.clear();
        m_summary = LogSummary();
        const PassSetup setup = PassSetup::from(m_settings, m_tables);
        if (form.utf8)
            runIn<Utf8Form>(reader, setup, m_mode, results, hooks, lineCount, m_modeUsed,
                            m_summary);
        else
            runIn<Cp932Form>(reader, setup, m_mode, results, hooks, lineCount, m_modeUsed,
                             m_summary);
        return true;
    } catch (const Error &e) {
        if (hooks.reportError)
            hooks.reportError(e, lineCount);
        return false;
    }
}

} // namespace norva
