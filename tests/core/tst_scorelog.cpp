// The score log read as it grows, and read right in every form it comes in:
// a pass gone on from where it stood gives what one pass over the whole log
// gives; a log that changed otherwise is read again; copies in other forms
// count as their CP932 original.

#include "calctestutil.h"
#include "scorelog.h"

#include "core/calc/calculation.h"
#include "core/calc/gamescsv.h"
#include "core/common/textforms.h"

#include <QDir>
#include <QFile>
#include <QStringEncoder>
#include <QTest>

using namespace norva;
using namespace Qt::StringLiterals;
using scorelog::Form;

namespace {

// What a pass gave: its outcome, every result, and what it found about the log.
struct Record
{
    bool ok = false;
    int error = -1;
    qint64 line = -1;
    QList<qint32> values;
    ExtraFigures extra;
    LogSummary summary;
    // The game list: each game's fields and where its lines stand.
    QStringList games;

    friend bool operator==(const Record &, const Record &) = default;
};

char *toString(const Record &r)
{
    QString s = u"ok=%1 error=%2 line=%3 games=%4 logGames=%5 names=%6"_s.arg(r.ok)
                    .arg(r.error)
                    .arg(r.line)
                    .arg(r.values.value(0))
                    .arg(r.summary.games())
                    .arg(r.summary.names().size());
    return qstrdup(qPrintable(s));
}

// The pass of these tests: the table definitions of calctest, every date.
class MemoryPass
{
public:
    explicit MemoryPass(const QString &user = u"かもめ"_s, qsizetype blockSize = 0)
        : m_pass(settingsFor(user), tables())
    {
        if (blockSize > 0)
            m_pass.setBlockSize(blockSize);
    }

    Record run(const QByteArray &log) { return go(log, nullptr); }
    Record update(const QByteArray &log, PassUpdate::Kind &kind) { return go(log, &kind); }

    static const TableInfo &tables()
    {
        static const TableInfo t = [] {
            TableInfo info;
            info.loadBytes(testutil::cp932Lines(calctest::defaultTables()));
            return info;
        }();
        return t;
    }

private:
    static PassSettings settingsFor(const QString &user)
    {
        PassSettings s;
        s.userName = user;
        s.specifyDate = false;
        s.tableKind1 = 5;
        s.tableKind2 = 5;
        return s;
    }

    Record go(const QByteArray &log, PassUpdate::Kind *kind)
    {
        Record r;
        PassHooks hooks;
        hooks.reportError = [&r](const Error &e, qint64 line) {
            r.error = int(e.kind());
            r.line = line;
        };
        CalcResults results;
        ScoreLog input(log);
        if (kind) {
            const PassUpdate u = m_pass.update(input, results, hooks);
            *kind = u.kind;
            r.ok = u.ok;
        } else {
            r.ok = m_pass.run(input, results, hooks);
        }
        for (qint16 k = 0; k <= 26; ++k) {
            const bool series = k == 19 || k == 20 || k == 21 || k == 24;
            const qint32 count = k == 4 || k == 5 ? 5 : k == 18 ? 9 : 1;
            for (qint32 i = 0; i < (series ? results.gameCount() : count); ++i) {
                try {
                    r.values << results.value(k, i).toInt();
                } catch (const Error &) {
                    r.values << -1; // after a failure the series may lag
                }
            }
        }
        r.extra = results.extra();
        r.summary = m_pass.summary();
        const GameList &games = results.games();
        for (qsizetype i = 0; i < games.size(); ++i)
            r.games << (csv::gameFields(games, i)
                        << QString::number(games.at(i).start) << QString::number(games.at(i).end))
                           .join(u'|');
        return r;
    }

    ScorePass m_pass;
};

Record passOver(const QByteArray &log, const QString &user = u"かもめ"_s, qsizetype blockSize = 0)
{
    return MemoryPass(user, blockSize).run(log);
}

// A log of every kind of hand and a few players, one of them beyond the
// Basic Multilingual Plane where the form allows.
QStringList sampleLines(bool wide = false)
{
    QStringList lines = scorelog::game(1, 2, 30, scorelog::hands(u"t r c T R C + - o"_s));
    lines += scorelog::othersOnly();
    lines += scorelog::game(3, 1, -5, scorelog::hands(u"r2 T d"_s));
    lines += scorelog::game(4, 3, 12, scorelog::hands(u"+ C t"_s));
    if (wide)
        lines.replaceInStrings(u"Rin"_s, u"𠮷野"_s);
    return lines;
}

bool hasWideCharacters(Form form)
{
    return form != Form::Cp932;
}

} // namespace

