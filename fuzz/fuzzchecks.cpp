#include "fuzzchecks.h"

#include "core/calc/calcresults.h"
#include "core/calc/scorepass.h"
#include "core/calc/session.h"
#include "core/common/convert.h"
#include "core/common/cp932.h"
#include "core/common/datetime.h"
#include "core/common/error.h"
#include "core/common/locations.h"
#include "core/common/textfile.h"
#include "core/common/textforms.h"
#include "core/settings/settings.h"
#include "core/tables/tableinfo.h"

#include <QList>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QStringList>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <map>
#include <memory>
#include <tuple>

namespace norva::fuzz {

namespace {

QByteArray cp932Lines(const QStringList &lines)
{
    QByteArray out;
    for (const QString &l : lines)
        out += cp932::encodeLossy(l) + "\r\n";
    return out;
}

QString &workFolder()
{
    static QString folder = QStringLiteral(".");
    return folder;
}

// The session of the check under way. Nothing of it is written: the logs and
// files of the checks are read from memory.
Session *g_session = nullptr;
ScorePassMode g_lastMode = ScorePassMode::Plain;

class CheckSession
{
public:
    CheckSession()
        : m_session(FileLocations::portable(workFolder()))
    {
        g_session = &m_session;
    }
    ~CheckSession() { g_session = nullptr; }
    Session &operator*() { return m_session; }

private:
    Session m_session;
};

Settings &settings()
{
    return g_session->settings();
}

// ------------------------------------------------------------ the pass

// Table definitions of the pass check: three kinds in the first group, four in
// the second, six han classes; every text has a single CP932 form, so the
// byte path can run.
const TableInfo &passTables()
{
    static const TableInfo tables = [] {
        TableInfo t;
        t.loadBytes(cp932Lines({
            QStringLiteral("TableString1=1,東風戦"),
            QStringLiteral("TableString1=4,東南戦"),
            QStringLiteral("TableString1=256,東風速"),
            QStringLiteral("TableString2=1,一般卓"),
            QStringLiteral("TableString2=4,上級卓"),
            QStringLiteral("TableString2=256,技能卓"),
            QStringLiteral("TableString2=2,練習卓"),
            QStringLiteral("TableInfo1=773,すべて"),
            QStringLiteral("TableInfo2=773,すべて"),
            QStringLiteral("YakuString=一飜"),
            QStringLiteral("YakuString=二飜"),
            QStringLiteral("YakuString= 満貫"),
            QStringLiteral("YakuString=ハネ満"),
            QStringLiteral("YakuString=三倍満"),
            QStringLiteral("YakuString=役満"),
        }));
        return t;
    }();
    return tables;
}

struct Outcome
{
    bool ok = false;
    int error = -1;
    qint64 errorLine = -1;
    QList<qint32> values;
    QList<qint16> steps;
    qint64 games = 0;
    QList<QPair<QString, qint64>> names;

    // Equal but for the progress steps.
    bool sameRecord(const Outcome &o) const
    {
        return ok == o.ok && error == o.error && errorLine == o.errorLine && values == o.values
               && games == o.games && names == o.names;
    }
    friend bool operator==(const Outcome &, const Outcome &) = default;
};

qint32 valueOf(qint16 kind, qint32 index = 0)
{
    return g_session->results().value(kind, index).toInt();
}

// Every result the accessor gives, the series up to GameCount included.
QList<qint32> snapshot()
{
    QList<qint32> all;
    const qint32 games = valueOf(calc::GameCount);
    for (qint16 kind = 0; kind <= 26; ++kind) {
        const int count = kind == 4 || kind == 5 ? 5 : kind == 18 ? 9 : 1;
        const bool series = kind == 19 || kind == 20 || kind == 21 || kind == 24;
        if (series) {
            // After a failed pass GameCount may be ahead of the series.
            for (qint32 i = 0; i < games; ++i) {
                try {
                    all << valueOf(kind, i);
                } catch (const Error &) {
                    all << std::numeric_limits<qint32>::min();
                }
            }
        } else {
            for (int i = 0; i < count; ++i)
                all << valueOf(kind, i);
        }
    }
    return all;
}

// The passes of the checks of the pass, made once for each choice of
// settings: the options byte (the settings it sets up), the block size, and
// which of the passes of one check it is. Making one costs more than a pass
// over a small log.
ScorePass &passFor(uchar options, qsizetype blockSize, int which)
{
    static std::map<std::tuple<uchar, qsizetype, int>, std::unique_ptr<ScorePass>> passes;
    std::unique_ptr<ScorePass> &pass = passes[{options, blockSize, which}];
    if (!pass) {
        pass = std::make_unique<ScorePass>(PassSettings::from(settings()), passTables());
        pass->setBlockSize(blockSize);
    }
    return *pass;
}

// A pass over logs: run() on the first, update() on the next ones.
class CheckPass
{
public:
    // A pass with the settings of options (set up already), or one of its own
    // for other table definitions.
    CheckPass(ScorePassMode mode, std::optional<uchar> options,
              qsizetype blockSize = TextLines::DefaultBlockSize, int which = 0,
              const TableInfo &tables = passTables())
    {
        if (options) {
            m_pass = &passFor(*options, blockSize, which);
        } else {
            m_own = std::make_unique<ScorePass>(PassSettings::from(settings()), tables);
            m_pass = m_own.get();
        }
        m_pass->setMode(mode);
    }

