// The score log pass: line tests, game headers, dates, ratings, the hand state
// machine, failures and progress. Each log runs through both ways of
// comparing lines (bytes and decoded text), which must agree.

#include "calctestutil.h"

#include "core/common/cp932.h"

#include <QTest>

using namespace norva;
using namespace calctest;
using namespace Qt::StringLiterals;

namespace {

// One hand of the user: the hand line with her change, then its result line.
QStringList hand(const QString &change, const QString &resultLine,
                 const QString &user = QStringLiteral("かもめ"))
{
    QString line = QStringLiteral("  東1局 0本場(リーチ0) ぽんた 3900 ");
    if (!change.isEmpty())
        line += user + u' ' + change + u' ';
    return {line, QStringLiteral("    ") + resultLine, QStringLiteral("    [1東]2m3m5m東南白"),
            QString()};
}

QStringList game(const QStringList &body, int rank = 2, const QString &score = QStringLiteral("+9"),
                 const QString &table = QStringLiteral("東風戦：一般卓"),
                 const QString &start = QStringLiteral("2009/03/14 21:05"))
{
    return QStringList{header(table, start), ratingLine()} + body
           + QStringList{QStringLiteral("  ---- 試合結果 ----"),
                         result(1, QStringLiteral("ぽんた"), QStringLiteral("+38")),
                         result(rank, QStringLiteral("かもめ"), score), finish(), QString()};
}

// Runs the log both ways; fails the test when they disagree. Returns the
// pass's result.
bool runBoth(Pass &pass, const QStringList &lines)
{
    pass.writeLog(lines);
    const bool plainOk = pass.run(ScorePassMode::Plain);
    const QList<qint32> plain = snapshot();
    const ExtraFigures plainExtra = results().extra();
    const auto plainError = pass.error();
    const LogSummary plainSummary = pass.summary();
    const bool fastOk = pass.run(ScorePassMode::Auto);
    const QList<qint32> fast = snapshot();
    [&] {
        QCOMPARE(fastOk, plainOk);
        QCOMPARE(fast, plain);
        QVERIFY(results().extra() == plainExtra);
        QCOMPARE(pass.error(), plainError);
        QCOMPARE(pass.summary(), plainSummary);
    }();
    return fastOk;
}

} // namespace

class TestCalcPass : public QObject
{
    Q_OBJECT

private slots:
    void lineTests_data()
    {
        QTest::addColumn<QStringList>("log");
        QTest::addColumn<int>("games");
        QTest::addColumn<int>("hands");
        const QStringList oneHand = hand(QStringLiteral("-3900"), QStringLiteral("30符 三飜ロン"));
        QTest::newRow("no header at all")
            << QStringList{ratingLine(), oneHand[0], oneHand[1],
                           result(1, QStringLiteral("かもめ"), QStringLiteral("+10"))}
            << 0 << 0;
        QTest::newRow("one game") << game(oneHand) << 1 << 1;
        QTest::newRow("lines after the game end are not counted")
            << QStringList{header(), ratingLine(), finish()} + oneHand
                   + QStringList{result(1, QStringLiteral("かもめ"), QStringLiteral("+10"))}
            << 0 << 0;
        QTest::newRow("a header inside a game starts the next one")
            << QStringList{header(), ratingLine()} + oneHand + game(oneHand) << 1 << 2;
        QTest::newRow("an uncounted header inside a game stops it")
            << QStringList{header(), ratingLine()} + oneHand
                   + QStringList{header(QStringLiteral("東風戦：練習卓")), ratingLine()} + oneHand
                   + QStringList{result(1, QStringLiteral("かもめ"), QStringLiteral("+10"))}
            << 0 << 1;
        QTest::newRow("rating line without the user stops the game")
            << QStringList{header()} + oneHand
                   + QStringList{ratingLine(QStringLiteral("ぽんた2")),
                                 result(1, QStringLiteral("かもめ"), QStringLiteral("+10"))}
                   + oneHand
            << 0 << 1;
        QTest::newRow("a rating line outside a game does not start one")
            << QStringList{finish(), ratingLine()} + oneHand
                   + QStringList{result(1, QStringLiteral("かもめ"), QStringLiteral("+10"))}
            << 0 << 0;
        QTest::newRow("a rating-shaped result line is a rating line")
            << QStringList{header(), ratingLine(), QStringLiteral("  持点 1位 かもめ       +10")}
            << 0 << 0;
        QTest::newRow("the game flag holds without a rating line")
            << QStringList{header(), result(3, QStringLiteral("かもめ"), QStringLiteral("-5"))} << 1
            << 0;
        QTest::newRow("hands outside the game flag are not counted")
            << QStringList{QStringLiteral("  東1局 0本場(リーチ0) かもめ 1000 "),
                           QStringLiteral("    ツモ")}
                   + game({})
            << 1 << 0;
    }
    void lineTests()
    {
        QFETCH(QStringList, log);
        QFETCH(int, games);
        QFETCH(int, hands);
        Pass pass;
        QVERIFY(runBoth(pass, log));
        QCOMPARE(value(calc::GameCount), games);
        QCOMPARE(value(calc::HandCount), hands);
    }

