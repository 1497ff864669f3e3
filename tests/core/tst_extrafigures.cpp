// The figures beside the record: wins and deal-ins with their points, tsumo
// losses, riichi and calls from the tile records, opponents, table kinds, and
// the intervals the program shows with its rates. Every log runs through both
// ways of comparing lines, which must agree.

#include "calctestutil.h"

#include "core/calc/extrafigures.h"

#include <QTest>

#include <cmath>

using namespace norva;
using namespace calctest;
using namespace Qt::StringLiterals;

namespace {

// A hand: the hand line's changes after "(リーチ0)", its result line, and any
// lines that follow before the blank line.
QStringList hand(const QString &changes, const QString &resultLine, const QStringList &after = {})
{
    return QStringList{u"  東1局 0本場(リーチ0) "_s + changes + u' ', u"    "_s + resultLine,
                       u"    [1東]2m3m5m東南白"_s}
           + after + QStringList{QString()};
}

QStringList game(const QStringList &body, int rank = 2, const QString &score = u"+9"_s,
                 const QString &table = u"東風戦：一般卓"_s, const QString &rating = ratingLine())
{
    return QStringList{header(table), rating} + body
           + QStringList{u"  ---- 試合結果 ----"_s, result(rank, u"かもめ"_s, score), finish(),
                         QString()};
}

// Runs the log both ways; the figures must agree.
const ExtraFigures &runBoth(Pass &pass, const QStringList &lines)
{
    pass.writeLog(lines);
    [&] {
        QVERIFY(pass.run(ScorePassMode::Plain));
        const ExtraFigures plain = results().extra();
        QVERIFY(pass.run(ScorePassMode::Auto));
        QCOMPARE(pass.modeUsed(), ScorePassMode::Fast);
        QVERIFY(results().extra() == plain);
    }();
    return results().extra();
}

} // namespace

class TestExtraFigures : public QObject
{
    Q_OBJECT

private slots:
    void hands_data()
    {
        QTest::addColumn<QString>("changes");
        QTest::addColumn<QString>("resultLine");
        QTest::addColumn<QList<qint64>>(
            "expected"); // wins, points, deal-ins, points, tsumo losses, points
        using L = QList<qint64>;
        QTest::newRow("own ron") << u"かもめ 2000 ぽんた -2000"_s << u"30符 二飜ロン"_s
                                 << L{1, 2000, 0, 0, 0, 0};
        QTest::newRow("own tsumo, a sign") << u"かもめ +3000 ぽんた -1000 Kumo-7 -2000"_s
                                           << u"満貫ツモ"_s << L{1, 3000, 0, 0, 0, 0};
        QTest::newRow("deal-in") << u"ぽんた 3900 かもめ -3900"_s << u"30符 三飜ロン"_s
                                 << L{0, 0, 1, 3900, 0, 0};
        QTest::newRow("double ron")
            << u"ぽんた 3900 Kumo-7 2000 かもめ -5900"_s << u"ロン"_s << L{0, 0, 1, 5900, 0, 0};
        QTest::newRow("riichi stick beside another's deal-in")
            << u"ぽんた 4900 ねこまた -3900 かもめ -1000"_s << u"ロン"_s << L{0, 0, 0, 0, 0, 0};
        QTest::newRow("double minus, a tie")
            << u"ぽんた 5000 ねこまた -2500 かもめ -2500"_s << u"ロン"_s << L{0, 0, 1, 2500, 0, 0};
        QTest::newRow("words that are no numbers")
            << u"ぽんた 1000 x-9000 -5000x かもめ -1000"_s << u"ロン"_s << L{0, 0, 1, 1000, 0, 0};
        QTest::newRow("tsumo loss") << u"Kumo-7 4000 かもめ -2000 ぽんた -1000 ねこまた -1000"_s
                                    << u"ツモ"_s << L{0, 0, 0, 0, 1, 2000};
        QTest::newRow("user absent")
            << u"ぽんた 3900 ねこまた -3900"_s << u"ロン"_s << L{0, 0, 0, 0, 0, 0};
        QTest::newRow("a name holding the user's")
            << u"かもめ丸 -8000 かもめ 8000"_s << u"ロン"_s << L{1, 8000, 0, 0, 0, 0};
        QTest::newRow("only the name holding the user's")
            << u"ぽんた 8000 かもめ丸 -8000"_s << u"ロン"_s << L{0, 0, 0, 0, 0, 0};
        QTest::newRow("draw with a loss")
            << u"かもめ -1500 ぽんた 1500"_s << u"流局"_s << L{0, 0, 0, 0, 0, 0};
    }
    void hands()
    {
        QFETCH(QString, changes);
        QFETCH(QString, resultLine);
        QFETCH(QList<qint64>, expected);
        Pass pass;
        const ExtraFigures &x = runBoth(pass, game(hand(changes, resultLine)));
        QCOMPARE((QList<qint64>{x.wins(), x.winPoints(), x.dealIns(), x.dealInPoints(),
                                x.tsumoLosses(), x.tsumoLossPoints()}),
                 expected);
        QCOMPARE(x.wins(), value(calc::OwnTsumo) + value(calc::OwnRon));
        QCOMPARE(x.recordedHands(), 0); // no "    * " lines
    }

