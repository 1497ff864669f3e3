// The game list: what the pass records of each counted game, its lines read
// back from the log, and the CSV it is written as.

#include "calctestutil.h"
#include "csvparse.h"
#include "scorelog.h"

#include "core/calc/gamescsv.h"
#include "core/common/cp932.h"

#include <QFile>

#include <QTest>
#include <cstdio>

using namespace norva;
using namespace Qt::StringLiterals;

namespace {

// Four games of the user, one at a table the mask leaves out and one of
// others, with tables and starts of every shape the header allows.
QStringList mixedLog()
{
    using calctest::header;
    QStringList lines;
    auto game = [&](const QString &head, int rank, const QString &score, int rating,
                    const QList<scorelog::Hand> &hands) {
        lines << head << calctest::ratingLine(u"かもめ"_s, rating);
        for (const scorelog::Hand &h : hands)
            lines << u"  東1局 0本場(リーチ0) %1 "_s.arg(h.changes) << u"    "_s + h.result
                  << u"    * 1G8p 1d東"_s << QString();
        lines << u"  ---- 試合結果 ----"_s << calctest::result(rank, u"かもめ"_s, score)
              << calctest::finish() << QString();
    };
    game(header(), 2, u"+9"_s, 1612, scorelog::hands(u"t r T"_s));
    game(header(u"東南戦：上級卓 喰断 赤"_s, u"2009/03/15 01:00"_s), 4, u"-33"_s, 1598,
         scorelog::hands(u"R"_s));
    game(header(u"東風戦：練習卓"_s), 1, u"+40"_s, 1600, scorelog::hands(u"t"_s));
    lines += scorelog::othersOnly();
    // No table number, no start.
    game(u"===== 東風戦：一般卓 ====="_s, 1, u"+54"_s, 1640, {});
    // A deal-in of the user last.
    game(header(u"東風戦：一般卓"_s, u"2016/01/01 00:43"_s), 3, u"-7"_s, 1633,
         scorelog::hands(u"+ - o"_s)
             << scorelog::Hand{u"ぽんた 3900 かもめ -3900"_s, u"30符 三飜ロン"_s});
    return lines;
}

// The lines of the log from each counted game's header to its end line.
QList<QStringList> countedGameLines(const QStringList &log)
{
    QList<QStringList> out;
    for (qsizetype i = 0; i < log.size(); ++i) {
        if (!log[i].startsWith(u"====="_s) || log[i].contains(u"練習卓"_s)
            || !log[i + 1].contains(u"かもめ"_s))
            continue;
        QStringList game;
        while (game.isEmpty() || !game.last().startsWith(u"-----"_s))
            game << log[i++];
        out << game;
    }
    return out;
}

} // namespace

class TestGames : public QObject
{
    Q_OBJECT

private slots:
    void headerParts_data()
    {
        QTest::addColumn<QString>("header");
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("table");
        QTest::newRow("as the client writes it") << u" 東風戦：一般卓 12卓 開始 2009/03/14 21:05 "_s
                                                 << u"2009/03/14 21:05"_s << u"東風戦：一般卓"_s;
        QTest::newRow("rule words kept") << u" 東南戦：上級卓 喰断 赤 3卓 開始 2016/01/01 00:43 "_s
                                         << u"2016/01/01 00:43"_s << u"東南戦：上級卓 喰断 赤"_s;
        QTest::newRow("one word: no number to drop")
            << u" 東風戦：一般卓 開始 2016/01/01 00:43"_s << u"2016/01/01 00:43"_s
            << u"東風戦：一般卓"_s;
        QTest::newRow("no 開始: all of it")
            << u" 東風戦：一般卓  12卓  "_s << QString() << u"東風戦：一般卓"_s;
        QTest::newRow("開始 at the end") << u"東風戦 1卓 開始"_s << QString() << u"東風戦"_s;
        QTest::newRow("start as written")
            << u" 卓 1卓 開始 09/3/4 1:05　"_s << u"09/3/4 1:05"_s << u"卓"_s;
        QTest::newRow("empty") << QString() << QString() << QString();
    }
    void headerParts()
    {
        QFETCH(QString, header);
        QFETCH(QString, start);
        QFETCH(QString, table);
        const GameHeaderParts parts = splitGameHeader(header);
        QCOMPARE(parts.start.toString(), start);
        QCOMPARE(parts.table.toString(), table);
    }