    void markerOrder()
    {
        // FinishLine is a prefix of StartLine: the header test comes first.
        QStringList tables = defaultTables();
        tables << QStringLiteral("FinishLine=====") << QStringLiteral("RLine=  ");
        Pass pass(tables);
        // With RLine "  " every indented line is a rating line: the hands and
        // the result lines are never looked at, and a line without the user
        // followed by " R" ends the game.
        QVERIFY(runBoth(pass, game(hand(QStringLiteral("100"), QStringLiteral("ロン")))));
        QCOMPARE(value(calc::GameCount), 0);
        QCOMPARE(value(calc::HandCount), 0);
        // A line starting with "=====" but not "===== " ends the game.
        QVERIFY(runBoth(pass,
                        {header(), QStringLiteral("=====x"), QStringLiteral("1位 かもめ   +10")}));
        QCOMPARE(value(calc::GameCount), 0);
        QVERIFY(runBoth(pass, {header(), QStringLiteral("1位 かもめ   +10")}));
        QCOMPARE(value(calc::GameCount), 1);
    }

    void emptyStartMarker()
    {
        // An empty StartLine begins every line, the empty one too: every line
        // is a game header, and the whole line is its header text.
        QStringList tables = defaultTables();
        tables << QStringLiteral("StartLine=");
        Pass pass(tables);
        QVERIFY(runBoth(pass, {QString(), QStringLiteral("東風戦：一般卓"),
                               result(1, QStringLiteral("かもめ"), QStringLiteral("+1"))}));
        QCOMPARE(value(calc::GameCount), 0);
    }