    void tileRecords()
    {
        // The user sits at [2] in the first game and at [3] in the second.
        Pass pass;
        const QString seat3 =
            u"  持点25000 [1]ぽんた R1 [2]Kumo-7 R1 [3]かもめ R1 [4]ねこまた R1"_s;
        const QStringList log =
            game(hand(u"かもめ 2000"_s, u"ロン"_s, {u"    * 2G1m 2d1m 2R 3G5s"_s, u"    * 2R"_s})
                 + hand(u"ぽんた 3900 かもめ -3900"_s, u"ロン"_s,
                        {u"    * 1R 2G3m"_s, u"    * 2N3m4m5m 3d1p"_s})
                 + hand(u"かもめ -1500"_s, u"流局"_s, {u"    * 2C1p 2R5m 22R"_s})
                 + hand(u"かもめ -1500"_s, u"流局"_s, {u"     * 2R"_s, u"   * 2N"_s})
                 + QStringList{u"  ---- 試合結果 ----"_s, u"    * 2R 2N"_s})
            + game(hand(u"かもめ 1000"_s, u"ツモ"_s, {u"    * 3N 2R"_s}), 1, u"+40"_s,
                   u"東風戦：一般卓"_s, seat3)
            + game(hand(u"かもめ 1000"_s, u"ツモ"_s), 1, u"+40"_s);
        const ExtraFigures &x = runBoth(pass, log);
        QCOMPARE(value(calc::HandCount), 6);
        QCOMPARE(x.recordedHands(), 4);
        QCOMPARE(x.riichiHands(), 1); // "2R" once per hand; "2R5m", "22R" are none
        QCOMPARE(x.callHands(), 3);   // "2N...", "2C1p", "3N" at seat 3
    }