    void rowsFollowTheSeries_data()
    {
        QTest::addColumn<int>("form");
        QTest::addColumn<int>("mode");
        QTest::newRow("CP932, bytes compared")
            << int(scorelog::Form::Cp932) << int(ScorePassMode::Fast);
        QTest::newRow("CP932, lines decoded")
            << int(scorelog::Form::Cp932) << int(ScorePassMode::Plain);
        QTest::newRow("UTF-8 with a mark")
            << int(scorelog::Form::Utf8Mark) << int(ScorePassMode::Fast);
        QTest::newRow("UTF-16") << int(scorelog::Form::Utf16BE) << int(ScorePassMode::Auto);
    }
    void rowsFollowTheSeries()
    {
        // One row per counted game, in the order of the log, with the rank,
        // score and rating of the series; its lines read back exactly.
        QFETCH(int, form);
        QFETCH(int, mode);
        calctest::Pass pass;
        const QStringList log = mixedLog();
        pass.writeBytes(scorelog::encoded(log, scorelog::Form(form)));
        QVERIFY(pass.run(ScorePassMode(mode)));
        const CalcResults &r = pass.results();
        const GameList &games = r.games();
        QCOMPARE(games.size(), 4);
        QCOMPARE(games.size(), r.gameCount());
        const QList<QStringList> expectedLines = countedGameLines(log);
        ScoreLog input(pass.logPath());
        for (qsizetype i = 0; i < games.size(); ++i) {
            const GameList::Game &g = games.at(i);
            QCOMPARE(g.rank, r.value(calc::RankSeries, qint32(i)).toInt());
            QCOMPARE(g.score, r.value(calc::ScoreSeries, qint32(i)).toInt());
            QCOMPARE(g.rating, r.value(calc::RatingSeries, qint32(i)).toInt());
            QCOMPARE(readGameLines(input, games, i).value_or(QStringList()),
                     expectedLines.value(i));
        }
        const QStringList starts{u"2009/03/14 21:05"_s, u"2009/03/15 01:00"_s, QString(),
                                 u"2016/01/01 00:43"_s};
        const QList<qint32> hands{3, 1, 0, 4}, wins{2, 0, 0, 0}, dealIns{0, 0, 0, 1};
        for (qsizetype i = 0; i < games.size(); ++i) {
            QCOMPARE(games.at(i).wins, wins[i]);
            QCOMPARE(games.at(i).dealIns, dealIns[i]);
            QCOMPARE(games.startText(i), starts[i]);
            QCOMPARE(games.tableText(i),
                     i == 1 ? u"東南戦：上級卓 喰断 赤"_s : u"東風戦：一般卓"_s);
            QCOMPARE(games.at(i).hands, hands[i]);
        }
        QCOMPARE(games.at(0).hands + games.at(1).hands + games.at(3).hands,
                 r.value(calc::HandCount).toInt());
        QCOMPARE(r.extra().wins(), 2);
        QCOMPARE(r.extra().dealIns(), 1);
    }

