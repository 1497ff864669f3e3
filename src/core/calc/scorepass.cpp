// The score log pass: one read of the log that picks the user's games and
// feeds the accumulators, and that can go on later from where it stood.
//
// Every rule is stated on characters. The pass applies the rules in one of two
// ways that give the same answers:
//  - Plain decodes every line and compares QStrings;
//  - Fast compares the bytes of the line with the bytes of the texts it looks
//    for, in the form of the line's game (CP932, or canonical UTF-8), and
//    accepts a hit only where it starts on a character boundary. That is exact
//    as long as every text looked for has a single form in bytes
//    (cp932::encodesUniquely); otherwise the pass falls back to Plain. Fast
//    decodes only the lines whose numbers or dates it needs, and a line of a
//    UTF-8 game only when its bytes are not canonical UTF-8 already.
//
// The pass keeps everything it has gathered in a PassState, taken after the
// last complete line: a pass over the grown log goes on from there.

#include "core/calc/scorepass.h"

#include "core/calc/calcresults.h"

#include "core/common/convert.h"
#include "core/common/cp932.h"
#include "core/common/datetime.h"
#include "core/common/textforms.h"
#include "core/common/utf8.h"
#include "core/settings/settings.h"
#include "core/tables/tableinfo.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QVarLengthArray>

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>
#include <optional>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace norva {

namespace {

// For the few small steps that every line takes, where a call would cost more
// than the step.
#define NORVA_EVERY_LINE [[gnu::always_inline]] inline

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

    // canonical: the texts in the form UTF-8 lines are compared in.
    static HeaderRules from(const PassSettings &settings, const TableInfo &tables, bool canonical)
    {
        auto text = [canonical](const QString &t) {
            return canonical ? textforms::canonical(t) : t;
        };
        HeaderRules r;
        r.markerLength = toInt16(double(text(tables.startLine()).size()));
        for (const TableEntry &e : tables.recognition(1))
            r.group1.append({text(e.tableString()), e.tableId()});
        for (const TableEntry &e : tables.recognition(2))
            r.group2.append({text(e.tableString()), e.tableId()});
        r.kind1 = settings.tableKind1;
        r.kind2 = settings.tableKind2;
        r.specifyDate = settings.specifyDate;
        r.startDate = settings.startDate;
        r.endDate = settings.endDate;
        r.startTime = settings.startTime;
        r.endTime = settings.endTime;
        return r;
    }

    // Whether the table kinds of the header text are counted, contains(text)
    // telling whether the header text holds a text of a group.
    // contains(group, i) tells whether it holds the text of entry i of group
    // 1 or 2.
    // held, when given, receives the entries the header holds (indexes over
    // group 1, then group 2) as far as the test went: all of them when it
    // passes.
    template<typename Contains>
    bool kindsAccept(Contains contains, QList<qint32> *held = nullptr) const
    {
        if (held)
            held->clear();
        auto sum = [&](int group) {
            const QList<HeaderEntry> &entries = group == 1 ? group1 : group2;
            const qint32 first = group == 1 ? 0 : qint32(group1.size());
            qint16 total = 0;
            for (qsizetype i = 0; i < entries.size(); ++i) {
                if (contains(group, i)) {
                    total = toInt16(double(total) + double(entries[i].id));
                    if (held)
                        held->append(first + qint32(i));
                }
            }
            return total;
        };
        if (qint16(sum(2) & kind2) <= 0)
            return false;
        return qint16(sum(1) & kind1) >= 1;
    }

    // The header text of a header line: between StartLine and as many
    // characters at the end.
    QStringView headerText(QStringView line) const
    {
        const qsizetype length = line.size() - 2 * qsizetype(markerLength);
        if (length < 0)
            raise(ErrorKind::InvalidArgument);
        return line.mid(markerLength, length);
    }

    bool accepts(QStringView line, QList<qint32> *held = nullptr) const
    {
        const QStringView header = headerText(line);
        return kindsAccept(
                   [&](int group, qsizetype i) {
                       return containsText(header, (group == 1 ? group1 : group2)[i].text);
                   },
                   held)
               && datesAccept(header);
    }