    void handStateMachine_data()
    {
        QTest::addColumn<QString>("change"); // the user's entry in the hand line; empty: absent
        QTest::addColumn<QString>("resultLine");
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("han"); // WinByHan index, -1 none
        const QString up = QStringLiteral("3900"), same = QStringLiteral("0"),
                      down = QStringLiteral("-3900"), absent;
        QTest::newRow("up ron") << up << QStringLiteral("30符 二飜ロン 断ヤオ") << int(calc::OwnRon)
                                << 1;
        QTest::newRow("up tsumo") << up << QStringLiteral("満貫ツモ 平和") << int(calc::OwnTsumo)
                                  << 2;
        QTest::newRow("up ron and tsumo")
            << up << QStringLiteral("40符 一飜ロン 門前ツモ") << int(calc::OwnTsumo) << 0;
        QTest::newRow("unchanged ron")
            << same << QStringLiteral("役満ロン") << int(calc::OwnRon) << 3;
        QTest::newRow("up win without a class")
            << up << QStringLiteral("ハネ満貫ロン") << int(calc::OwnRon) << -1;
        QTest::newRow("up draw") << up << QStringLiteral("流局") << int(calc::DrawPlus) << -1;
        QTest::newRow("up chombo")
            << up << QStringLiteral("チョンボ") << int(calc::OtherChombo) << -1;
        QTest::newRow("up other") << up << QStringLiteral("九種九牌") << int(calc::OtherResult)
                                  << -1;
        QTest::newRow("up empty line") << up << QString() << int(calc::OtherResult) << -1;
        QTest::newRow("down tsumo")
            << down << QStringLiteral("満貫ツモ") << int(calc::OtherTsumo) << -1;
        QTest::newRow("down ron") << down << QStringLiteral("30符 一飜ロン") << int(calc::OtherRon)
                                  << -1;
        QTest::newRow("down ron and tsumo")
            << down << QStringLiteral("ロン ツモ") << int(calc::OtherTsumo) << -1;
        QTest::newRow("down draw") << down << QStringLiteral("流局") << int(calc::DrawMinus) << -1;
        QTest::newRow("down chombo")
            << down << QStringLiteral("チョンボ") << int(calc::OwnChombo) << -1;
        QTest::newRow("down other")
            << down << QStringLiteral("途中流れ") << int(calc::OtherResult) << -1;
        QTest::newRow("absent tsumo")
            << absent << QStringLiteral("ツモ") << int(calc::OtherTsumo) << -1;
        QTest::newRow("absent ron")
            << absent << QStringLiteral("ロン") << int(calc::OtherRon) << -1;
        QTest::newRow("absent draw")
            << absent << QStringLiteral("流局") << int(calc::OtherResult) << -1;
        QTest::newRow("absent chombo")
            << absent << QStringLiteral("チョンボ") << int(calc::OwnChombo) << -1;
        QTest::newRow("absent other")
            << absent << QStringLiteral("x") << int(calc::OtherResult) << -1;
        QTest::newRow("draw before chombo")
            << up << QStringLiteral("チョンボ 流局") << int(calc::DrawPlus) << -1;
    }
    void handStateMachine()
    {
        QFETCH(QString, change);
        QFETCH(QString, resultLine);
        QFETCH(int, kind);
        QFETCH(int, han);
        Pass pass;
        QVERIFY(runBoth(pass, game(hand(change, resultLine))));
        QCOMPARE(value(calc::GameCount), 1);
        QCOMPARE(value(calc::HandCount), 1);
        for (qint16 k = calc::OwnTsumo; k <= calc::OtherResult; ++k)
            QCOMPARE(value(k), k == kind ? 1 : 0);
        QCOMPARE(value(calc::WinHanCount), han >= 0 ? 1 : 0);
        for (int i = 0; i < 9; ++i)
            QCOMPARE(value(calc::WinByHan, i), i == han ? 1 : 0);
    }

    void handLineDetails()
    {
        Pass pass;
        // The wind is the first character after the leading spaces; the
        // user's entry needs a space on both sides.
        QVERIFY(runBoth(
            pass, game({QStringLiteral("      南4局 0本場(リーチ0) かもめ丸 -8000 かもめ 8000 "),
                        QStringLiteral("    ツモ"), QStringLiteral("西"), QStringLiteral("ロン"),
                        QStringLiteral("  北1局 かもめ -100"), QStringLiteral("流局"),
                        QStringLiteral("  [1東] 東 かもめ -100"),
                        QStringLiteral("  X1局 かもめ 1 "), QStringLiteral("流局")})));
        QCOMPARE(value(calc::HandCount), 3);
        QCOMPARE(value(calc::OwnTsumo), 1);    // かもめ丸's -8000 is not hers
        QCOMPARE(value(calc::OtherRon), 1);    // "西": a hand line without her
        QCOMPARE(value(calc::DrawMinus), 1);   // "-" right after her entry
        QCOMPARE(value(calc::OtherResult), 0); // the "[1東]" and "X1局" lines are no hand lines
    }

    void handLineBeforeGameEnd()
    {
        // The state of a hand line followed directly by the game end waits
        // for the next counted game's first line that is not a marker line.
        Pass pass;
        QStringList log{header(),
                        ratingLine(),
                        QStringLiteral("  東1局 0本場 かもめ -1000 "),
                        finish(),
                        header(QStringLiteral("東風戦：練習卓")),
                        QStringLiteral("    ツモ"),
                        finish(),
                        header(),
                        ratingLine(),
                        QStringLiteral("    ツモ")};
        log += QStringList{result(1, QStringLiteral("かもめ"), QStringLiteral("+5")), finish()};
        QVERIFY(runBoth(pass, log));
        QCOMPARE(value(calc::HandCount), 1);
        QCOMPARE(value(calc::OtherTsumo), 1);
        QCOMPARE(value(calc::GameCount), 1);
    }