class TestScoreLog : public QObject
{
    Q_OBJECT

private slots:
    // ------------------------------------------------ gone on from a cut

    void resumedEqualsFull_data()
    {
        QTest::addColumn<Form>("form");
        QTest::addColumn<qsizetype>("blockSize");
        QTest::newRow("CP932") << Form::Cp932 << qsizetype(0);
        QTest::newRow("CP932, blocks of 16") << Form::Cp932 << qsizetype(16);
        QTest::newRow("UTF-8") << Form::Utf8 << qsizetype(0);
        QTest::newRow("UTF-8 with a mark") << Form::Utf8Mark << qsizetype(0);
        QTest::newRow("UTF-16 LE") << Form::Utf16LE << qsizetype(0);
        QTest::newRow("UTF-16 BE, blocks of 16") << Form::Utf16BE << qsizetype(16);
    }
    void resumedEqualsFull()
    {
        // Cut at the end of every game, and at every byte of a stretch across
        // the start of a game and its lines of names: at every line end, in a
        // line without its end, inside a character of two or three bytes,
        // inside a UTF-16 unit and between the two halves of a pair.
        QFETCH(Form, form);
        QFETCH(qsizetype, blockSize);
        const QStringList lines = sampleLines(hasWideCharacters(form));
        const QByteArray log = scorelog::encoded(lines, form);
        const Record whole = passOver(log, u"かもめ"_s, blockSize);
        QVERIFY(whole.ok);
        QCOMPARE(whole.values.value(0), 3);
        QCOMPARE(whole.summary.games(), 4);
        auto offsetOf = [&](qsizetype line) {
            return line == 0 ? qsizetype(0) : scorelog::encoded(lines.first(line), form).size();
        };
        QList<qsizetype> cuts{0, 1, 2, 3};
        for (qsizetype i = 0; i < lines.size(); ++i)
            if (lines[i].startsWith(u"-----"_s))
                cuts << offsetOf(i + 1);
        const qsizetype third = offsetOf(lines.indexOf(scorelog::game(3, 1, -5).first()));
        for (qsizetype cut = third - 80; cut < third + 400; ++cut)
            cuts << cut;
        MemoryPass pass(u"かもめ"_s, blockSize); // a run starts afresh
        for (const qsizetype cut : std::as_const(cuts)) {
            pass.run(log.first(cut));
            PassUpdate::Kind kind;
            const Record resumed = pass.update(log, kind);
            QVERIFY2(resumed == whole, qPrintable(u"cut at %1"_s.arg(cut)));
            // Only a log cut within its byte-order mark reads anew.
            const PassUpdate::Kind expected =
                cut == log.size() ? PassUpdate::Kind::Unchanged : PassUpdate::Kind::Resumed;
            if (cut >= 3)
                QVERIFY2(kind == expected, qPrintable(u"cut at %1"_s.arg(cut)));
        }
    }

    void gameByGame()
    {
        // A log growing a game at a time, as the client writes it: each
        // update reads the new game only, and gives what a whole pass gives;
        // a log that did not change is not read.
        const QByteArray log = scorelog::encoded(sampleLines(), Form::Cp932);
        MemoryPass pass;
        pass.run({});
        qsizetype from = 0;
        PassUpdate::Kind kind;
        for (qsizetype end = log.indexOf("-----"); end >= 0; end = log.indexOf("-----", end + 1)) {
            end = log.indexOf("\r\n", end) + 2;
            QCOMPARE(pass.update(log.first(end), kind), passOver(log.first(end)));
            QCOMPARE(kind, PassUpdate::Kind::Resumed);
            QCOMPARE(pass.update(log.first(end), kind), passOver(log.first(end)));
            QCOMPARE(kind, PassUpdate::Kind::Unchanged);
            QVERIFY(end > from);
            from = end;
        }
    }