    // Whether the game's start in the header text is within the dates.
    bool datesAccept(QStringView header) const
    {
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

// The rating line test on characters; seat, when given, takes the digits of
// "[n]" right before the user's name (nothing when the name follows no such
// mark).
bool ratingOf(QStringView line, const QString &needle, qint32 &rating, QByteArray *seat = nullptr)
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
    if (seat) {
        seat->clear();
        qsizetype open = at - 1;
        while (open > 0 && line[open - 1].isDigit() && line[open - 1].unicode() < 128)
            --open;
        if (at > 0 && line[at - 1] == u']' && open > 0 && open < at - 1 && line[open - 1] == u'[')
            *seat = line.mid(open, at - 1 - open).toLatin1();
    }
    return true;
}

// The figures beyond the record read the hand line and the tile records by
// their ASCII characters alone (digits, signs, spaces, ")", "*"), which no
// byte of another character's CP932 or UTF-8 form is: the same code reads
// the decoded text (char16_t) and the bytes (uchar).

bool isDigitUnit(char32_t c)
{
    return c >= '0' && c <= '9';
}

// The signed whole number at p (a sign, then digits, as far as they go; 0
// without digits), held to 32 bits.
template<typename Ch>
qint64 numberAt(const Ch *p, const Ch *end, const Ch **stop = nullptr)
{
    bool negative = false;
    if (p < end && (*p == '-' || *p == '+'))
        negative = *p++ == '-';
    qint64 v = 0;
    for (; p < end && isDigitUnit(*p); ++p)
        v = qMin<qint64>(v * 10 + (*p - '0'), qint64(1) << 40);
    if (stop)
        *stop = p;
    v = negative ? -v : v;
    return qBound(qint64(std::numeric_limits<qint32>::min()), v,
                  qint64(std::numeric_limits<qint32>::max()));
}

// Whether no change of points in the hand line [b, e) is lower than change:
// the changes are the words after the first ")" that are wholly signed whole
// numbers.
template<typename Ch>
bool noLowerChange(const Ch *b, const Ch *e, qint32 change)
{
    const Ch *p = b;
    while (p < e && *p != ')')
        ++p;
    if (p < e)
        ++p;
    while (p < e) {
        while (p < e && *p == ' ')
            ++p;
        const Ch *word = p;
        while (p < e && *p != ' ')
            ++p;
        const Ch *digits = word < p && (*word == '-' || *word == '+') ? word + 1 : word;
        if (digits == p)
            continue;
        const Ch *stop = nullptr;
        const qint64 v = numberAt(word, p, &stop);
        if (stop == p && v < change)
            return false;
    }
    return true;
}

// The words of a tile record line [b, e) ("    * 1G8p 1d東 1R ..."): the seat's
// riichi (seat + "R") and its calls (words that begin with seat + "N" or
// seat + "C").
template<typename Ch>
void readRecord(const Ch *b, const Ch *e, QByteArrayView seat, bool &riichi, bool &called)
{
    if (seat.isEmpty())
        return;
    const qsizetype n = seat.size();
    for (const Ch *p = b; p < e;) {
        while (p < e && *p == ' ')
            ++p;
        const Ch *word = p;
        while (p < e && *p != ' ')
            ++p;
        if (p - word <= n)
            continue;
        bool same = true;
        for (qsizetype i = 0; i < n && same; ++i)
            same = word[i] == Ch(uchar(seat[i]));
        if (!same)
            continue;
        const Ch mark = word[n];
        if (mark == 'R' && p - word == n + 1)
            riichi = true;
        else if (mark == 'N' || mark == 'C')
            called = true;
    }
}

// "    * ": a line of tile records.
template<typename Ch>
bool isRecordLine(const Ch *b, const Ch *e)
{
    static constexpr char mark[] = "    * ";
    if (e - b < 6)
        return false;
    for (int i = 0; i < 6; ++i)
        if (b[i] != Ch(mark[i]))
            return false;
    return true;
}

// "----" after the leading spaces: the game's results begin.
template<typename Ch>
bool beginsResults(const Ch *b, const Ch *e)
{
    while (b < e && *b == ' ')
        ++b;
    return e - b >= 4 && b[0] == '-' && b[1] == '-' && b[2] == '-' && b[3] == '-';
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
// short: sixteen places at a time are tested for two bytes of the needle, and
// only those that have both are compared in full. The bytes tested are the
// second and the last but one (the first and the last of a short needle):
// the needles mostly begin and end with a space, which lines are full of. The
// 16 bytes after end may be read (see FastLines).
const uchar *findBytes(const uchar *p, const uchar *end, const uchar *needle, qsizetype n)
{
    if (end - p < n)
        return nullptr;
    const uchar *const lastStart = end - n;
    const qsizetype a = n >= 4 ? 1 : 0;
    const qsizetype b = n >= 4 ? n - 2 : n - 1;
#if defined(__SSE2__)
    const __m128i first = _mm_set1_epi8(char(needle[a]));
    const __m128i second = _mm_set1_epi8(char(needle[b]));
    for (; p <= lastStart; p += 16) {
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p + a));
        const __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p + b));
        unsigned mask = unsigned(
            _mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(x, first), _mm_cmpeq_epi8(y, second))));
        if (lastStart - p < 15)
            mask &= (2u << (lastStart - p)) - 1;
        while (mask != 0) {
            const uchar *at = p + __builtin_ctz(mask);
            if (sameBytes(at, needle, n))
                return at;
            mask &= mask - 1;
        }
    }
    return nullptr;
#else
    for (; p <= lastStart; ++p)
        if (p[a] == needle[a] && p[b] == needle[b] && sameBytes(p, needle, n))
            return p;
    return nullptr;
#endif
}

// The bytes after a line that FastLines may read past its end.
constexpr qsizetype LinePadding = 64;