    void hanClasses_data()
    {
        QTest::addColumn<QStringList>("classes");
        QTest::addColumn<QString>("resultLine");
        QTest::addColumn<int>("slot"); // -1: no class
        QTest::newRow("first in slot order")
            << QStringList{QStringLiteral("ロン"), QStringLiteral("一飜")}
            << QStringLiteral("30符 一飜ロン") << 0;
        QTest::newRow("later slot") << QStringList{QStringLiteral("二飜"), QStringLiteral("一飜")}
                                    << QStringLiteral("30符 一飜ロン") << 1;
        QTest::newRow("no match") << QStringList{QStringLiteral("二飜")}
                                  << QStringLiteral("一飜ロン") << -1;
        QTest::newRow("no classes") << QStringList{} << QStringLiteral("一飜ロン") << -1;
        QTest::newRow("empty class takes every win")
            << QStringList{QStringLiteral("二飜"), QString()} << QStringLiteral("一飜ロン") << 1;
        QTest::newRow("leading space counts")
            << QStringList{QStringLiteral(" 満貫"), QStringLiteral("満貫")}
            << QStringLiteral("ハネ満貫ツモ") << 1;
        QTest::newRow("ninth slot")
            << QStringList(8, QStringLiteral("x")) + QStringList{QStringLiteral("役満")}
            << QStringLiteral("役満ツモ") << 8;
    }
    void hanClasses()
    {
        QFETCH(QStringList, classes);
        QFETCH(QString, resultLine);
        QFETCH(int, slot);
        QStringList tables = defaultTables().filter(QStringLiteral("Table"));
        for (const QString &c : classes)
            tables << QStringLiteral("YakuString=") + c;
        Pass pass(tables);
        QVERIFY(runBoth(pass, game(hand(QStringLiteral("1000"), resultLine))));
        QCOMPARE(value(calc::OwnRon) + value(calc::OwnTsumo), 1);
        QCOMPARE(value(calc::WinHanCount), slot >= 0 ? 1 : 0);
        for (int i = 0; i < 9; ++i)
            QCOMPARE(value(calc::WinByHan, i), i == slot ? 1 : 0);
    }

    void headers_data()
    {
        QTest::addColumn<QStringList>("extraTables");
        QTest::addColumn<int>("kind1");
        QTest::addColumn<int>("kind2");
        QTest::addColumn<QString>("headerLine");
        QTest::addColumn<bool>("counted");
        const QStringList none;
        QTest::newRow("both groups") << none << 5 << 5 << header() << true;
        QTest::newRow("group 1 only")
            << none << 5 << 5 << header(QStringLiteral("東風戦：特別卓")) << false;
        QTest::newRow("group 2 only")
            << none << 5 << 5 << header(QStringLiteral("四人戦：一般卓")) << false;
        QTest::newRow("outside the mask")
            << none << 5 << 5 << header(QStringLiteral("東風戦：練習卓")) << false;
        QTest::newRow("mask picks one kind") << none << 4 << 5 << header() << false;
        QTest::newRow("two entries add up")
            << QStringList{QStringLiteral("TableString2=1,一般")} << 5 << 5 << header() << false;
        QTest::newRow("two entries add up to the mask")
            << QStringList{QStringLiteral("TableString2=1,一般")} << 5 << 2 << header() << true;
        QTest::newRow("negative and") << none << 5 << -1 << header() << true;
        QTest::newRow("exactly twice the marker")
            << none << 5 << 5 << QStringLiteral("===== 東風戦一般卓") << false;
        QTest::newRow("the trailing part is not searched")
            << none << 5 << 5 << QStringLiteral("===== 東風戦 一般卓") << false;
        QTest::newRow("marker of its own")
            << QStringList{QStringLiteral("StartLine=◆")} << 5 << 5
            << QStringLiteral("◆東風戦：一般卓 開始 2009/1/1 0:00◆") << true;
        QTest::newRow("empty recognition text")
            << QStringList{QStringLiteral("TableString1=1,")} << 1 << 5
            << header(QStringLiteral("四人戦：一般卓")) << true;
    }
    void headers()
    {
        QFETCH(QStringList, extraTables);
        QFETCH(int, kind1);
        QFETCH(int, kind2);
        QFETCH(QString, headerLine);
        QFETCH(bool, counted);
        Pass pass(defaultTables() + extraTables);
        Pass::set(QStringLiteral("TableKind1"), kind1);
        Pass::set(QStringLiteral("TableKind2"), kind2);
        QVERIFY(runBoth(pass, {headerLine, ratingLine(),
                               result(1, QStringLiteral("かもめ"), QStringLiteral("+10"))}));
        QCOMPARE(value(calc::GameCount), counted ? 1 : 0);
        QCOMPARE(checkGameHeader(headerLine, PassSettings::from(pass.settings()), pass.tables()),
                 counted);
    }

