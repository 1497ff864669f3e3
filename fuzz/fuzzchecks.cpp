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
#include "core/settings/settings.h"
#include "core/tables/tableinfo.h"

#include <QFile>
#include <QList>
#include <QStringList>

#include <cmath>
#include <cstring>
#include <limits>

namespace norva::fuzz {

namespace {

bool writeFile(const QString &path, QByteArrayView data)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return f.write(data.data(), data.size()) == data.size();
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

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

// The session of the check under way: its files in the work folder.
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

QString logPath()
{
    return g_session->files().defaultScoreFile;
}

// ------------------------------------------------------------ the pass

// Table definitions of the pass check: three kinds in the first group, four in
// the second, six han classes; every text has a single CP932 form, so the
// byte path can run.
QStringList passTables()
{
    return {
        QStringLiteral("TableString1=1,東風戦"),   QStringLiteral("TableString1=4,東南戦"),
        QStringLiteral("TableString1=256,東風速"), QStringLiteral("TableString2=1,一般卓"),
        QStringLiteral("TableString2=4,上級卓"),   QStringLiteral("TableString2=256,技能卓"),
        QStringLiteral("TableString2=2,練習卓"),   QStringLiteral("TableInfo1=773,すべて"),
        QStringLiteral("TableInfo2=773,すべて"),   QStringLiteral("YakuString=一飜"),
        QStringLiteral("YakuString=二飜"),         QStringLiteral("YakuString= 満貫"),
        QStringLiteral("YakuString=ハネ満"),       QStringLiteral("YakuString=三倍満"),
        QStringLiteral("YakuString=役満"),
    };
}

struct Outcome
{
    bool ok = false;
    int error = -1;
    qint64 errorLine = -1;
    QList<qint32> values;
    QList<qint16> steps;

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

Outcome runPass(ScorePassMode mode, std::optional<LogForm> form = std::nullopt)
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
    ScorePass pass(PassSettings::from(settings()), g_session->tables());
    pass.setMode(mode);
    if (form)
        pass.setForm(*form);
    o.ok = pass.run(g_session->results(), hooks);
    g_lastMode = pass.modeUsed();
    o.values = snapshot();
    return o;
}

QString describe(const Outcome &o)
{
    QString s = QStringLiteral("ok=%1 error=%2 line=%3 steps=%4 values:")
                    .arg(o.ok)
                    .arg(o.error)
                    .arg(o.errorLine)
                    .arg(o.steps.size());
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

// The lines of the file, through LineReader with a buffer of bufferSize.
QList<QByteArray> readerLines(const QString &path, qsizetype bufferSize,
                              ByteForm form = ByteForm::AsIs)
{
    QList<QByteArray> lines;
    LineReader reader(path, bufferSize, LineReader::DefaultMaxLineLength, nullptr, form);
    QByteArrayView line;
    while (reader.next(line))
        lines << line.toByteArray();
    return lines;
}

// The line reader on the same file: any buffer size hands out the same lines,
// as many as the byte count finds, and no line holds a line end.
QString checkLineReader(const QString &path)
{
    try {
        const QList<QByteArray> small = readerLines(path, 16);
        const QList<QByteArray> large = readerLines(path, 1 << 20);
        if (small != large)
            return QStringLiteral("the line reader's lines depend on its buffer size");
        if (countLines(path) != small.size())
            return QStringLiteral("countLines %1, line reader %2")
                .arg(countLines(path))
                .arg(small.size());
        for (const QByteArray &l : small)
            if (l.contains('\r') || l.contains('\n'))
                return QStringLiteral("a line holds a line end");
        // In the log's own form (UTF-16 read as UTF-8, say) the same holds.
        const ByteForm form = detectLogForm(path, g_session->tables()).bytes;
        const QList<QByteArray> inForm = readerLines(path, 16, form);
        if (inForm != readerLines(path, 1 << 20, form))
            return QStringLiteral("the line reader's lines depend on its buffer size");
        if (countScoreFileLines(path) != inForm.size())
            return QStringLiteral("countScoreFileLines %1, line reader %2")
                .arg(countScoreFileLines(path))
                .arg(inForm.size());
    } catch (const Error &e) {
        return QStringLiteral("the line reader failed: ") + e.description();
    }
    return {};
}

} // namespace

QString checkScorePass(QByteArrayView input)
{
    if (input.isEmpty())
        return {};
    const uchar options = uchar(input[0]);
    const QByteArrayView log = input.sliced(1);
    CheckSession session;

    if (!writeFile((*session).files().tablesFile, cp932Lines(passTables())))
        return QStringLiteral("cannot write the table definitions");
    if (!(*session).loadTables())
        return QStringLiteral("cannot read the table definitions");
    settings().setValue(Settings::ScoreFile, logPath());
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

    if (!writeFile(logPath(), log))
        return QStringLiteral("cannot write the log");

    QString wrong;
    switch (options & 3) {
    case 2: {
        const Outcome fast = runPass(ScorePassMode::Fast);
        if (g_lastMode != ScorePassMode::Fast)
            return QStringLiteral("the byte path did not run");
        if (fast.ok)
            wrong = recordInvariants();
        break;
    }
    case 3: {
        // The log in UTF-8: converted from CP932 it gives the same record as
        // the original, on both paths; read as it is (bytes that are no
        // UTF-8 too), both paths agree.
        const Outcome plain = runPass(ScorePassMode::Plain, LogForm{ByteForm::AsIs, false});
        const LogForm utf8{ByteForm::AsIs, true};
        if (!writeFile(logPath(), cp932::decode(log).toUtf8()))
            return QStringLiteral("cannot write the log");
        const Outcome converted = runPass(ScorePassMode::Plain, utf8);
        const Outcome convertedFast = runPass(ScorePassMode::Auto, utf8);
        if (g_lastMode != ScorePassMode::Fast)
            return QStringLiteral("the UTF-8 byte path did not run");
        if (!(plain == converted) || !(plain == convertedFast))
            return QStringLiteral("the log in UTF-8 gives another record\ncp932: ")
                   + describe(plain) + QStringLiteral("\nutf-8: ") + describe(converted)
                   + QStringLiteral("\nutf-8 bytes: ") + describe(convertedFast);
        if (!writeFile(logPath(), log))
            return QStringLiteral("cannot write the log");
        const Outcome raw = runPass(ScorePassMode::Plain, utf8);
        const Outcome rawFast = runPass(ScorePassMode::Auto, utf8);
        if (!(raw == rawFast))
            return QStringLiteral("the two UTF-8 paths differ\nplain: ") + describe(raw)
                   + QStringLiteral("\nfast:  ") + describe(rawFast);
        if (plain.ok)
            wrong = recordInvariants();
        break;
    }
    default: {
        const Outcome plain = runPass(ScorePassMode::Plain);
        const Outcome fast = runPass(ScorePassMode::Auto);
        if (g_lastMode != ScorePassMode::Fast)
            return QStringLiteral("the byte path did not run");
        if (!(plain == fast))
            return QStringLiteral("the two paths differ\nplain: ") + describe(plain)
                   + QStringLiteral("\nfast:  ") + describe(fast);
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
    return checkLineReader(logPath());
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
    const QString path = (*session).files().settingsFile;
    if (!writeFile(path, input))
        return QStringLiteral("cannot write the settings file");
    if (!(*session).loadSettings())
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
    const bool unclean = settings().fileState() == Settings::FileState::Unclean;
    const QString backup = settings().backupPath();
    if (!(*session).saveSettings())
        return QStringLiteral("the settings file could not be written");
    // A file not read cleanly is kept as it was (and the backup goes, so that
    // the next input finds its name free).
    if (unclean) {
        const QByteArray kept = readFile(backup);
        QFile::remove(backup);
        if (kept != input)
            return QStringLiteral("the file not read cleanly was not kept as it was");
    }
    if (readFile(path) != written)
        return QStringLiteral("the file on disk is not what was meant to be written");
    if (!(*session).loadSettings())
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
    const TableInfo &tables = (*session).tables();
    const QString path = (*session).files().tablesFile;
    if (!writeFile(path, input))
        return QStringLiteral("cannot write the table definitions");
    if (!(*session).loadTables())
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
    if (!(*session).loadTables())
        return QStringLiteral("a second read failed");
    if (all() != once)
        return QStringLiteral("a second read gives other tables");

    // A fixed log with these definitions, on both paths.
    settings().setValue(Settings::ScoreFile, logPath());
    settings().setValue(Settings::UserName, QStringLiteral("かもめ"));
    settings().setValue(Settings::SpecifyDate, false);
    settings().setValue(Settings::TableKind1, -1);
    settings().setValue(Settings::TableKind2, -1);
    if (!writeFile(logPath(), cp932Lines(tableCheckLog())))
        return QStringLiteral("cannot write the log");
    const Outcome plain = runPass(ScorePassMode::Plain);
    const Outcome fast = runPass(ScorePassMode::Auto);
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
    return nullptr;
}

void setWorkFolder(const QString &dir)
{
    workFolder() = dir;
}

} // namespace norva::fuzz