    void failuresGoOnAsAWholePassWould_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<int>("error");
        QStringList broken = scorelog::games(u"2:+30 1:-5"_s);
        broken.replaceInStrings(u"  2位 かもめ"_s, u"  7位 かもめ"_s);
        QTest::newRow("a rank outside 1..5") << broken << int(ErrorKind::SubscriptOutOfRange);
        QStringList overflow;
        for (int i = 0; i < 4; ++i)
            overflow += scorelog::game(i + 1, 1, 9999);
        QTest::newRow("a running total beyond 16 bits") << overflow << int(ErrorKind::Overflow);
    }
    void failuresGoOnAsAWholePassWould()
    {
        // The failure, its line and the values gathered up to it are those
        // of one pass, however the log grew; the lines after it do not
        // change that.
        QFETCH(QStringList, lines);
        QFETCH(int, error);
        const QByteArray log = scorelog::encoded(lines, Form::Cp932)
                               + scorelog::encoded(scorelog::games(u"1:+1"_s), Form::Cp932);
        const Record whole = passOver(log);
        QVERIFY(!whole.ok);
        QCOMPARE(whole.error, error);
        MemoryPass pass;
        for (qsizetype cut = 0; cut <= log.size(); cut += 7) {
            pass.run(log.first(cut));
            PassUpdate::Kind kind;
            pass.update(log.first((cut + log.size()) / 2), kind);
            QVERIFY2(pass.update(log, kind) == whole, qPrintable(u"cut at %1"_s.arg(cut)));
        }
    }

    // ------------------------------------------------ read from the start again

    void changedLogsAreReadAgain_data()
    {
        QTest::addColumn<QString>("change");
        QTest::newRow("truncated") << u"truncate"_s;
        QTest::newRow("an old byte changed") << u"edit"_s;
        QTest::newRow("the first bytes changed") << u"head"_s;
        QTest::newRow("replaced by a rename") << u"rename"_s;
        QTest::newRow("written anew, grown") << u"rewrite"_s;
    }
    void changedLogsAreReadAgain()
    {
        // The log is a file here: its identity counts too.
        QFETCH(QString, change);
        testutil::ProgramDir dir;
        const QString path = dir.file(u"MjScore.txt"_s);
        const QByteArray log = scorelog::encoded(sampleLines(), Form::Cp932);
        QVERIFY(testutil::writeAll(path, log));
        ScorePass pass(settings(), MemoryPass::tables());
        CalcResults results;
        {
            ScoreLog first(path);
            QVERIFY(pass.run(first, results));
        }
        QByteArray now = log + scorelog::encoded(scorelog::games(u"4:-9"_s), Form::Cp932);
        if (change == u"truncate")
            now = log.first(log.size() / 2);
        else if (change == u"edit")
            now[log.size() / 2] = now[log.size() / 2] == 'x' ? 'y' : 'x';
        else if (change == u"head")
            now[5] = '#';
        if (change == u"rename") {
            QVERIFY(testutil::writeAll(path + u".new"_s, now));
            QVERIFY(QDir().rename(path + u".new"_s, path + u".tmp"_s));
            QVERIFY(QFile::remove(path));
            QVERIFY(QDir().rename(path + u".tmp"_s, path));
        } else {
            QVERIFY(testutil::writeAll(path, now));
        }
        ScoreLog grown(path);
        const PassUpdate u = pass.update(grown, results);
        QCOMPARE(u.kind, change == u"rewrite" ? PassUpdate::Kind::Resumed : PassUpdate::Kind::Full);
        CalcResults again;
        ScorePass fresh(settings(), MemoryPass::tables());
        ScoreLog same(path);
        QCOMPARE(u.ok, fresh.run(same, again));
        QCOMPARE(results.value(calc::GameCount), again.value(calc::GameCount));
        QCOMPARE(pass.summary(), fresh.summary());
    }

    // ------------------------------------------------ every form of a log

    void readingFaults_data()
    {
        QTest::addColumn<QByteArray>("log");
        QTest::addColumn<QString>("user");
        QTest::addColumn<QByteArray>("original"); // CP932, or empty for an error
        QTest::addColumn<int>("error");
        QTest::addColumn<qsizetype>("blockSize");
        const QStringList lines = sampleLines();
        const QByteArray cp932 = scorelog::encoded(lines, Form::Cp932);
        const QByteArray utf8 = scorelog::encoded(lines, Form::Utf8);
        const int none = -1;
        const qsizetype block = 0;
        const QString me = u"かもめ"_s;

        // A pair of UTF-16 cut by the end of a read (at 256 KiB): the line
        // keeps its name.
        {
            QStringList wide = lines;
            wide.replaceInStrings(u"かもめ"_s, u"𠮷かもめ"_s);
            const QString filler = u"    * 1G3p 1d1p 2G1s 2d6p 3G發 3d6s 4G2s 4d8m"_s;
            const qsizetype pair = scorelog::encoded(wide, Form::Utf16LE).indexOf("\x42\xD8");
            // Lines before it so that its first half ends the first 256 KiB.
            const qsizetype room = (qsizetype(256) << 10) - 2 - pair;
            QStringList before(room / (2 * (filler.size() + 2)), filler);
            before << QString(room / 2 - before.size() * (filler.size() + 2) - 2, u' ');
            const QByteArray log = scorelog::encoded(before + wide, Form::Utf16LE);
            QCOMPARE(log.indexOf("\x42\xD8"), (qsizetype(256) << 10) - 2);
            QTest::newRow("UTF-16, a pair cut by a read")
                << log << u"𠮷かもめ"_s << scorelog::encoded(before + wide, Form::Utf8) << none
                << (qsizetype(256) << 10) - 2;
        }
        // A log in both forms, either way round: the lines of the other form
        // count too.
        // The second game on in the other form.
        const qsizetype half = lines.indexOf(scorelog::othersOnly().first(), 1);
        QTest::newRow("UTF-8, then CP932 games")
            << scorelog::encoded(lines.first(half), Form::Utf8)
                   + scorelog::encoded(lines.mid(half), Form::Cp932)
            << me << cp932 << none << block;
        QTest::newRow("CP932, then UTF-8 games")
            << scorelog::encoded(lines.first(half), Form::Cp932)
                   + scorelog::encoded(lines.mid(half), Form::Utf8)
            << me << cp932 << none << block;
        // The first game header beyond the first 64 KiB.
        {
            const QStringList filler(3000, u"  no game here, only words of ASCII"_s);
            const QByteArray before = scorelog::encoded(filler, Form::Utf8);
            QTest::newRow("UTF-8, the first header far in")
                << before + utf8 << me << before + cp932 << none << block;
            QTest::newRow("UTF-8 with a mark, the first header far in")
                << "\xEF\xBB\xBF" + before + utf8 << me << before + cp932 << none << block;
        }
        // A CP932 header holding the bytes of UTF-8 "開始".
        {
            QByteArray log = cp932;
            const QByteArray table = cp932::encode(u"東風戦：一般卓"_s).value();
            log.insert(log.indexOf(table) + table.size(), "\xE9\x96\x8B\xE5\xA7\x8B");
            QTest::newRow("CP932, a header with the bytes of UTF-8")
                << log << me << cp932 << none << block;
        }
        // UTF-16 with a byte missing: said, not skipped.
        {
            QByteArray log = scorelog::encoded(lines, Form::Utf16LE);
            log.remove(log.size() / 2 | 1, 1);
            QTest::newRow("UTF-16 with a byte missing")
                << log << me << QByteArray() << int(ErrorKind::BrokenUtf16) << block;
            QByteArray odd = scorelog::encoded(lines, Form::Utf16BE);
            odd.chop(1);
            QTest::newRow("UTF-16, the last byte missing")
                << odd << me << QByteArray() << int(ErrorKind::BrokenUtf16) << block;
        }
        QTest::newRow("UTF-16 LE without a mark")
            << scorelog::encoded(lines, Form::Utf16LENoMark) << me << cp932 << none << block;
        QTest::newRow("UTF-16 BE without a mark")
            << scorelog::encoded(lines, Form::Utf16BENoMark) << me << cp932 << none << block;
        // Decomposed kana, and the JIS forms of CP932's characters.
        QTest::newRow("UTF-8 in NFD")
            << QString::fromUtf8(utf8).normalized(QString::NormalizationForm_D).toUtf8() << me
            << cp932 << none << block;
        {
            QStringList tilde = lines;
            tilde.replaceInStrings(u"かもめ"_s, u"かも～め"_s);
            QStringList jis = tilde;
            jis.replaceInStrings(u"～"_s, u"〜"_s);
            QTest::newRow("UTF-8 with 〜 where CP932 has ～")
                << scorelog::encoded(jis, Form::Utf8) << u"かも～め"_s
                << scorelog::encoded(tilde, Form::Cp932) << none << block;
        }
    }
    void readingFaults()
    {
        QFETCH(QByteArray, log);
        QFETCH(QString, user);
        QFETCH(QByteArray, original);
        QFETCH(int, error);
        QFETCH(qsizetype, blockSize);
        const Record read = passOver(log, user, blockSize);
        if (error >= 0) {
            QVERIFY(!read.ok);
            QCOMPARE(read.error, error);
            QVERIFY(read.line > 1);
            return;
        }
        const Record expected = passOver(original, user);
        QVERIFY(expected.ok);
        QVERIFY(expected.values.value(0) > 0);
        QCOMPARE(read.values, expected.values);
        QCOMPARE(read.summary.games(), expected.summary.games());
    }

    void canonicalForm()
    {
        // Composed, and CP932's own characters where a converter wrote JIS's.
        QCOMPARE(textforms::canonical(u"か\u3099もめ 〜‖−—¢£¬"_s), u"がもめ ～∥－―￠￡￢"_s);
        QVERIFY(textforms::isCanonical(u"がもめ ～ 東南西北 ﾊﾞ"_s));
        const QByteArray nfd = u"か\u3099"_s.toUtf8();
        auto kind = [](const QByteArray &b) {
            const auto *p = reinterpret_cast<const uchar *>(b.constData());
            return textforms::examineUtf8(p, p + b.size());
        };
        QCOMPARE(kind(u"がもめ"_s.toUtf8()), textforms::Utf8Bytes::Canonical);
        QCOMPARE(kind(nfd), textforms::Utf8Bytes::Valid);
        QCOMPARE(kind("\x82\xa9"), textforms::Utf8Bytes::Invalid);
    }

    // ------------------------------------------------ the log as a whole

    void summaryOfTheLog()
    {
        // Every game header, and the names of the rating lines by how often
        // they stand there, whoever's record is computed.
        const QStringList lines = sampleLines() + scorelog::game(5, 1, 10);
        MemoryPass pass(u"いない"_s);
        const Record r = pass.run(scorelog::encoded(lines, Form::Cp932));
        QCOMPARE(r.values.value(0), 0);
        QCOMPARE(r.summary.games(), 5);
        using Names = QList<QPair<QString, qint64>>;
        // Equally frequent ones by their text; one game is of others only.
        QCOMPARE(r.summary.names(3), (Names{{u"Kumo-7"_s, 5}, {u"Rin"_s, 5}, {u"ぽんた"_s, 5}}));
        QCOMPARE(r.summary.names().mid(3), (Names{{u"かもめ"_s, 4}, {u"ねこまた"_s, 1}}));
    }

    void followingTheLogFile()
    {
        // The calculation of the program: an update reads the new lines of
        // the log of its run; a log that is gone leaves the results as they
        // were.
        testutil::ProgramDir dir;
        Session session(dir.locations());
        QVERIFY(session.tables().loadBytes(testutil::cp932Lines(calctest::defaultTables())));
        Settings &s = session.settings();
        s.setValue(Settings::ScoreFile, dir.file(u"MjScore.txt"_s));
        s.setValue(Settings::UserName, u"かもめ"_s);
        s.setValue(Settings::SpecifyDate, false);
        s.setValue(Settings::TableKind1, 5);
        s.setValue(Settings::TableKind2, 5);
        const QStringList lines = scorelog::games(u"2:+30"_s);
        QVERIFY(testutil::writeAll(s.scoreFile(), scorelog::encoded(lines, Form::Cp932)));
        Calculation calculation;
        CalcResults &results = session.results();
        QCOMPARE(calculation.run(s, session.tables(), results).status,
                 CalcOutcome::Status::Counted);
        QCOMPARE(calculation.update(results).change, Calculation::Change::None);
        QVERIFY(testutil::writeAll(
            s.scoreFile(), scorelog::encoded(scorelog::games(u"2:+30 1:+5"_s), Form::Cp932)));
        const Calculation::Update grown = calculation.update(results);
        QCOMPARE(grown.change, Calculation::Change::Updated);
        QCOMPARE(grown.outcome.status, CalcOutcome::Status::Counted);
        QCOMPARE(results.gameCount(), 2);
        QVERIFY(QFile::remove(s.scoreFile()));
        const Calculation::Update gone = calculation.update(results);
        QCOMPARE(gone.outcome.status, CalcOutcome::Status::ScoreFileMissing);
        QCOMPARE(gone.change, Calculation::Change::None);
        QCOMPARE(results.gameCount(), 2);
    }

private:
    static PassSettings settings()
    {
        PassSettings s;
        s.userName = u"かもめ"_s;
        s.specifyDate = false;
        s.tableKind1 = 5;
        s.tableKind2 = 5;
        return s;
    }
};

QTEST_GUILESS_MAIN(TestScoreLog)
#include "tst_scorelog.moc"