    void dates_data()
    {
        QTest::addColumn<QString>("start"); // "yyyy/m/d h:n"
        QTest::addColumn<QString>("end");
        QTest::addColumn<QString>("game"); // the header's start
        QTest::addColumn<bool>("counted");
        const QString s = QStringLiteral("2009/3/10 12:00"), e = QStringLiteral("2009/3/20 18:30");
        QTest::newRow("S<D<E any time") << s << e << QStringLiteral("2009/03/15 03:00") << true;
        QTest::newRow("before S") << s << e << QStringLiteral("2009/03/09 23:59") << false;
        QTest::newRow("after E") << s << e << QStringLiteral("2009/03/21 00:00") << false;
        QTest::newRow("D=S before ST") << s << e << QStringLiteral("2009/03/10 11:59") << false;
        QTest::newRow("D=S at ST") << s << e << QStringLiteral("2009/03/10 12:00") << true;
        QTest::newRow("D=S late") << s << e << QStringLiteral("2009/03/10 23:59") << true;
        QTest::newRow("D=E at ET") << s << e << QStringLiteral("2009/03/20 18:30") << true;
        QTest::newRow("D=E after ET") << s << e << QStringLiteral("2009/03/20 18:31") << false;
        QTest::newRow("D=E early") << s << e << QStringLiteral("2009/03/20 00:00") << true;
        QTest::newRow("seconds are dropped")
            << s << e << QStringLiteral("2009/03/20 18:30:59") << true;
        const QString day = QStringLiteral("2009/3/14 9:00"),
                      dayEnd = QStringLiteral("2009/3/14 21:05");
        QTest::newRow("D=S=E inside")
            << day << dayEnd << QStringLiteral("2009/03/14 12:00") << true;
        QTest::newRow("D=S=E at ST") << day << dayEnd << QStringLiteral("2009/03/14 09:00") << true;
        QTest::newRow("D=S=E at ET") << day << dayEnd << QStringLiteral("2009/03/14 21:05") << true;
        QTest::newRow("D=S=E before")
            << day << dayEnd << QStringLiteral("2009/03/14 08:59") << false;
        QTest::newRow("D=S=E after")
            << day << dayEnd << QStringLiteral("2009/03/14 21:06") << false;
        QTest::newRow("S after E") << e << s << QStringLiteral("2009/03/15 12:00") << false;
        // The day goes through its two-digit year: 1925 reads back as 2025.
        QTest::newRow("1925 is 2025")
            << QStringLiteral("2025/1/1 0:00") << QStringLiteral("2025/12/31 0:00")
            << QStringLiteral("1925/06/01 12:00") << true;
        QTest::newRow("1925 not in 1925")
            << QStringLiteral("1925/1/1 0:00") << QStringLiteral("1925/12/31 0:00")
            << QStringLiteral("1925/06/01 12:00") << false;
        QTest::newRow("1999 stays")
            << QStringLiteral("1999/1/1 0:00") << QStringLiteral("1999/12/31 0:00")
            << QStringLiteral("1999/06/01 12:00") << true;
    }
    void dates()
    {
        QFETCH(QString, start);
        QFETCH(QString, end);
        QFETCH(QString, game);
        QFETCH(bool, counted);
        Pass pass;
        const QStringList s = start.split(u' '), e = end.split(u' ');
        Pass::set(QStringLiteral("SpecifyDate"), true);
        Pass::set(QStringLiteral("StartDate"), s[0]);
        Pass::set(QStringLiteral("StartTime"), s[1]);
        Pass::set(QStringLiteral("EndDate"), e[0]);
        Pass::set(QStringLiteral("EndTime"), e[1]);
        QVERIFY(runBoth(pass, {header(QStringLiteral("東風戦：一般卓"), game), ratingLine(),
                               result(1, QStringLiteral("かもめ"), QStringLiteral("+10"))}));
        QCOMPARE(value(calc::GameCount), counted ? 1 : 0);
    }