    void viewerNoticesAChangedLog_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<bool>("readable");
        QTest::newRow("grown by a game") << u"append"_s << true;
        QTest::newRow("header rewritten in place") << u"header"_s << false;
        QTest::newRow("cut short") << u"truncate"_s << false;
        QTest::newRow("replaced by another file") << u"replace"_s << false;
        QTest::newRow("first bytes changed") << u"head"_s << false;
    }
    void viewerNoticesAChangedLog()
    {
        QFETCH(QString, change);
        calctest::Pass pass;
        const QStringList log = mixedLog();
        pass.writeLog(log);
        QVERIFY(pass.run());
        const QString path = pass.logPath();
        QByteArray bytes = testutil::readAll(path);
        if (change == u"append") {
            QFile f(path);
            QVERIFY(f.open(QIODevice::Append));
            f.write(testutil::cp932Lines(scorelog::game(9, 1, 10)));
        } else if (change == u"header" || change == u"head") {
            // The same length, in place: only the bytes tell. The last
            // game's header, or the first bytes of the log.
            if (change == u"head")
                bytes[0] = '#';
            else
                bytes.replace(bytes.lastIndexOf("2016/01/01"), 4, "2017");
            QFile f(path);
            QVERIFY(f.open(QIODevice::ReadWrite)); // in place: the same file
            f.write(bytes);
        } else if (change == u"truncate") {
            QVERIFY(QFile::resize(path, bytes.size() - 10));
        } else {
            // The same bytes in another file, renamed over the log.
            QVERIFY(testutil::writeAll(path + u".new"_s, bytes));
            QVERIFY(std::rename(qPrintable(path + u".new"_s), qPrintable(path)) == 0);
        }
        ScoreLog now(path);
        QFETCH(bool, readable);
        const GameList &games = pass.results().games();
        QCOMPARE(readGameLines(now, games, games.size() - 1).has_value(), readable);
    }

    void csvFields_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("written");
        QTest::newRow("plain") << u"東風戦：一般卓"_s << u"東風戦：一般卓"_s;
        QTest::newRow("a negative number") << u"-23"_s << u"-23"_s;
        QTest::newRow("empty") << QString() << QString();
        QTest::newRow("a comma") << u"a,b"_s << u"\"a,b\""_s;
        QTest::newRow("quotes doubled") << u"say \"ron\""_s << u"\"say \"\"ron\"\"\""_s;
        QTest::newRow("CR") << u"a\rb"_s << u"\"a\rb\""_s;
        QTest::newRow("LF") << u"a\nb"_s << u"\"a\nb\""_s;
        QTest::newRow("spaces kept, unquoted") << u" a "_s << u" a "_s;
    }
    void csvFields()
    {
        QFETCH(QString, text);
        QFETCH(QString, written);
        QCOMPARE(csv::field(text), written);
    }

    void gamesCsvReadsBack()
    {
        // Texts a spreadsheet program must not split: commas, quotes, line
        // ends in the table text; a name in the header row.
        GameList games;
        const QStringList tables{u"東風戦：一般卓"_s, u"卓,\"名\"\r\n二行"_s, u"卓 かもめ"_s};
        for (int i = 0; i < 3; ++i) {
            GameList::Game g;
            g.rank = qint16(i + 1);
            g.score = qint16(-23 + 20 * i);
            g.rating = 1500 + i;
            g.hands = 5 + i;
            games.append(g, u"2009/03/1%1 21:05"_s.arg(i), tables[i]);
        }
        const QString text = csv::gamesText(games);
        QVERIFY(text.endsWith(u"\r\n"_s));
        bool ok = false;
        const QList<QStringList> records = csvparse::parse(text, &ok);
        QVERIFY(ok);
        QCOMPARE(records.size(), 4);
        QCOMPARE(records[0], (QStringList{u"開始日時"_s, u"卓"_s, u"順位"_s, u"得点"_s, u"レート"_s,
                                          u"局数"_s, u"和了"_s, u"放銃"_s}));
        for (int i = 0; i < 3; ++i)
            QCOMPARE(records[i + 1], csv::gameFields(games, i));
        QCOMPARE(records[1][3], u"-23"_s);
        QCOMPARE(records[3][3], u"17"_s); // no "+"
        QCOMPARE(records[2][1], tables[1]);

        // The totals: "項目,値", then every figure but the series.
        calctest::Pass pass;
        QVERIFY(pass.run(scorelog::games(u"2:+30 1:-5"_s)));
        const QList<QStringList> totals = csvparse::parse(csv::totalsText(pass.results()), &ok);
        QVERIFY(ok);
        QCOMPARE(totals[0], (QStringList{u"項目"_s, u"値"_s}));
        QVERIFY(totals.contains(QStringList{u"GameCount"_s, u"2"_s}));
        QVERIFY(totals.contains(QStringList{u"ScoreTotal"_s, u"25"_s}));
        QVERIFY(totals.contains(QStringList{u"RankCount(1)"_s, u"1"_s}));
        QVERIFY(totals.contains(QStringList{u"Wins"_s, u"0"_s}));
        QCOMPARE(totals.size(), 1 + (23 - 3) + 5 + 5 + 9 + 9);
    }

    void csvEncodings_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("shiftJis");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("lossy");
        const QString text = u"卓,～\r\n"_s;
        QTest::newRow("UTF-8 with a mark")
            << text << false << QByteArray("\xEF\xBB\xBF" + text.toUtf8()) << false;
        QTest::newRow("Shift_JIS as CP932")
            << text << true << QByteArray("\x91\xEC,\x81\x60\r\n") << false;
        QTest::newRow("Shift_JIS without a code")
            << u"한,a\r\n"_s << true << QByteArray("?,a\r\n") << true;
    }
    void csvEncodings()
    {
        QFETCH(QString, text);
        QFETCH(bool, shiftJis);
        const csv::Bytes b =
            csv::encode(text, shiftJis ? csv::Encoding::ShiftJis : csv::Encoding::Utf8WithMark);
        QFETCH(QByteArray, bytes);
        QFETCH(bool, lossy);
        QCOMPARE(b.data, bytes);
        QCOMPARE(b.lossy, lossy);
    }
};

QTEST_GUILESS_MAIN(TestGames)
#include "tst_games.moc"