    Outcome run(const QByteArray &log, PassUpdate::Kind *kind = nullptr)
    {
        Outcome o;
        PassHooks hooks;
        hooks.statusChange = [&](qint16 v) {
            o.steps << v;
        };
        hooks.reportError = [&](const Error &e, qint64 line) {
            o.error = int(e.kind());
            o.errorLine = line;
        };
        ScoreLog input(log);
        if (m_ran) {
            const PassUpdate u = m_pass->update(input, g_session->results(), hooks);
            o.ok = u.ok;
            if (kind)
                *kind = u.kind;
        } else {
            o.ok = m_pass->run(input, g_session->results(), hooks);
            m_ran = true;
        }
        g_lastMode = m_pass->modeUsed();
        o.values = snapshot();
        o.games = m_pass->summary().games();
        o.names = m_pass->summary().names();
        return o;
    }

private:
    ScorePass *m_pass = nullptr;
    std::unique_ptr<ScorePass> m_own;
    bool m_ran = false;
};

Outcome runPass(ScorePassMode mode, const QByteArray &log, uchar options)
{
    return CheckPass(mode, options).run(log);
}

Outcome runPass(ScorePassMode mode, const QByteArray &log, const TableInfo &tables)
{
    return CheckPass(mode, std::nullopt, TextLines::DefaultBlockSize, 0, tables).run(log);
}

QString describe(const Outcome &o)
{
    QString s = QStringLiteral("ok=%1 error=%2 line=%3 steps=%4 games=%5 names=%6 values:")
                    .arg(o.ok)
                    .arg(o.error)
                    .arg(o.errorLine)
                    .arg(o.steps.size())
                    .arg(o.games)
                    .arg(o.names.size());
    for (qint32 v : o.values.first(qMin<qsizetype>(o.values.size(), 80)))
        s += u' ' + QString::number(v);
    return s;
}

// What must hold for the record of any successful pass.
QString recordInvariants()
{
    const qint32 games = valueOf(calc::GameCount);
    qint64 ranks = 0, rankSum = 0;
    for (int i = 0; i < 5; ++i) {
        ranks += valueOf(calc::RankCount, i);
        rankSum += qint64(i + 1) * valueOf(calc::RankCount, i);
    }
    if (ranks != games)
        return QStringLiteral("the rank counts do not add up to GameCount");
    if (rankSum != valueOf(calc::RankTotal))
        return QStringLiteral("RankTotal is not the sum of the ranks");
    qint64 outcomes = 0;
    for (qint16 k = calc::OwnTsumo; k <= calc::OtherResult; ++k)
        outcomes += valueOf(k);
    if (outcomes > valueOf(calc::HandCount))
        return QStringLiteral("more hand results than hand lines");
    qint64 byHan = 0;
    for (int i = 0; i < 9; ++i)
        byHan += valueOf(calc::WinByHan, i);
    if (byHan != valueOf(calc::WinHanCount))
        return QStringLiteral("WinHanCount is not the sum of WinByHan");
    if (byHan > qint64(valueOf(calc::OwnTsumo)) + valueOf(calc::OwnRon))
        return QStringLiteral("more wins by han class than own wins");
    if (games > 0) {
        qint64 sum = 0;
        for (qint32 i = 0; i < games; ++i) {
            sum += valueOf(calc::ScoreSeries, i);
            if (valueOf(calc::ScoreSumSeries, i) != sum)
                return QStringLiteral("ScoreSumSeries is not the running total");
        }
        if (sum != valueOf(calc::ScoreTotal))
            return QStringLiteral("ScoreTotal is not the sum of the series");
    } else if (valueOf(calc::ScoreMax) != -99999 || valueOf(calc::ScoreMin) != 99999) {
        return QStringLiteral("extremes set without a game");
    }
    return {};
}

// The lines of log in form, read in blocks of blockSize.
QList<QByteArray> readerLines(const QByteArray &log, const TextForm &form, qsizetype blockSize)
{
    QList<QByteArray> lines;
    TextInput input(log);
    TextLines reader(input, form, form.markLength, nullptr, blockSize);
    QByteArrayView line;
    while (reader.next(line))
        lines << line.toByteArray();
    return lines;
}

// The line reader on the same log: any block size hands out the same lines,
// as many as the count finds, and no line holds a line end.
QString checkLineReader(const QByteArray &log)
{
    try {
        TextInput input(log);
        TextForm form;
        try {
            form = input.form();
        } catch (const Error &) {
            return {}; // a log whose form cannot be told is not read
        }
        const QList<QByteArray> small = readerLines(log, form, 16);
        const QList<QByteArray> large = readerLines(log, form, TextLines::DefaultBlockSize);
        if (small != large)
            return QStringLiteral("the line reader's lines depend on its block size");
        if (input.countLines() != small.size())
            return QStringLiteral("countLines %1, line reader %2")
                .arg(input.countLines())
                .arg(small.size());
        for (const QByteArray &l : small)
            if (!form.isUtf16() && (l.contains('\r') || l.contains('\n')))
                return QStringLiteral("a line holds a line end");
    } catch (const Error &e) {
        if (e.kind() == ErrorKind::BrokenUtf16 || e.kind() == ErrorKind::LineTooLong)
            return {};
        return QStringLiteral("the line reader failed: ") + e.description();
    }
    return {};
}

// True when no line of log is UTF-8 beyond ASCII: the pass reads it all as
// CP932.
bool cp932Throughout(QByteArrayView log)
{
    for (QByteArrayView rest = log; !rest.isEmpty();) {
        qsizetype end = 0;
        while (end < rest.size() && rest[end] != '\r' && rest[end] != '\n')
            ++end;
        const auto *p = reinterpret_cast<const uchar *>(rest.data());
        if (textforms::hasNonAscii(p, p + end)
            && textforms::examineUtf8(p, p + end) != textforms::Utf8Bytes::Invalid)
            return false;
        rest = rest.sliced(qMin(end + 1, rest.size()));
    }
    return true;
}

// True when log is read as bytes (not as UTF-16, nor refused).
bool readAsBytes(const QByteArray &log)
{
    try {
        return !decideTextForm(QByteArrayView(log).first(qMin(log.size(), FormWindow))).isUtf16();
    } catch (const Error &) {
        return false;
    }
}

// Sets up the settings of the pass checks from the options byte.
void passSettings(uchar options)
{
    settings().setValue(Settings::UserName, QStringLiteral("かもめ"));
    settings().setValue(Settings::SpecifyDate, bool(options & 4));
    // The date ranges: one day, one year, thirty years from 21:05, and an end
    // before the start.
    static const char16_t *const ranges[4][4] = {
        {u"2009/3/14", u"0:00", u"2009/3/14", u"21:05"},
        {u"2009/1/1", u"0:00", u"2009/12/31", u"23:59"},
        {u"1999/12/31", u"21:05", u"2029/12/31", u"21:05"},
        {u"2010/1/1", u"0:00", u"2009/1/1", u"0:00"},
    };
    const auto &range = ranges[(options >> 3) & 3];
    settings().setValue(Settings::StartDate, QString::fromUtf16(range[0]));
    settings().setValue(Settings::StartTime, QString::fromUtf16(range[1]));
    settings().setValue(Settings::EndDate, QString::fromUtf16(range[2]));
    settings().setValue(Settings::EndTime, QString::fromUtf16(range[3]));
    static const qint32 checkLines[4] = {100, 101, 1000000, std::numeric_limits<qint32>::max()};
    settings().setValue(Settings::CheckLine, checkLines[(options >> 5) & 3]);
    settings().setValue(Settings::TableKind1, options & 0x80 ? -1 : 773);
    settings().setValue(Settings::TableKind2, options & 0x80 ? 2 : 773);
}

QString differ(const QString &what, const Outcome &a, const Outcome &b)
{
    return what + QStringLiteral("\n") + describe(a) + QStringLiteral("\n") + describe(b);
}

} // namespace

QString checkScorePass(QByteArrayView input)
{
    if (input.isEmpty())
        return {};
    const uchar options = uchar(input[0]);
    const QByteArray log = input.sliced(1).toByteArray();
    CheckSession session;
    passSettings(options);

    QString wrong;
    switch (options & 3) {
    case 2: {
        const Outcome fast = runPass(ScorePassMode::Fast, log, options);
        if (g_lastMode != ScorePassMode::Fast && fast.errorLine != 0)
            return QStringLiteral("the byte path did not run");
        if (fast.ok)
            wrong = recordInvariants();
        break;
    }
    case 3: {
        // A log read as CP932 gives the same record converted to UTF-8 or
        // UTF-16, on both paths; any bytes read as UTF-8 (after its mark)
        // give the same record on both paths.
        const QByteArray marked = "\xEF\xBB\xBF" + log;
        const Outcome raw = runPass(ScorePassMode::Plain, marked, options);
        const Outcome rawFast = runPass(ScorePassMode::Auto, marked, options);
        if (!raw.sameRecord(rawFast))
            return differ(QStringLiteral("the two UTF-8 paths differ"), raw, rawFast);
        const QString text = cp932::decode(log);
        if (!log.startsWith("\xEF\xBB\xBF") && cp932Throughout(log) && readAsBytes(log)
            && readAsBytes(text.toUtf8())) {
            const Outcome plain = runPass(ScorePassMode::Plain, log, options);
            const Outcome converted = runPass(ScorePassMode::Plain, text.toUtf8(), options);
            const Outcome convertedFast = runPass(ScorePassMode::Auto, text.toUtf8(), options);
            if (g_lastMode != ScorePassMode::Fast)
                return QStringLiteral("the UTF-8 byte path did not run");
            QStringEncoder toUtf16(QStringConverter::Utf16LE, QStringConverter::Flag::WriteBom);
            const Outcome utf16 = runPass(ScorePassMode::Auto, toUtf16(text), options);
            // Names differ where the canonical form changes a character.
            Outcome expected = plain;
            if (!textforms::isCanonical(text))
                expected.names = converted.names;
            if (!expected.sameRecord(converted) || !expected.sameRecord(convertedFast)
                || !expected.sameRecord(utf16))
                return QStringLiteral("the log in UTF-8 or UTF-16 gives another record\ncp932: ")
                       + describe(plain) + QStringLiteral("\nutf-8: ") + describe(converted)
                       + QStringLiteral("\nutf-8 bytes: ") + describe(convertedFast)
                       + QStringLiteral("\nutf-16: ") + describe(utf16);
            if (plain.ok)
                wrong = recordInvariants();
        }
        break;
    }
    default: {
        const Outcome plain = runPass(ScorePassMode::Plain, log, options);
        const Outcome fast = runPass(ScorePassMode::Auto, log, options);
        if (g_lastMode != ScorePassMode::Fast && fast.errorLine != 0)
            return QStringLiteral("the byte path did not run");
        if (!(plain == fast))
            return differ(QStringLiteral("the two paths differ"), plain, fast);
        if (fast.ok)
            wrong = recordInvariants();
        break;
    }
    }
    if (!wrong.isEmpty())
        return wrong;
    // A failed pass leaves partial values, a later one starts afresh.
    (*session).results().clear();
    if (valueOf(calc::GameCount) != 0 || valueOf(calc::ScoreMax) != -99999)
        return QStringLiteral("clearing the results left values behind");
    return checkLineReader(log);
}

QString checkResume(QByteArrayView input)
{
    if (input.size() < 3)
        return {};
    const uchar options = uchar(input[0]);
    const quint32 seed = uchar(input[1]) | (uchar(input[2]) << 8);
    const QByteArray log = input.sliced(3).toByteArray();
    CheckSession session;
    passSettings(options);
    // Blocks of 16 bytes cut lines and characters between reads everywhere.
    const qsizetype blockSize = options & 1 ? 16 : TextLines::DefaultBlockSize;
    const ScorePassMode mode = options & 2 ? ScorePassMode::Plain : ScorePassMode::Auto;
    const Outcome full = CheckPass(mode, options, blockSize).run(log);

    // One to three cuts, anywhere, in order: the pass reads the log up to
    // the first cut, then goes on at each next one and at the end.
    QList<qsizetype> cuts;
    quint32 r = seed * 2654435761u + 1;
    for (int i = 0; i <= int(seed % 3); ++i) {
        r = r * 1103515245u + 12345u;
        cuts << qsizetype((r >> 8) % quint32(log.size() + 1));
    }
    std::sort(cuts.begin(), cuts.end());
    cuts << log.size();
    CheckPass pass(mode, options, blockSize, 1);
    Outcome resumed;
    for (qsizetype i = 0; i < cuts.size(); ++i) {
        const QByteArray part = log.first(cuts[i]);
        PassUpdate::Kind kind = PassUpdate::Kind::Full;
        resumed = pass.run(part, &kind);
        if (i == 0 || kind != PassUpdate::Kind::Full)
            continue;
        // Read from the start again only when the grown log is read in
        // another form, or could not be read before.
        try {
            const TextForm before = decideTextForm(log.first(qMin(cuts[i - 1], FormWindow)));
            if (before == decideTextForm(part.first(qMin(part.size(), FormWindow))))
                return QStringLiteral("a grown log was read again from its start at %1")
                    .arg(cuts[i]);
        } catch (const Error &) {
        }
    }
    if (!full.sameRecord(resumed))
        return differ(QStringLiteral("the pass gone on from the cuts differs from one pass"), full,
                      resumed);
    return {};
}

// ------------------------------------------------------------ settings

namespace {

// The value of a setting as the file can keep it: dates by the day, times by
// the minute, everything else exactly.
QVariant kept(Settings::Key key, const QVariant &v)
{
    if (key == Settings::StartDate || key == Settings::EndDate)
        return v.toDateTime().date();
    if (key == Settings::StartTime || key == Settings::EndTime) {
        const QTime t = v.toDateTime().time();
        return QTime(t.hour(), t.minute());
    }
    return v;
}

QList<QVariant> settingValues()
{
    QList<QVariant> values;
    for (int key = 0; key < Settings::KeyCount; ++key)
        values << settings().value(Settings::Key(key));
    return values;
}

} // namespace

QString checkSettingsFile(QByteArrayView input)
{
    CheckSession session;
    if (!settings().loadBytes(input.toByteArray()))
        return QStringLiteral("the settings file could not be read");
    const QList<QVariant> first = settingValues();
    // Every value within what its setting allows.
    auto intOf = [](Settings::Key key) {
        return settings().value(key).toInt();
    };
    for (Settings::Key key :
         {Settings::MainWidth, Settings::MainHeight, Settings::GraphWidth, Settings::GraphHeight})
        if (intOf(key) < 0)
            return Settings::keyName(key) + QStringLiteral(" is negative");
    for (Settings::Key key : {Settings::VisibleWindow, Settings::GraphDisp})
        if (intOf(key) < 0 || intOf(key) > 31)
            return Settings::keyName(key) + QStringLiteral(" is outside 0..31");
    if (intOf(Settings::CheckLine) < 100)
        return QStringLiteral("CheckLine is below 100");

    const QByteArray written = settings().fileBytes();
    if (!settings().loadBytes(written))
        return QStringLiteral("the written settings file could not be read");
    const QList<QVariant> second = settingValues();
    if (settings().fileBytes() != written)
        return QStringLiteral("a second write differs from the first:\n")
               + QString::fromLatin1(written.toHex(' ')) + QStringLiteral("\n")
               + QString::fromLatin1(settings().fileBytes().toHex(' '));
    for (qsizetype i = 0; i < first.size(); ++i) {
        const Settings::Key key = Settings::Key(i);
        const QVariant a = kept(key, first[i]), b = kept(key, second[i]);
        if (a != b || a.typeId() != b.typeId())
            return Settings::keyName(key) + QStringLiteral(" changed: \"") + a.toString()
                   + QStringLiteral("\" became \"") + b.toString() + u'"';
    }
    return {};
}

// ------------------------------------------------------------ table definitions

namespace {

// A small log with the default markers: counted games, hands of every kind,
// a game the user is not in, and lines around the markers.
QStringList tableCheckLog()
{
    return {
        QStringLiteral("===== 東風戦：一般卓 12卓 開始 2009/03/14 21:05 ====="),
        QStringLiteral(
            "  持点25000 [1]かもめ R1612 [2]ぽんた R1498 [3]Kumo-7 R1733 [4]ねこまた R1550"),
        QStringLiteral("  東1局 0本場(リーチ0) ぽんた 3900 かもめ -3900 "),
        QStringLiteral("    30符 三飜ロン 断ヤオ ドラ2"),
        QStringLiteral("  東2局 0本場(リーチ0) かもめ 1500 ぽんた -1500 "),
        QStringLiteral("    流局"),
        QStringLiteral("  東3局 1本場(リーチ1) かもめ 8300 ぽんた -2700 "),
        QStringLiteral("    満貫ツモ 門前清模和 リーチ"),
        QStringLiteral("  東4局 0本場(リーチ0) "),
        QStringLiteral("    チョンボ"),
        QStringLiteral("  南1局 0本場(リーチ0) かもめ 12000 ねこまた -12000 "),
        QStringLiteral("    ハネ満貫ロン 一飜 役満"),
        QStringLiteral("  ---- 試合結果 ----"),
        QStringLiteral("  1位 かもめ        +38"),
        QStringLiteral("  2位 ぽんた         +9"),
        QStringLiteral("----- 12卓 終了 2009/03/14 21:31 -----"),
        QStringLiteral("===== 東南戦：上級卓 3卓 開始 2009/03/15 10:00 ====="),
        QStringLiteral("  持点25000 [1]ぽんた R1500 [2]Kumo-7 R1700"),
        QStringLiteral("  東1局 0本場(リーチ0) かもめ 1000 "),
        QStringLiteral("    ロン"),
        QStringLiteral("  3位 かもめ        -14"),
        QStringLiteral("----- 3卓 終了 2009/03/15 10:40 -----"),
        QStringLiteral("=== 練習卓 ==="),
        QStringLiteral("  4位 かもめ         -7"),
        QStringLiteral("-----"),
    };
}

} // namespace

QString checkTableFile(QByteArrayView input)
{
    CheckSession session;
    TableInfo &tables = (*session).tables();
    if (!tables.loadBytes(input.toByteArray()))
        return QStringLiteral("the table definitions could not be read");
    auto all = [&tables] {
        QStringList values;
        const qint16 last = tables.value(0).value<qint16>();
        values << QString::number(last);
        for (qint32 i = 0; i <= 8; ++i)
            values << tables.value(1, i).toString();
        for (qint16 kind = 2; kind <= 4; ++kind)
            values << tables.value(kind).toString();
        for (int n = 0; n <= 2; ++n) {
            for (const TableList *list : {&tables.choices(n), &tables.recognition(n)}) {
                values << QStringLiteral("list %1: %2").arg(n).arg(list->size());
                for (const TableEntry &e : *list)
                    values << e.value(QStringLiteral("TableId")).toString() + u','
                                  + e.value(QStringLiteral("TableString")).toString();
            }
        }
        return values;
    };
    const qint16 last = tables.value(0).value<qint16>();
    if (last < -1 || last > 8)
        return QStringLiteral("YakuLast outside -1..8");
    for (qint32 index : {-1, 9}) {
        try {
            tables.value(1, index);
            return QStringLiteral("a han class outside 0..8 was given");
        } catch (const Error &e) {
            if (e.kind() != ErrorKind::SubscriptOutOfRange)
                return QStringLiteral("the wrong error for a han class outside 0..8");
        }
    }
    if (!tables.choices(0).isEmpty() || !tables.recognition(0).isEmpty())
        return QStringLiteral("list 0 is filled");
    const QStringList once = all();
    if (!tables.loadBytes(input.toByteArray()))
        return QStringLiteral("a second read failed");
    if (all() != once)
        return QStringLiteral("a second read gives other tables");

    // A fixed log with these definitions, on both paths.
    settings().setValue(Settings::UserName, QStringLiteral("かもめ"));
    settings().setValue(Settings::SpecifyDate, false);
    settings().setValue(Settings::TableKind1, -1);
    settings().setValue(Settings::TableKind2, -1);
    static const QByteArray log = cp932Lines(tableCheckLog());
    const Outcome plain = runPass(ScorePassMode::Plain, log, tables);
    const Outcome fast = runPass(ScorePassMode::Auto, log, tables);
    if (!(plain == fast))
        return QStringLiteral("the two paths differ\nplain: ") + describe(plain)
               + QStringLiteral("\nfast:  ") + describe(fast);
    return fast.ok ? recordInvariants() : QString();
}

// ------------------------------------------------------------ CP932

QString checkCp932(QByteArrayView input)
{
    // The bytes as a CP932 text.
    const QString text = cp932::decode(input);
    const auto *p = reinterpret_cast<const uchar *>(input.data());
    const uchar *const end = p + input.size();
    qsizetype chars = 0;
    const uchar *middle = nullptr;
    for (const uchar *q = p; q < end; q += cp932::charLength(q, end)) {
        ++chars;
        if (!middle && q - p >= input.size() / 2)
            middle = q;
    }
    if (chars != text.size())
        return QStringLiteral("%1 characters decoded, %2 by the boundary rule")
            .arg(text.size())
            .arg(chars);
    // Decoding in two pieces split on a character boundary gives the same text.
    if (middle) {
        QString pieces;
        cp932::decodeAppend(input.first(middle - p), pieces);
        cp932::decodeAppend(input.sliced(middle - p), pieces);
        if (pieces != text)
            return QStringLiteral("decoding in pieces differs");
    }
    // Line ends and spaces stay characters of their own.
    for (qsizetype i = 0, pos = 0; pos < input.size(); ++i) {
        const uchar b = uchar(input[pos]);
        if ((b == '\r' || b == '\n' || b == ' ') && text[i] != QLatin1Char(char(b)))
            return QStringLiteral("a line end or space became part of a character");
        pos += cp932::charLength(p + pos, end);
    }
    if (!text.contains(QChar(0xFFFD))) {
        const std::optional<QByteArray> again = cp932::encode(text);
        if (again) {
            if (cp932::decode(*again) != text)
                return QStringLiteral("decoded text does not survive encoding");
            if (cp932::encodesUniquely(text) && *again != input)
                return QStringLiteral("a text of single codes is encoded to other bytes");
        }
    }

    // The bytes as UTF-8: valid or not as the decoder finds, canonical only
    // when the canonical form leaves the text as it is.
    {
        const textforms::Utf8Bytes kind = textforms::examineUtf8(p, end);
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        const QString decoded = utf8(input);
        if (utf8.hasError() != (kind == textforms::Utf8Bytes::Invalid))
            return QStringLiteral("examineUtf8 tells valid UTF-8 wrong");
        if (kind == textforms::Utf8Bytes::Canonical
            && (textforms::canonical(decoded) != decoded || !textforms::isCanonical(decoded)))
            return QStringLiteral("examineUtf8 takes a text for canonical that is not");
        if (textforms::canonical(textforms::canonical(decoded)) != textforms::canonical(decoded))
            return QStringLiteral("the canonical form changes again");
    }

    // The bytes as UTF-16 text.
    QString utf16(input.size() / 2, Qt::Uninitialized);
    std::memcpy(utf16.data(), input.data(), size_t(utf16.size()) * 2);
    const std::optional<QByteArray> encoded = cp932::encode(utf16);
    if (encoded && cp932::decode(*encoded) != utf16)
        return QStringLiteral("an encoded text does not read back");
    const QByteArray lossy = cp932::encodeLossy(utf16);
    const QString back = cp932::decode(lossy);
    if (back.size() != utf16.size())
        return QStringLiteral("lossy encoding changed the length");
    for (qsizetype i = 0; i < utf16.size(); ++i)
        if (back[i] != utf16[i] && back[i] != u'?')
            return QStringLiteral("lossy encoding changed a character");
    if (encoded && lossy != *encoded)
        return QStringLiteral("lossy and exact encoding differ");
    return {};
}

// ------------------------------------------------------------ numbers and dates

QString checkNumbers(QByteArrayView input)
{
    const QString text = QString::fromUtf8(input);

    if (const std::optional<QDateTime> dt = parseDateTime(text)) {
        if (!dt->isValid() || dt->timeSpec() != Qt::UTC)
            return QStringLiteral("an invalid date-time was read");
        // Written as the program writes it, it reads back (without seconds).
        const QString written = formatDateTimeYmdHn(*dt);
        const std::optional<QDateTime> back = parseDateTime(written);
        const QDateTime expected(dt->date(), QTime(dt->time().hour(), dt->time().minute()),
                                 Qt::UTC);
        if (!back || *back != expected)
            return QStringLiteral("\"%1\" does not read back").arg(written);
        if (variantToDateTime(text) != *dt)
            return QStringLiteral("variantToDateTime differs from parseDateTime");
    } else {
        try {
            variantToDateTime(text);
            return QStringLiteral("variantToDateTime took what parseDateTime refused");
        } catch (const Error &) {
        }
    }

    const double lenient = readNumber(text);
    if (std::isnan(lenient))
        return QStringLiteral("readNumber gave NaN");
    try {
        toInt16(lenient);
    } catch (const Error &) {
    }
    try {
        toInt32(lenient);
    } catch (const Error &) {
    }

    const std::optional<double> strict = parseNumber(text);
    if (strict) {
        if (!std::isfinite(*strict))
            return QStringLiteral("parseNumber gave a value that is not finite");
        const std::optional<double> again = parseNumber(QString::number(*strict, 'g', 17));
        if (!again || *again != *strict)
            return QStringLiteral("a number does not survive writing and reading");
    }
    // The variant conversions agree with parseNumber.
    auto check = [&](auto convert, double min, double max) -> QString {
        bool raised = false;
        double got = 0;
        try {
            got = double(convert(QVariant(text)));
        } catch (const Error &) {
            raised = true;
        }
        const double rounded = strict ? roundHalfEven(*strict) : 0;
        const bool fits = strict && rounded >= min && rounded <= max;
        if (raised == fits || (fits && got != rounded))
            return QStringLiteral("a variant conversion disagrees with parseNumber");
        return {};
    };
    QString wrong = check(variantToInt16, -32768, 32767);
    if (wrong.isEmpty())
        wrong = check(variantToInt32, -2147483648.0, 2147483647.0);
    if (!wrong.isEmpty())
        return wrong;
    try {
        variantToBool(text);
    } catch (const Error &) {
    }

    // Fixed decimals of the double in the input's first bytes.
    if (input.size() >= 9) {
        double v;
        std::memcpy(&v, input.data() + 1, sizeof v);
        const int decimals = uchar(input[0]) % 5;
        const QString out = formatFixed(v, decimals);
        // Near the end of the double range the 15 significant digits can
        // round beyond it (1.79769313486232e308): such text reads no more.
        if (std::isfinite(v) && std::fabs(v) <= 1e300) {
            const std::optional<double> read = parseNumber(out);
            if (!read)
                return QStringLiteral("formatFixed wrote \"%1\"").arg(out);
            const double tolerance =
                0.5 * std::pow(10.0, -decimals) * (1 + 1e-9) + 1e-14 * std::fabs(v) + 1e-300;
            if (std::fabs(*read - v) > tolerance)
                return QStringLiteral("formatFixed wrote %1 for %2")
                    .arg(out, QString::number(v, 'g', 17));
            const int point = int(out.indexOf(u'.'));
            if ((decimals == 0) != (point < 0)
                || (point >= 0 && out.size() - point - 1 != decimals))
                return QStringLiteral("formatFixed wrote the wrong number of decimals");
            if (v != 0 && !std::signbit(v) && formatFixed(-v, decimals) != u'-' + out)
                return QStringLiteral("formatFixed of a negative value is not the mirror image");
        }
    }
    return {};
}

Check checkNamed(const QString &name)
{
    if (name == u"scorepass")
        return checkScorePass;
    if (name == u"settings")
        return checkSettingsFile;
    if (name == u"tables")
        return checkTableFile;
    if (name == u"cp932")
        return checkCp932;
    if (name == u"numbers")
        return checkNumbers;
    if (name == u"resume")
        return checkResume;
    return nullptr;
}

void setWorkFolder(const QString &dir)
{
    workFolder() = dir;
}

} // namespace norva::fuzz