    void failures_data()
    {
        QTest::addColumn<QStringList>("log");
        QTest::addColumn<bool>("specifyDate");
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("line");
        QTest::addColumn<int>("ranked"); // RankCount(0) + RankCount(1) when it failed
        const QString me = QStringLiteral("かもめ");
        const QStringList g = game({});
        QTest::newRow("header shorter than twice the marker")
            << QStringList{QStringLiteral("x"), QStringLiteral("===== 12345")} << false
            << int(ErrorKind::InvalidArgument) << 2 << 0;
        QTest::newRow("no 開始 under the date filter")
            << QStringList{QStringLiteral("===== 東風戦：一般卓 2009/03/14 21:05 =====")} << true
            << int(ErrorKind::TypeMismatch) << 1 << 0;
        QTest::newRow("no 開始 without the date filter")
            << QStringList{QStringLiteral("===== 東風戦：一般卓 2009/03/14 21:05 =====")} << false
            << -1 << 0 << 0;
        QTest::newRow("a date that cannot be read")
            << QStringList{header(QStringLiteral("東風戦：一般卓"),
                                  QStringLiteral("2009/13/14 21:05"))}
            << true << int(ErrorKind::TypeMismatch) << 1 << 0;
        QTest::newRow("an uncounted header is never dated")
            << QStringList{QStringLiteral("===== 東風戦：練習卓 =====")} << true << -1 << 0 << 0;
        QTest::newRow("rank 0") << g
                                       + QStringList{header(), ratingLine(),
                                                     result(0, me, QStringLiteral("+1"))}
                                << false << int(ErrorKind::SubscriptOutOfRange) << 10 << 1;
        QTest::newRow("rank 6") << QStringList{header(), result(6, me, QStringLiteral("+1"))}
                                << false << int(ErrorKind::SubscriptOutOfRange) << 2 << 0;
        QTest::newRow("rank without digits")
            << QStringList{header(), QStringLiteral("  X位 かもめ        +1")} << false
            << int(ErrorKind::SubscriptOutOfRange) << 2 << 0;
        QTest::newRow("four games of 9999")
            << QStringList{header(), result(1, me, QStringLiteral("9999")),
                           header(), result(1, me, QStringLiteral("9999")),
                           header(), result(1, me, QStringLiteral("9999")),
                           header(), result(1, me, QStringLiteral("9999"))}
            << false << int(ErrorKind::Overflow) << 8 << 4;
        QTest::newRow("rating beyond 16 bits")
            << QStringList{header(), ratingLine(me, 40000), result(1, me, QStringLiteral("+1"))}
            << false << int(ErrorKind::Overflow) << 3 << 1;
        QTest::newRow("rating beyond 32 bits")
            << QStringList{header(), ratingLine(me).replace(QStringLiteral("R1600"),
                                                            QStringLiteral("R9999999999"))}
            << false << int(ErrorKind::Overflow) << 2 << 0;
    }
    void failures()
    {
        QFETCH(QStringList, log);
        QFETCH(bool, specifyDate);
        QFETCH(int, kind);
        QFETCH(int, line);
        QFETCH(int, ranked);
        Pass pass;
        Pass::set(QStringLiteral("SpecifyDate"), specifyDate);
        Pass::set(QStringLiteral("StartDate"), QStringLiteral("2000/1/1"));
        Pass::set(QStringLiteral("EndDate"), QStringLiteral("2030/1/1"));
        const bool ok = runBoth(pass, log);
        QCOMPARE(ok, kind < 0);
        QCOMPARE(pass.error() ? int(*pass.error()) : -1, kind);
        if (kind >= 0) {
            QCOMPARE(pass.errorLine(), qint64(line));
            // The accumulators keep what was gathered before the failure.
            QCOMPARE(value(calc::RankCount, 0) + value(calc::RankCount, 1), ranked);
        }
    }

    void groupSumBeyondSixteenBits()
    {
        Pass pass(defaultTables() << QStringLiteral("TableString2=30000,一般")
                                  << QStringLiteral("TableString2=30000,般卓"));
        QVERIFY(!runBoth(pass, {QStringLiteral("x"), header()}));
        QCOMPARE(pass.error(), std::optional(ErrorKind::Overflow));
        QCOMPARE(pass.errorLine(), 2);
    }

    void countScoreFileLines()
    {
        Pass pass;
        QCOMPARE(calctest::countLines(), 0); // no log
        pass.writeBytes("a\r\nb\nc\rd");
        QCOMPARE(calctest::countLines(), 4);
        QCOMPARE(norva::countScoreFileLines(pass.path()), 0); // a folder
    }