// A copy of a line with room to read past its end.
QByteArray paddedCopy(QByteArrayView line)
{
    QByteArray copy;
    copy.reserve(line.size() + LinePadding);
    copy.append(line);
    return copy;
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

    // canonical: the texts in the form UTF-8 lines are compared in.
    static PassSetup from(const PassSettings &settings, const TableInfo &tables, bool canonical)
    {
        auto text = [canonical](const QString &t) {
            return canonical ? textforms::canonical(t) : t;
        };
        PassSetup s;
        s.user = text(settings.userName);
        s.userLength = toInt16(double(s.user.size()));
        s.startLine = text(tables.startLine());
        s.finishLine = text(tables.finishLine());
        s.rLine = text(tables.rLine());
        s.checkLine = settings.checkLine;
        s.header = HeaderRules::from(settings, tables, canonical);
        s.needles = {QStringLiteral("ツモ"), QStringLiteral("ロン"), QStringLiteral("流局"),
                     QStringLiteral("チョンボ")};
        s.yakuLast = tables.yakuLast();
        for (qint16 i = 0; i <= s.yakuLast; ++i)
            s.needles.append(text(tables.yakuString(i)));
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

// The user's change of points in a hand line, and whether no change there is
// lower, from the place after the user's entry " name ".
struct HandChange
{
    qint32 change = 0;
    bool lowest = false;
};

template<typename Ch>
HandChange handChangeOf(const Ch *b, const Ch *after, const Ch *e)
{
    HandChange h;
    h.change = qint32(numberAt(after, e));
    // Only a fall in points can be a deal-in.
    h.lowest = after < e && *after == '-' && noLowerChange(b, e, h.change);
    return h;
}

// -1 when the user's points fell in this hand line, 1 when they did not, -2
// when the user is not in it.
qint16 handStateOf(QStringView line, const PassSetup &s, HandChange *change = nullptr)
{
    const qsizetype at = line.indexOf(s.handNeedle);
    if (at < 0)
        return -2;
    if (change) {
        const auto *b = reinterpret_cast<const char16_t *>(line.data());
        *change = handChangeOf(b, b + at + s.handNeedle.size(), b + line.size());
    }
    return line.mid(at + s.userLength + 2, 1) == u"-" ? -1 : 1;
}

// The two forms of a game's lines.
struct Cp932Form
{
    static constexpr bool utf8 = false;
    static void decodeAppend(QByteArrayView bytes, QString &out)
    {
        cp932::decodeAppend(bytes, out);
    }
    // The text of a line, as the rules see it.
    static void decodeLine(QByteArrayView bytes, QString &out)
    {
        out.truncate(0);
        cp932::decodeAppend(bytes, out);
    }
    // The bytes the byte path compares: the line's own.
    static QByteArrayView prepare(QByteArrayView bytes, QByteArray &) { return bytes; }
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
    static constexpr bool utf8 = true;
    static void decodeAppend(QByteArrayView bytes, QString &out)
    {
        out += textforms::decodeUtf8(bytes);
    }
    // A line that is no valid UTF-8 is CP932; either way in the canonical form.
    static void decodeLine(QByteArrayView bytes, QString &out)
    {
        const auto *p = reinterpret_cast<const uchar *>(bytes.data());
        const textforms::Utf8Bytes kind = textforms::examineUtf8(p, p + bytes.size());
        out = kind == textforms::Utf8Bytes::Invalid ? cp932::decode(bytes)
                                                    : textforms::decodeUtf8(bytes);
        if (kind != textforms::Utf8Bytes::Canonical)
            out = textforms::canonical(out);
    }
    // The line's own bytes when they are canonical UTF-8, else the canonical
    // UTF-8 of its text in scratch.
    static QByteArrayView prepare(QByteArrayView bytes, QByteArray &scratch)
    {
        const auto *p = reinterpret_cast<const uchar *>(bytes.data());
        if (textforms::examineUtf8(p, p + bytes.size()) == textforms::Utf8Bytes::Canonical)
            return bytes;
        QString text;
        decodeLine(bytes, text);
        scratch = paddedCopy(text.toUtf8());
        return scratch;
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

// The names of a rating line's entries "[1]name R1500": each runs from after
// "]" to the " R" that a number follows.
template<typename Form, typename Take>
void forEachName(QByteArrayView bytes, Take take)
{
    const auto *const b = reinterpret_cast<const uchar *>(bytes.data());
    const uchar *const e = b + bytes.size();
    auto isDigit = [](uchar c) {
        return c >= '0' && c <= '9';
    };
    auto step = [e](const uchar *p) {
        return p + qMax(1, Form::charLength(p, e));
    };
    for (const uchar *p = b; p < e;) {
        if (*p != '[') {
            p = step(p);
            continue;
        }
        const uchar *q = p + 1;
        while (q < e && isDigit(*q))
            ++q;
        if (q == p + 1 || q == e || *q != ']') {
            p = q;
            continue;
        }
        const uchar *const name = q + 1;
        const uchar *r = name;
        while (r < e
               && !(e - r > 2 && r[0] == ' ' && r[1] == 'R'
                    && (isDigit(r[2]) || r[2] == '-' || r[2] == '+')))
            r = step(r);
        if (r == e)
            return;
        if (r > name)
            take(QByteArrayView(name, r - name));
        p = r + 2;
    }
}

template<typename Form>
void countNames(QByteArrayView bytes, LogSummary &summary)
{
    forEachName<Form>(bytes,
                      [&summary](QByteArrayView name) { summary.addName(name, Form::utf8); });
}

// The other players of a rating line, each once: its names but the user's.
template<typename Form>
void opponentsOf(QByteArrayView bytes, const QString &user, QStringList &out)
{
    out.clear();
    forEachName<Form>(bytes, [&](QByteArrayView name) {
        const QString text = Form::utf8 ? textforms::decodeUtf8(name) : cp932::decode(name);
        if (text != user && !out.contains(text))
            out.append(text);
    });
}

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
        m_bytes = bytes;
        Form::decodeLine(bytes, m_text);
    }
    const QString &text() { return m_text; }
    bool isHeader() const { return startsWithText(m_text, m_s.startLine); }
    bool isFinish() const { return startsWithText(m_text, m_s.finishLine); }
    bool isRating() const { return startsWithText(m_text, m_s.rLine); }
    bool rating(qint32 &r, QByteArray &seat) const
    {
        return ratingOf(m_text, m_s.ratingNeedle, r, &seat);
    }
    bool acceptsHeader(QList<qint32> &held) const { return m_s.header.accepts(m_text, &held); }
    bool mayBeHandOrResult() const { return true; }
    void countNames(LogSummary &summary)
    {
        // The names as the byte path sees them: the line's bytes in CP932,
        // its canonical text in UTF-8.
        if constexpr (Form::utf8)
            norva::countNames<Form>(m_text.toUtf8(), summary);
        else
            norva::countNames<Form>(m_bytes, summary);
    }
    void opponents(QStringList &out) const
    {
        if constexpr (Form::utf8)
            opponentsOf<Form>(m_text.toUtf8(), m_s.user, out);
        else
            opponentsOf<Form>(m_bytes, m_s.user, out);
    }
    bool isRecord() const { return isRecordLine(units(), units() + m_text.size()); }
    bool beginsResults() const { return norva::beginsResults(units(), units() + m_text.size()); }
    void readRecord(QByteArrayView seat, bool &riichi, bool &called) const
    {
        norva::readRecord(units(), units() + m_text.size(), seat, riichi, called);
    }
    bool startsWithWind() const
    {
        const QStringView t = trimSpaces(m_text);
        return !t.isEmpty() && isWind(t[0]);
    }
    bool result(GameResult &out) const { return resultOf(m_text, m_s, out); }
    qint16 handState(HandChange &change) const { return handStateOf(m_text, m_s, &change); }
    bool contains(int needle) const { return containsText(m_text, m_s.needles[needle]); }

private:
    const char16_t *units() const { return reinterpret_cast<const char16_t *>(m_text.constData()); }

    const PassSetup &m_s;
    QByteArrayView m_bytes;
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
        if (!f.m_startLine.set(s.startLine) || !f.m_finishLine.set(s.finishLine)
            || !f.m_rLine.set(s.rLine) || !enc(s.handNeedle, f.m_hand)
            || !enc(s.resultNeedle, f.m_result) || !enc(s.ratingNeedle, f.m_rating))
            return std::nullopt;
        // The texts of the table kinds; without a single form of each, or with
        // a long StartLine, or one of characters beyond the plane, the
        // decoded header decides.
        qsizetype markerChars = 0;
        const auto *mb = reinterpret_cast<const uchar *>(f.m_startLine.bytes.constData());
        const uchar *const me = mb + f.m_startLine.bytes.size();
        for (const uchar *p = mb; p < me; p += qMax(1, Form::charLength(p, me)))
            ++markerChars;
        f.m_kindsInBytes = markerChars == s.header.markerLength && markerChars < 17;
        for (int group = 1; group <= 2; ++group)
            for (const HeaderEntry &e : group == 1 ? s.header.group1 : s.header.group2) {
                QByteArray bytes;
                f.m_kindsInBytes = f.m_kindsInBytes && enc(e.text, bytes);
                f.m_kindBytes[group - 1].append(bytes);
            }
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
            f.m_windLead[uchar(w->at(0))] = true;
            wind.size = int(w->size());
            for (int k = 0; k < wind.size; ++k)
                wind.bytes[size_t(k)] = uchar(w->at(k));
        }
        return f;
    }

    // bytes: a line, after which 64 bytes may be read (TextLines).
    NORVA_EVERY_LINE void setLine(QByteArrayView bytes)
    {
        const QByteArrayView line = Form::prepare(bytes, m_scratch);
        m_begin = reinterpret_cast<const uchar *>(line.data());
        m_end = m_begin + line.size();
        m_decoded = false;
        m_tBegin = nullptr;
        m_head = 0;
        m_headRead = false;
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
    NORVA_EVERY_LINE bool isHeader() { return m_startLine.begins(m_begin, m_end, head()); }
    NORVA_EVERY_LINE bool isFinish() { return m_finishLine.begins(m_begin, m_end, head()); }
    NORVA_EVERY_LINE bool isRating() { return m_rLine.begins(m_begin, m_end, head()); }
    bool rating(qint32 &r, QByteArray &seat)
    {
        // Most rating lines of a counted game hold the user; the rule's
        // details are checked on the decoded line.
        if (!find(m_begin, m_rating))
            return false;
        return ratingOf(text(), m_s.ratingNeedle, r, &seat);
    }
    // The game header test on a header line; held takes the recognition
    // entries it holds.
    bool acceptsHeader(QList<qint32> &held)
    {
        const HeaderRules &rules = m_s.header;
        const qsizetype marker = rules.markerLength;
        if (!m_kindsInBytes)
            return rules.accepts(text(), &held);
        // The header text: after StartLine, whose bytes begin the line, and
        // before as many characters at the end, each one UTF-16 unit in the
        // decoded line (a character of two units leaves it to the text). The
        // last characters' places are kept as the walk goes.
        constexpr qsizetype Kept = 17;
        std::array<const uchar *, Kept> last{};
        const uchar *const hb = m_begin + m_startLine.bytes.size();
        qsizetype count = marker;
        for (const uchar *p = hb; p < m_end; ++count) {
            const int n = Form::charLength(p, m_end);
            if (n == 0 || n == 4)
                return rules.accepts(text(), &held);
            last[size_t(count % Kept)] = p;
            p += n;
        }
        const qsizetype length = count - 2 * marker;
        if (length < 0)
            raise(ErrorKind::InvalidArgument);
        const uchar *const he = marker == 0 ? m_end : last[size_t((count - marker) % Kept)];
        const bool kinds = rules.kindsAccept(
            [&](int group, qsizetype i) {
                const QByteArray &bytes = m_kindBytes[size_t(group - 1)][i];
                if (bytes.isEmpty())
                    return he > hb;
                const uchar *walk = hb;
                for (const uchar *from = hb;;) {
                    const uchar *hit = findBytes(
                        from, he, reinterpret_cast<const uchar *>(bytes.data()), bytes.size());
                    if (!hit)
                        return false;
                    if constexpr (Form::hitsOnBoundaries)
                        return true;
                    while (walk < hit)
                        walk += Form::charLength(walk, he);
                    if (walk == hit)
                        return true;
                    from = hit + 1;
                }
            },
            &held);
        if (!kinds || !rules.specifyDate)
            return kinds;
        return rules.datesAccept(rules.headerText(text()));
    }
    void countNames(LogSummary &summary)
    {
        norva::countNames<Form>(QByteArrayView(m_begin, m_end - m_begin), summary);
    }
    void opponents(QStringList &out) const
    {
        opponentsOf<Form>(QByteArrayView(m_begin, m_end - m_begin), m_s.user, out);
    }
    bool isRecord() const { return isRecordLine(m_begin, m_end); }
    bool beginsResults() const { return norva::beginsResults(m_begin, m_end); }
    void readRecord(QByteArrayView seat, bool &riichi, bool &called) const
    {
        // Tile records are most of a log's bytes: one sweep looks for the
        // marks "R", "N" and "C" (sixteen bytes at a time) and reads the
        // seat before a mark only where one is found.
        const qsizetype n = seat.size();
        if (n == 0 || (riichi && called))
            return;
        const auto *seatBytes = reinterpret_cast<const uchar *>(seat.data());
        // The mark at p ends a word " " + seat + mark, whole for "R".
        auto take = [&](const uchar *p) {
            const uchar *at = p - n - 1;
            if (at < m_begin || at[0] != ' ' || !sameBytes(at + 1, seatBytes, n))
                return;
            if (*p == 'R')
                riichi = riichi || p + 1 == m_end || p[1] == ' ';
            else
                called = true;
        };
        const uchar *p = m_begin;
#if defined(__SSE2__)
        const __m128i r = _mm_set1_epi8('R'), nn = _mm_set1_epi8('N'), c = _mm_set1_epi8('C');
        for (; p < m_end && !(riichi && called); p += 16) {
            // The line's padding may be read past its end.
            const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
            unsigned mask = unsigned(_mm_movemask_epi8(_mm_or_si128(
                _mm_or_si128(_mm_cmpeq_epi8(x, r), _mm_cmpeq_epi8(x, nn)), _mm_cmpeq_epi8(x, c))));
            if (m_end - p < 16)
                mask &= (1u << (m_end - p)) - 1;
            for (; mask != 0; mask &= mask - 1)
                take(p + __builtin_ctz(mask));
        }
#else
        for (; p < m_end && !(riichi && called); ++p)
            if (*p == 'R' || *p == 'N' || *p == 'C')
                take(p);
#endif
    }
    // False when the line can be neither a hand line nor a result line: the
    // first two bytes after the spaces are no wind's, and they are one
    // character that "位" does not follow. (Bytes past the end are no part of
    // either: a line that short is neither.)
    NORVA_EVERY_LINE bool mayBeHandOrResult()
    {
        static const std::vector<bool> table = handOrResult();
        const uchar *b = trimmedBegin();
        return b < m_end && table[b[0] | (b[1] << 8)];
    }
    NORVA_EVERY_LINE bool startsWithWind()
    {
        // A space byte is always a character of its own, and no wind
        // character ends in one: the trailing spaces need not be cut.
        const uchar *b = trimmedBegin();
        if (b == m_end || !m_windLead[*b])
            return false;
        for (const Wind &w : m_winds)
            if (m_end - b >= w.size && b[0] == w.bytes[0] && b[1] == w.bytes[1]
                && (w.size == 2 || b[2] == w.bytes[2]))
                return true;
        return false;
    }
    NORVA_EVERY_LINE bool result(GameResult &out)
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
        if (m_end - p <= n || *p != uchar(m_result[0])
            || !sameBytes(p, reinterpret_cast<const uchar *>(m_result.constData()), n))
            return false;
        return resultOf(text(), m_s, out);
    }
    qint16 handState(HandChange &change) const
    {
        // The pattern begins with a space, which is always a character of
        // its own, so any byte hit is a character hit.
        const uchar *hit = find(m_begin, m_hand);
        if (!hit)
            return -2;
        const uchar *after = hit + m_hand.size();
        change = handChangeOf(m_begin, after, m_end);
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
    NORVA_EVERY_LINE const uchar *trimmedBegin()
    {
        if (m_tBegin)
            return m_tBegin;
        // Most lines start with a few spaces: the first eight bytes tell.
        const quint64 other = head() ^ 0x2020202020202020u;
        if (other != 0) {
            m_tBegin = qMin(m_end, m_begin + __builtin_ctzll(other) / 8);
            return m_tBegin;
        }
        const uchar *p = m_begin + 8;
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

    // A text a line may begin with: up to eight bytes are compared as one
    // word.
    struct Marker
    {
        QByteArray bytes;
        quint64 word = 0, mask = 0;

        bool set(const QString &text)
        {
            const std::optional<QByteArray> e = Form::encode(text);
            if (!e)
                return false;
            bytes = *e;
            if (bytes.size() <= 8) {
                std::memcpy(&word, bytes.constData(), size_t(bytes.size()));
                mask = bytes.size() == 8 ? ~quint64(0) : (quint64(1) << (8 * bytes.size())) - 1;
            }
            return true;
        }
        // head: the line's first eight bytes (head()).
        NORVA_EVERY_LINE bool begins(const uchar *b, const uchar *e, quint64 head) const
        {
            const qsizetype n = bytes.size();
            if (e - b < n)
                return false;
            if (n > 8)
                return sameBytes(b, reinterpret_cast<const uchar *>(bytes.constData()), n);
            return (head & mask) == word;
        }
    };
    // needle is never empty here.
    const uchar *find(const uchar *from, const QByteArray &needle) const
    {
        return findBytes(from, m_end, reinterpret_cast<const uchar *>(needle.constData()),
                         needle.size());
    }

    const PassSetup &m_s;
    Marker m_startLine, m_finishLine, m_rLine;
    QByteArray m_hand, m_result, m_rating;
    QList<QByteArray> m_needles;
    std::array<QList<QByteArray>, 2> m_kindBytes; // of group 1 and 2
    bool m_kindsInBytes = false;
    // The four winds' characters, two bytes in CP932, three in UTF-8.
    struct Wind
    {
        std::array<uchar, 3> bytes{};
        int size = 0;
    };
    std::array<Wind, 4> m_winds;
    std::array<bool, 256> m_windLead{}; // the first bytes of the winds

    // Whether the first two bytes (the second as the high byte) can begin a
    // hand line (a wind) or a result line (one character, then "位"), the
    // same in every pass of the form.
    static std::vector<bool> handOrResult()
    {
        const std::optional<QByteArray> rank = Form::encode(QStringLiteral("位"));
        std::vector<bool> table(0x10000, false);
        for (int pair = 0; pair < 0x10000; ++pair) {
            const std::array<uchar, 2> bytes{uchar(pair & 0xFF), uchar(pair >> 8)};
            const int first = Form::charLength(bytes.data(), bytes.data() + 2);
            table[size_t(pair)] = first != 1 || !rank || bytes[1] == uchar(rank->at(0));
        }
        for (const char16_t wind : {u'東', u'南', u'西', u'北'}) {
            const std::optional<QByteArray> w = Form::encode(QString(QChar(wind)));
            if (w && w->size() >= 2)
                table[uchar(w->at(0)) | (uchar(w->at(1)) << 8)] = true;
        }
        return table;
    }
    const uchar *m_begin = nullptr, *m_end = nullptr;
    const uchar *m_tBegin = nullptr; // null until trimmedBegin() is asked
    // The first eight bytes of the line, zero past its end, once asked.
    quint64 m_head = 0;
    bool m_headRead = false;

    NORVA_EVERY_LINE quint64 head()
    {
        if (!m_headRead) {
            std::memcpy(&m_head, m_begin, 8); // the line's padding may be read
            const qsizetype n = m_end - m_begin;
            if (n < 8)
                m_head &= (quint64(1) << (8 * n)) - 1;
            m_headRead = true;
        }
        return m_head;
    }
    QByteArray m_scratch;
    QString m_text;
    bool m_decoded = false;
};

// The line tests of one line of a game in the form of Lines.
// A game header that is counted: what the game list keeps of it until the
// user's result line records the game.
template<typename Lines>
void beginGame(Lines &lines, const PassSetup &s, PassState &st, QByteArrayView raw)
{
    const GameHeaderParts parts = splitGameHeader(s.header.headerText(lines.text()));
    PassState::GameStart &g = st.game;
    g.offset = st.offset;
    g.headerHash = hashBytes(raw);
    g.hands = st.results.counter(calc::HandCount);
    g.wins = st.results.extra().wins();
    g.dealIns = st.results.extra().dealIns();
    g.utf8 = st.utf8;
    g.start = parts.start.toString();
    g.table = parts.table.toString();
}

// The user's result line of the game begun last: one game in the list.
void recordListedGame(PassState &st, const GameResult &r)
{
    const PassState::GameStart &g = st.game;
    GameList::Game game;
    game.start = g.offset;
    game.end = st.offset;
    game.headerHash = g.headerHash;
    game.hands = st.results.counter(calc::HandCount) - g.hands;
    game.wins = st.results.extra().wins() - g.wins;
    game.dealIns = st.results.extra().dealIns() - g.dealIns;
    game.rating = st.rating;
    game.rank = r.rank;
    game.score = r.score;
    game.utf8 = g.utf8;
    st.results.games().append(game, g.start, g.table);
    st.gameLines = PassState::GameLines::Open;
}

template<typename Lines>
NORVA_EVERY_LINE void testLine(Lines &lines, const PassSetup &s, PassState &st, QByteArrayView raw)
{
    CalcResults &results = st.results;
    ExtraFigures &extra = results.extra();
    if (lines.isHeader()) {
        st.summary.addGame();
        st.gameLines = PassState::GameLines::Closed;
        st.recordsOpen = false;
        st.seat.clear();
        st.opponents.clear();
        st.inGame = lines.acceptsHeader(st.tableKinds);
        if (st.inGame)
            beginGame(lines, s, st, raw);
        return;
    }
    if (lines.isFinish()) {
        st.inGame = false;
        st.recordsOpen = false;
        if (st.gameLines == PassState::GameLines::Open)
            st.gameLines = PassState::GameLines::Closing;
        return;
    }
    if (lines.isRating()) {
        lines.countNames(st.summary);
        st.recordsOpen = false;
        if (st.inGame) {
            st.inGame = lines.rating(st.rating, st.seat);
            if (st.inGame)
                lines.opponents(st.opponents);
        }
        return;
    }
    if (!st.inGame)
        return;
    if (st.handState == 0) {
        if (st.recordsOpen) {
            if (lines.isRecord()) {
                // What the hand's records showed already is not looked for.
                bool riichi = st.riichi, called = st.called;
                lines.readRecord(st.seat, riichi, called);
                if (!st.recorded)
                    extra.addRecordedHand();
                if (riichi && !st.riichi)
                    extra.addRiichiHand();
                if (called && !st.called)
                    extra.addCallHand();
                st.recorded = true;
                st.riichi = riichi;
                st.called = called;
            } else if (lines.beginsResults()) {
                st.recordsOpen = false;
            }
        }
        // Most lines of a game are neither: their first two bytes tell.
        if (!lines.mayBeHandOrResult())
            return;
        if (!lines.startsWithWind()) {
            GameResult r;
            if (lines.result(r)) {
                results.recordGame(r.rank, r.score, st.rating);
                extra.addGame(r.rank, r.score, st.opponents, st.tableKinds);
                st.recordsOpen = false;
                recordListedGame(st, r);
            }
        } else {
            results.addToCounter(calc::HandCount);
            HandChange change;
            st.handState = lines.handState(change);
            st.change = change.change;
            st.lowest = change.lowest;
            st.recordsOpen = false;
        }
        return;
    }
    // The line after a hand line tells how the hand ended; the tile records
    // of the hand may follow it.
    st.recordsOpen = true;
    st.recorded = st.riichi = st.called = false;
    if (st.handState == 1) {
        const bool tsumo = lines.contains(Tsumo);
        if (tsumo || lines.contains(Ron)) {
            results.addToCounter(tsumo ? calc::OwnTsumo : calc::OwnRon);
            extra.addWin(st.change);
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
        if (st.handState == -1)
            extra.addTsumoLoss(st.change);
    } else if (lines.contains(Ron)) {
        results.addToCounter(calc::OtherRon);
        // A ron of another player costs the user only when nobody lost more
        // (a riichi stick lost beside another's deal-in is no deal-in).
        if (st.handState == -1 && st.lowest)
            extra.addDealIn(st.change);
    } else if (lines.contains(Draw)) {
        results.addToCounter(st.handState == -1 ? calc::DrawMinus : calc::OtherResult);
    } else if (lines.contains(Chombo)) {
        results.addToCounter(calc::OwnChombo);
    } else {
        results.addToCounter(calc::OtherResult);
    }
    st.handState = 0;
}

// What every line of a pass goes through, in the two forms of its games.
struct PassRules
{
    PassSetup cp932;     // the texts as they are
    PassSetup canonical; // the texts in the form UTF-8 lines are compared in
    // A line that begins with StartLine in either form decides the form of
    // its game.
    QByteArray headerCp932, headerUtf8;
    bool anyLineBeginsGame;
    std::array<char, 2> headerFirst;
    qint64 every = 0;

    PassRules(const PassSettings &settings, const TableInfo &tables)
        : cp932(PassSetup::from(settings, tables, false))
        , canonical(PassSetup::from(settings, tables, true))
        , headerCp932(cp932::encodeLossy(cp932.startLine))
        , headerUtf8(canonical.startLine.toUtf8())
        , anyLineBeginsGame(headerCp932.isEmpty() || headerUtf8.isEmpty())
        , headerFirst{anyLineBeginsGame ? '\0' : headerCp932[0],
                      anyLineBeginsGame ? '\0' : headerUtf8[0]}
        , every(qAbs(qint64(settings.checkLine)))
    {}

    // Whether the line's first byte may start a game header: a cheap test
    // before beginsGame.
    NORVA_EVERY_LINE bool mayBeginGame(QByteArrayView line) const
    {
        return anyLineBeginsGame
               || (!line.isEmpty() && (line[0] == headerFirst[0] || line[0] == headerFirst[1]));
    }

    bool beginsGame(QByteArrayView line) const
    {
        auto begins = [&line](const QByteArray &marker) {
            return line.size() >= marker.size()
                   && sameBytes(reinterpret_cast<const uchar *>(line.data()),
                                reinterpret_cast<const uchar *>(marker.constData()), marker.size());
        };
        return begins(headerCp932) || begins(headerUtf8);
    }
};

// Decides the form of the lines from this one on.
void decideForm(PassState &st, QByteArrayView line, const PassRules &rules)
{
    if (st.formDecided && !rules.beginsGame(line))
        return;
    const auto *p = reinterpret_cast<const uchar *>(line.data());
    const uchar *const end = p + line.size();
    if (!textforms::hasNonAscii(p, end))
        return;
    st.formDecided = true;
    st.utf8 = textforms::examineUtf8(p, end) != textforms::Utf8Bytes::Invalid;
}

// The pass over lines in both forms of games.
template<typename Cp932Lines, typename Utf8Lines>
class Lines2
{
public:
    Lines2(const PassRules &rules, Cp932Lines &cp932, Utf8Lines &utf8, const PassHooks &hooks,
           qint32 checkLine)
        : m_rules(rules)
        , m_cp932(cp932)
        , m_utf8(utf8)
        , m_hooks(hooks)
        , m_checkLine(checkLine)
    {}

    // Line number n of the log.
    NORVA_EVERY_LINE void take(PassState &st, QByteArrayView line, qint32 n)
    {
        st.lineCount = n;
        // Every CheckLine lines the progress moves on; a count down spares
        // the division on every line (a CheckLine of 0 counts down to the
        // first line).
        if (--st.untilStep == 0) {
            if (m_rules.every == 0)
                raise(ErrorKind::DivisionByZero);
            st.untilStep = m_rules.every;
            const qint16 step = toInt16(double(n) / double(m_checkLine));
            if (m_hooks.statusChange)
                m_hooks.statusChange(step);
            checkCancel(m_hooks.cancel);
        }
        if (!st.formDecided || m_rules.mayBeginGame(line))
            decideForm(st, line, m_rules);
        if (st.utf8) {
            m_utf8.setLine(line);
            testLine(m_utf8, m_rules.canonical, st, line);
        } else {
            m_cp932.setLine(line);
            testLine(m_cp932, m_rules.cp932, st, line);
        }
    }

    // The complete lines from st on, up to line stopAfter (all when negative).
    // The line being read is in current (for a failure), the last line when
    // it is not complete yet in partial.
    void advance(PassState &st, TextLines &reader, qint32 stopAfter, qint32 &current,
                 std::optional<QByteArray> &partial)
    {
        QByteArrayView line;
        while (stopAfter < 0 || st.lineCount < stopAfter) {
            // Counted before it is read, so that a failure names that line.
            if (st.lineCount == std::numeric_limits<qint32>::max())
                raise(ErrorKind::Overflow);
            const qint32 n = st.lineCount + 1;
            current = n;
            if (!reader.next(line))
                return;
            if (!reader.complete()) {
                partial = paddedCopy(line);
                return;
            }
            take(st, line, n);
            st.offset = reader.offset();
            // The lines of the game listed last run up to here.
            if (st.gameLines != PassState::GameLines::Closed) {
                st.results.games().setLastEnd(st.offset);
                if (st.gameLines == PassState::GameLines::Closing)
                    st.gameLines = PassState::GameLines::Closed;
            }
        }
    }

private:
    const PassRules &m_rules;
    Cp932Lines &m_cp932;
    Utf8Lines &m_utf8;
    const PassHooks &m_hooks;
    qint32 m_checkLine;
};

} // namespace

QList<QPair<QString, qint64>> LogSummary::names(qsizetype limit) const
{
    QHash<QString, qint64> merged;
    for (const Slot &slot : m_slots) {
        if (slot.at < 0)
            continue;
        const QByteArrayView bytes(m_bytes.constData() + slot.at, slot.length);
        merged[slot.utf8 ? textforms::decodeUtf8(bytes) : cp932::decode(bytes)] += slot.count;
    }
    QList<QPair<QString, qint64>> out;
    out.reserve(merged.size());
    for (auto it = merged.cbegin(); it != merged.cend(); ++it)
        out.append({it.key(), it.value()});
    std::sort(out.begin(), out.end(), [](const auto &a, const auto &b) {
        return a.second != b.second ? a.second > b.second : a.first < b.first;
    });
    if (limit >= 0 && out.size() > limit)
        out.resize(limit);
    return out;
}

QStringList LogSummary::mostSeated(qsizetype n) const
{
    QStringList out;
    for (const auto &[name, count] : names(n))
        out.append(name);
    return out;
}

qint64 LogSummary::seats(const QString &name) const
{
    // Asked once when nothing was found: merging the names is cheap then. A
    // name of a UTF-8 game stands in the canonical form.
    const QString canonical = textforms::canonical(name);
    qint64 n = 0;
    for (const auto &[each, count] : names())
        if (each == name || each == canonical)
            n += count;
    return n;
}

void LogSummary::addName(QByteArrayView name, bool utf8)
{
    // FNV-1a: names are short.
    quint32 hash = 2166136261u ^ quint32(utf8);
    for (const char c : name)
        hash = (hash ^ uchar(c)) * 16777619u;
    if (m_slots.size() < 2 * (m_used + 1)) {
        // Twice the slots: each name moves to its place in the new table.
        QList<Slot> old = std::move(m_slots);
        m_slots = QList<Slot>(qMax<qsizetype>(64, old.size() * 2));
        for (const Slot &s : std::as_const(old)) {
            if (s.at < 0)
                continue;
            qsizetype i = s.hash & (m_slots.size() - 1);
            while (m_slots[i].at >= 0)
                i = (i + 1) & (m_slots.size() - 1);
            m_slots[i] = s;
        }
    }
    const qsizetype mask = m_slots.size() - 1;
    for (qsizetype i = hash & mask;; i = (i + 1) & mask) {
        const Slot &slot = std::as_const(m_slots)[i];
        if (slot.at < 0) {
            m_slots[i] = {hash, qint32(m_bytes.size()), qint32(name.size()), utf8, 1};
            m_bytes.append(name.data(), name.size());
            ++m_used;
            return;
        }
        if (slot.hash == hash && slot.length == name.size() && slot.utf8 == utf8
            && std::memcmp(m_bytes.constData() + slot.at, name.data(), size_t(name.size())) == 0) {
            ++m_slots[i].count;
            return;
        }
    }
}

// The rules of a pass and its ways of applying them, made once.
struct ScorePass::Rules
{
    Rules(const PassSettings &settings, const TableInfo &tables)
        : rules(settings, tables)
        , fastCp932(FastLines<Cp932Form>::create(rules.cp932))
        , fastUtf8(FastLines<Utf8Form>::create(rules.canonical))
        , plainCp932(rules.cp932)
        , plainUtf8(rules.canonical)
    {}

    PassRules rules;
    std::optional<FastLines<Cp932Form>> fastCp932;
    std::optional<FastLines<Utf8Form>> fastUtf8;
    PlainLines<Cp932Form> plainCp932;
    PlainLines<Utf8Form> plainUtf8;
};

// What a pass keeps to go on from: where it stood after the last complete
// line, what tells that the log is still the one it read, and what it gave.
struct ScorePass::Memory
{
    PassState state;
    TextForm form;
    qsizetype formBytes = 0;
    fileops::FileId file;
    EndMarks marks;
    // The end of the log when it was read, and the bytes after state.offset.
    qint64 seenEnd = 0;
    quint64 restHash = 0;
    // What the pass gave: the results, the summary, the failure.
    CalcResults results;
    LogSummary summary;
    bool ok = false;
    std::optional<Error> error;
    qint64 errorLine = 0;

    // The marks of log at state.offset.
    void markFrom(ScoreLog &log, qint64 end, const CancelFlag *cancel)
    {
        const qint64 at = state.offset;
        file = log.fileId();
        marks = log.endMarks(at, cancel);
        seenEnd = end;
        restHash = hashBytes(log.bytes(at, end, cancel));
    }

    // True when log still holds the bytes up to state.offset and is read in
    // the same form.
    bool sameStart(ScoreLog &log, const CancelFlag *cancel)
    {
        const qint64 at = state.offset;
        if (log.fileId() != file || log.size() < at)
            return false;
        // A log shorter than the bytes that decide its form may have grown
        // into another form.
        if (formBytes < FormWindow && log.size() > formBytes && !(log.form(cancel) == form))
            return false;
        return log.endMarks(at, cancel) == marks;
    }
};

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
    return HeaderRules::from(settings, tables, false).accepts(line);
}

bool checkRatingLine(qint32 &rating, QStringView line, const QString &userName)
{
    return ratingOf(line, userName + QStringLiteral(" R"), rating);
}

qint32 countScoreFileLines(ScoreLog &log, const CancelFlag *cancel)
{
    try {
        const qint64 n = log.countLines(cancel);
        if (n > std::numeric_limits<qint32>::max())
            return 0;
        return qint32(n);
    } catch (const Error &) {
        return 0;
    }
}

qint32 countScoreFileLines(const QString &path, const CancelFlag *cancel)
{
    try {
        ScoreLog log(path);
        return countScoreFileLines(log, cancel);
    } catch (const Error &) {
        return 0;
    }
}

ScorePass::ScorePass(PassSettings settings, const TableInfo &tables)
    : m_settings(std::move(settings))
    , m_tables(tables)
    , m_blockSize(TextLines::DefaultBlockSize)
{}

ScorePass::~ScorePass() = default;

const LogSummary &ScorePass::summary() const
{
    static const LogSummary none;
    return m_memory ? m_memory->summary : none;
}

bool ScorePass::run(CalcResults &results, const PassHooks &hooks)
{
    std::unique_ptr<ScoreLog> log;
    try {
        log = std::make_unique<ScoreLog>(m_settings.scoreFile);
    } catch (const Error &e) {
        m_memory.reset();
        results.clear();
        if (hooks.reportError)
            hooks.reportError(e, 0);
        return false;
    }
    return run(*log, results, hooks);
}

bool ScorePass::run(ScoreLog &log, CalcResults &results, const PassHooks &hooks)
{
    return runFrom(log, std::nullopt, results, hooks);
}

PassUpdate ScorePass::update(ScoreLog &log, CalcResults &results, const PassHooks &hooks)
{
    if (m_memory) {
        bool same = false;
        try {
            same = m_memory->sameStart(log, hooks.cancel);
            if (same && log.size() == m_memory->seenEnd
                && hashBytes(log.bytes(m_memory->state.offset, m_memory->seenEnd, hooks.cancel))
                       == m_memory->restHash) {
                results = m_memory->results;
                if (m_memory->error && hooks.reportError)
                    hooks.reportError(*m_memory->error, m_memory->errorLine);
                return {PassUpdate::Kind::Unchanged, m_memory->ok};
            }
        } catch (const Error &) {
            // As a pass from the start: it fails as that one fails.
            same = false;
        }
        if (same)
            return {PassUpdate::Kind::Resumed, runFrom(log, m_memory->state, results, hooks)};
    }
    return {PassUpdate::Kind::Full, run(log, results, hooks)};
}

bool ScorePass::runFrom(ScoreLog &log, std::optional<PassState> start, CalcResults &results,
                        const PassHooks &hooks)
{
    TextForm form;
    qsizetype formBytes = 0;
    PassState begin;
    try {
        if (start) {
            form = m_memory->form;
            formBytes = m_memory->formBytes;
            begin = std::move(*start);
        } else {
            form = log.form(hooks.cancel);
            formBytes = log.formDecidedBy();
            begin.offset = form.markLength;
            begin.untilStep = qMax<qint64>(1, qAbs(qint64(m_settings.checkLine)));
            begin.formDecided = form.utf8Mark || form.isUtf16();
            begin.utf8 = begin.formDecided;
        }
    } catch (const Error &e) {
        // Nothing gathered: no results.
        m_memory.reset();
        results.clear();
        if (hooks.reportError)
            hooks.reportError(e, 0);
        return false;
    }
    m_formUsed = form;
    if (!m_rules)
        m_rules = std::make_unique<Rules>(m_settings, m_tables);
    Rules &rules = *m_rules;
    qint32 current = begin.lineCount;
    bool inLast = false;

    // Reads from state.offset on into state, the complete lines up to line
    // stopAfter (all when negative); then, when last is given, the line
    // without its end into a copy of state in last, the rank runs closed.
    // Gives the offset where the reading stopped.
    auto read = [&](PassState &state, qint32 stopAfter, PassState *last,
                    const PassHooks &with) -> qint64 {
        TextLines reader(log, form, state.offset, with.cancel, m_blockSize);
        auto go = [&](auto &&lines) {
            std::optional<QByteArray> partial;
            lines.advance(state, reader, stopAfter, current, partial);
            if (!last)
                return;
            inLast = true;
            *last = state;
            if (partial) {
                lines.take(*last, *partial, current);
                if (last->gameLines != PassState::GameLines::Closed)
                    last->results.games().setLastEnd(reader.offset());
            }
            last->results.closeRankRuns();
        };
        if (m_mode != ScorePassMode::Plain && rules.fastCp932 && rules.fastUtf8) {
            m_modeUsed = ScorePassMode::Fast;
            go(Lines2(rules.rules, *rules.fastCp932, *rules.fastUtf8, with, m_settings.checkLine));
        } else {
            m_modeUsed = ScorePassMode::Plain;
            go(Lines2(rules.rules, rules.plainCp932, rules.plainUtf8, with, m_settings.checkLine));
        }
        return reader.offset();
    };
    auto remember = [&](PassState state, qint64 end, const PassState &gave, const Error *failure,
                        qint64 failedAt) {
        auto m = std::make_unique<Memory>();
        m->state = std::move(state);
        m->form = form;
        m->formBytes = formBytes;
        m->results = gave.results;
        m->summary = gave.summary;
        m->ok = !failure;
        if (failure) {
            m->error = *failure;
            m->errorLine = failedAt;
        }
        m->markFrom(log, end, hooks.cancel);
        m_memory = std::move(m);
    };

    PassState st = begin;
    PassState last;
    try {
        const qint64 end = read(st, -1, &last, hooks);
        last.results.games().setLogMark(markLog(log, m_settings.scoreFile, end, hooks.cancel));
        results = last.results;
        remember(std::move(st), end, last, nullptr, 0);
        return true;
    } catch (const Error &e) {
        const qint32 failedAt = current;
        if (hooks.reportError)
            hooks.reportError(e, failedAt);
        const PassState gave = inLast ? last : st;
        results = gave.results;
        m_memory.reset();
        if (e.kind() == ErrorKind::Cancelled)
            return false;
        // What the pass can go on from: the complete lines before the one that
        // failed, read once more when that one was complete itself.
        try {
            if (!inLast) {
                st = std::move(begin);
                PassHooks quiet;
                quiet.cancel = hooks.cancel;
                read(st, failedAt - 1, nullptr, quiet);
            }
            remember(std::move(st), log.size(), gave, &e, failedAt);
        } catch (const Error &) {
            m_memory.reset();
        }
        return false;
    }
}

} // namespace norva