    void opponentsAndTableKinds()
    {
        Pass pass;
        const QString other =
            u"  持点25000 [1]かもめ丸 R1 [2]Kumo-7 R1 [3]かもめ R1 [4]ぽんた R1"_s;
        const QStringList log = game({}, 2, u"+9"_s) // 東風戦：一般卓
                                + game({}, 1, u"+40"_s, u"東南戦：上級卓"_s, other)
                                + game({}, 4, u"-20"_s, u"東風戦：一般卓 練習卓"_s)
                                + game({}, 1, u"+50"_s, u"東南戦：練習卓"_s); // not counted
        const ExtraFigures &x = runBoth(pass, log);
        QCOMPARE(value(calc::GameCount), 3);
        QStringList opponents;
        for (const OpponentTally &o : x.opponents())
            opponents << u"%1 %2 %3 %4"_s.arg(o.name)
                             .arg(o.tally.games)
                             .arg(o.tally.rankTotal)
                             .arg(o.tally.scoreTotal);
        QCOMPARE(opponents, (QStringList{u"Kumo-7 3 7 29"_s, u"ぽんた 3 7 29"_s,
                                         u"ねこまた 2 6 -11"_s, u"かもめ丸 1 1 40"_s}));
        QStringList kinds;
        for (const TableKindTally &k : x.tableKinds(tables()))
            kinds << u"%1 %2 %3 %4 %5 %6"_s.arg(k.group)
                         .arg(k.id)
                         .arg(k.text)
                         .arg(k.tally.games)
                         .arg(k.tally.rankTotal)
                         .arg(k.tally.scoreTotal);
        QCOMPARE(kinds, (QStringList{u"1 1 東風戦 2 6 -11"_s, u"1 4 東南戦 1 1 40"_s,
                                     u"2 1 一般卓 2 6 -11"_s, u"2 4 上級卓 1 1 40"_s,
                                     u"2 2 練習卓 1 4 -20"_s}));
    }

    void clearedWithTheRecord()
    {
        Pass pass;
        runBoth(pass, game(hand(u"ぽんた 3900 かもめ -3900"_s, u"ロン"_s)));
        QCOMPARE(results().extra().dealIns(), 1);
        results().clear();
        QVERIFY(results().extra() == ExtraFigures());
        QCOMPARE(results().extra().tableKinds(tables()).size(), 5); // entries without games too
    }

    void wilson_data()
    {
        QTest::addColumn<qint64>("k");
        QTest::addColumn<qint64>("n");
        QTest::addColumn<double>("low"); // -1: no interval
        QTest::addColumn<double>("high");
        QTest::newRow("n = 0") << qint64(0) << qint64(0) << -1.0 << -1.0;
        QTest::newRow("0 of 1") << qint64(0) << qint64(1) << 0.0 << 0.79345;
        QTest::newRow("1 of 1") << qint64(1) << qint64(1) << 0.20655 << 1.0;
        QTest::newRow("10 of 100") << qint64(10) << qint64(100) << 0.0552 << 0.1744;
        QTest::newRow("12 of 100") << qint64(12) << qint64(100) << 0.0700 << 0.1981;
    }
    void wilson()
    {
        QFETCH(qint64, k);
        QFETCH(qint64, n);
        QFETCH(double, low);
        QFETCH(double, high);
        const std::optional<Interval> i = wilsonInterval(k, n);
        QCOMPARE(i.has_value(), low >= 0);
        if (i) {
            QVERIFY2(std::abs(i->low - low) < 5e-5, qPrintable(QString::number(i->low)));
            QVERIFY2(std::abs(i->high - high) < 5e-5, qPrintable(QString::number(i->high)));
        }
    }

    void meanOfRanks()
    {
        QVERIFY(!meanEstimate(0, 0, 0));
        const std::optional<MeanEstimate> one = meanEstimate(1, 3, 9);
        QVERIFY(one && one->mean == 3 && !one->interval);
        // Ranks 1, 2, 3, 4: s = 1.2910, half width 1.959964 * s / 2.
        const std::optional<MeanEstimate> four = meanEstimate(4, 10, 30);
        QVERIFY(four && four->interval);
        QCOMPARE(four->mean, 2.5);
        QVERIFY(std::abs(four->interval->low - 1.23485) < 5e-5);
        QVERIFY(std::abs(four->interval->high - 3.76515) < 5e-5);
        // All alike: no spread, no width.
        const std::optional<MeanEstimate> same = meanEstimate(3, 6, 12);
        QVERIFY(same && same->interval && same->interval->low == 2 && same->interval->high == 2);
    }
};

QTEST_GUILESS_MAIN(TestExtraFigures)
#include "tst_extrafigures.moc"