    void openFailures()
    {
        Pass pass;
        QVERIFY(!pass.run());
        QCOMPARE(pass.error(), std::optional(ErrorKind::FileNotFound));
        QCOMPARE(pass.errorLine(), 0);
        Pass::set(QStringLiteral("ScoreFile"), pass.path());
        QVERIFY(!pass.run());
        QCOMPARE(pass.error(), std::optional(ErrorKind::NotRegularFile));
    }

    void results_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<int>("rank"); // 0: not counted
        QTest::addColumn<int>("score");
        QTest::newRow("plain") << QStringLiteral("  1位 かもめ        +38") << 1 << 38;
        QTest::newRow("negative") << QStringLiteral("  4位 かもめ       -120") << 4 << -120;
        QTest::newRow("no leading spaces") << QStringLiteral("2位 かもめ   +7") << 2 << 7;
        QTest::newRow("score not at the end") << QStringLiteral("  3位 かもめ  -14 pt") << 3 << 4;
        QTest::newRow("score of three characters") << QStringLiteral("3位 かもめ -14") << 3 << -14;
        QTest::newRow("only the last four characters")
            << QStringLiteral("3位 かもめ 12345") << 3 << 2345;
        QTest::newRow("halves to even") << QStringLiteral("3位 かもめ  2.5") << 3 << 2;
        QTest::newRow("nothing after the name") << QStringLiteral("  1位 かもめ   ") << 0 << 0;
        QTest::newRow("longer name") << QStringLiteral("  1位 かもめ丸      +38") << 0 << 0;
        QTest::newRow("name ends another's") << QStringLiteral("  1位 うみかもめ    +38") << 0 << 0;
        QTest::newRow("no space before") << QStringLiteral("  1位かもめ       +38") << 0 << 0;
        QTest::newRow("tab is no space") << QStringLiteral("  1位\tかもめ       +38") << 0 << 0;
        QTest::newRow("full-width digit")
            << QStringLiteral("  ５位 かもめ       +38") << -1 << 0; // rank 0: an error
    }
    void results()
    {
        QFETCH(QString, line);
        QFETCH(int, rank);
        QFETCH(int, score);
        Pass pass;
        const bool ok = runBoth(pass, {header(), ratingLine(), line});
        QCOMPARE(ok, rank >= 0);
        if (!ok)
            return;
        QCOMPARE(value(calc::GameCount), rank > 0 ? 1 : 0);
        if (rank > 0) {
            QCOMPARE(value(calc::RankSeries, 0), rank);
            QCOMPARE(value(calc::ScoreSeries, 0), score);
        }
    }

    void ratings_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<bool>("counted");
        QTest::addColumn<int>("rating");
        QTest::newRow("plain") << ratingLine() << true << 1600;
        QTest::newRow("at the end")
            << QStringLiteral("  持点25000 [1]ぽんた R1498 [2]かもめ R1612") << true << 1612;
        QTest::newRow("not a number") << QStringLiteral("  持点25000 [1]かもめ Rx") << true << 0;
        QTest::newRow("the first space ends it")
            << QStringLiteral("  持点25000 [1]かもめ R1 612 [2]x R5") << true << 1;
        QTest::newRow("without the user") << ratingLine(QStringLiteral("ぽんた2")) << false << 0;
        QTest::newRow("lower-case r")
            << QStringLiteral("  持点25000 [1]かもめ r1612") << false << 0;
        QTest::newRow("longer name ending with hers")
            << QStringLiteral("  持点25000 [1]うみかもめ R1700 [2]かもめ R1500") << true << 1500;
        QTest::newRow("only a longer name ending with hers")
            << QStringLiteral("  持点25000 [1]うみかもめ R1700 [2]ぽんた R1500") << false << 0;
        QTest::newRow("longer name starting with hers")
            << QStringLiteral("  持点25000 [1]かもめ丸 R1700 [2]かもめ R1500") << true << 1500;
    }
    void ratings()
    {
        QFETCH(QString, line);
        QFETCH(bool, counted);
        QFETCH(int, rating);
        Pass pass;
        QVERIFY(runBoth(
            pass, {header(), line, result(1, QStringLiteral("かもめ"), QStringLiteral("+1"))}));
        QCOMPARE(value(calc::GameCount), counted ? 1 : 0);
        if (counted)
            QCOMPARE(value(calc::RatingSeries, 0), rating);
        qint32 r = -5;
        QCOMPARE(checkRatingLine(r, line, pass.settings().userName()), counted);
        QCOMPARE(r, counted ? rating : -5);
    }

    // Whoever played and whatever the filters: the games of the log and the
    // names of its rating lines, most frequent first.
    void summaryOfTheLog()
    {
        Pass pass;
        Pass::set(QStringLiteral("UserName"), QString());
        QVERIFY(runBoth(pass, {header(), ratingLine(), header(u"東風戦：練習卓"_s), ratingLine(),
                               QStringLiteral("  持点25000 [1]a]b R1 [2]Kumo-7 R-5 [3]x Rx [4]"),
                               header(), QStringLiteral("  持点25000 [1] R1500")}));
        QCOMPARE(value(calc::GameCount), 0);
        QCOMPARE(pass.summary().games(), 3);
        QCOMPARE(pass.summary().mostSeated(4),
                 (QStringList{u"Kumo-7"_s, u"かもめ"_s, u"ねこまた"_s, u"ぽんた"_s}));
        QCOMPARE(pass.summary().seats(u"Kumo-7"_s), 3);
        QCOMPARE(pass.summary().seats(u"a]b"_s), 1);
        // "Rx" is no rating: no name stands before it.
        QCOMPARE(pass.summary().seats(u"x"_s), 0);
        QCOMPARE(pass.summary().names().size(), 5);
    }

    void ratingCarriesOver()
    {
        // The rating in force is that of the last rating line read: 0 before
        // the first, an earlier game's while the current game has none.
        Pass pass;
        const QString me = QStringLiteral("かもめ");
        QVERIFY(runBoth(pass, {header(), result(1, me, QStringLiteral("+1")), header(),
                               ratingLine(me, 1510), result(2, me, QStringLiteral("+1")), header(),
                               result(3, me, QStringLiteral("+1")), header(),
                               ratingLine(QStringLiteral("ぽんた2"), 1), header(),
                               result(4, me, QStringLiteral("+1"))}));
        QCOMPARE(value(calc::GameCount), 4);
        const int expected[] = {0, 1510, 1510, 1510};
        for (int i = 0; i < 4; ++i)
            QCOMPARE(value(calc::RatingSeries, i), expected[i]);
    }

    void progress()
    {
        Pass pass;
        Pass::set(QStringLiteral("CheckLine"), 100);
        pass.writeLog(QStringList(250, QStringLiteral("x")));
        QVERIFY(pass.run());
        QCOMPARE(pass.steps(), (QList<qint16>{1, 2}));
        // A step that no longer fits 16 bits ends the pass.
        Pass::set(QStringLiteral("CheckLine"), 1);
        pass.writeBytes(QByteArray(32770, '\n'));
        QVERIFY(!pass.run());
        QCOMPARE(pass.error(), std::optional(ErrorKind::Overflow));
        QCOMPARE(pass.errorLine(), 32768);
        QCOMPARE(pass.steps().size(), 32767);
        Pass::set(QStringLiteral("CheckLine"), 0);
        QVERIFY(!pass.run());
        QCOMPARE(pass.error(), std::optional(ErrorKind::DivisionByZero));
    }

    void progressOverflowAtCheckLineTimes32768()
    {
        Pass pass;
        Pass::set(QStringLiteral("CheckLine"), 100);
        pass.writeBytes(QByteArray(100 * 32768 - 1, '\n') + "\r\n");
        QVERIFY(!pass.run());
        QCOMPARE(pass.error(), std::optional(ErrorKind::Overflow));
        QCOMPARE(pass.errorLine(), 100 * 32768);
    }

    void lineEnds()
    {
        // LF, lone CR and CR LF end lines alike; the last needs none.
        Pass pass;
        QByteArray log =
            testutil::cp932Lines(game(hand(QStringLiteral("100"), QStringLiteral("ツモ"))));
        log.replace("\r\n", "\n");
        pass.writeBytes(log);
        QVERIFY(pass.run());
        QCOMPARE(value(calc::OwnTsumo), 1);
        log.replace('\n', '\r');
        pass.writeBytes(log.chopped(1));
        QVERIFY(pass.run());
        QCOMPARE(value(calc::GameCount), 1);
    }
};

QTEST_GUILESS_MAIN(TestCalcPass)
#include "tst_calc_pass.moc"
