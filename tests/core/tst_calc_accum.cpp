// The result accumulators and the result accessor.

#include "core/calc/calcresults.h"

#include "calctestutil.h"

#include <QTest>

#include <functional>

using namespace norva;
using calctest::raisedKind;
using calctest::value;

class TestCalcAccum : public QObject
{
    Q_OBJECT

private slots:
    void init() { calctest::results().clear(); }

    void resetValues()
    {
        calctest::results().recordGame(1, 10, 1500);
        calctest::results().addToCounter(calc::HandCount);
        calctest::results().addWinByHan(3);
        calctest::results().clear();
        QCOMPARE(value(calc::GameCount), 0);
        QCOMPARE(value(calc::ScoreMax), -99999);
        QCOMPARE(value(calc::ScoreMin), 99999);
        QCOMPARE(value(calc::RatingMax), -99999);
        QCOMPARE(value(calc::RatingMin), 99999);
        QCOMPARE(value(calc::ScoreSumMax), -99999);
        QCOMPARE(value(calc::ScoreSumMin), 99999);
        QCOMPARE(value(calc::HandCount), 0);
        QCOMPARE(value(calc::WinByHan, 3), 0);
        QCOMPARE(value(calc::WinHanCount), 0);
        // The series are released, not merely zeroed.
        QCOMPARE(raisedKind([] { calctest::results().value(calc::ScoreSeries, 0); }),
                 int(ErrorKind::SubscriptOutOfRange));
    }

    void accessorRanges_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("index");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<int>("type"); // CalcValue::Type of a valid result
        const int i16 = int(CalcValue::Type::Int16), i32 = int(CalcValue::Type::Int32);
        QTest::newRow("RankCount 0") << 4 << 0 << true << i32;
        QTest::newRow("RankCount 4") << 4 << 4 << true << i32;
        QTest::newRow("RankCount 5") << 4 << 5 << false << 0;
        QTest::newRow("RankCount -1") << 4 << -1 << false << 0;
        QTest::newRow("RankRunMax 4") << 5 << 4 << true << i16;
        QTest::newRow("RankRunMax 5") << 5 << 5 << false << 0;
        QTest::newRow("WinByHan 8") << 18 << 8 << true << i32;
        QTest::newRow("WinByHan 9") << 18 << 9 << false << 0;
        QTest::newRow("ScoreSeries 100") << 19 << 100 << true << i16;
        QTest::newRow("ScoreSeries 101") << 19 << 101 << false << 0;
        QTest::newRow("ScoreSeries -1") << 19 << -1 << false << 0;
        QTest::newRow("RankSeries 0") << 20 << 0 << true << i16;
        QTest::newRow("RatingSeries 100") << 21 << 100 << true << i16;
        QTest::newRow("ScoreSumSeries 101") << 24 << 101 << false << 0;
        QTest::newRow("GameCount ignores index") << 0 << 12345 << true << i32;
        QTest::newRow("RatingMin ignores index") << 23 << -7 << true << i32;
    }
    void accessorRanges()
    {
        QFETCH(int, kind);
        QFETCH(int, index);
        QFETCH(bool, valid);
        QFETCH(int, type);
        calctest::results().recordGame(2, 30, 1500); // capacity 100
        CalcValue v;
        const int raised = raisedKind([&] { v = calctest::results().value(qint16(kind), index); });
        if (!valid) {
            QCOMPARE(raised, int(ErrorKind::SubscriptOutOfRange));
            return;
        }
        QCOMPARE(raised, -1);
        QCOMPARE(int(v.type), type);
    }

    // The named accessors read what value() reads, slot for slot, and refuse
    // the same indexes.
    void namedAccessorsAgreeWithKinds()
    {
        CalcResults &r = calctest::results();
        const int games[][3] = {{1, 40, 1510}, {3, -12, 1498}, {1, 25, 1520}, {4, -53, 1470}};
        for (const auto &g : games)
            r.recordGame(qint16(g[0]), qint16(g[1]), g[2]);
        r.closeRankRuns();
        for (int i = 0; i < 7; ++i)
            r.addToCounter(qint16(calc::HandCount + i % 5));
        r.addWinByHan(2);
        r.addWinByHan(8);
        const QList<QPair<calc::Kind, qint32>> scalars = {
            {calc::GameCount, r.gameCount()},     {calc::ScoreTotal, r.scoreTotal()},
            {calc::ScoreMax, r.scoreMax()},       {calc::ScoreMin, r.scoreMin()},
            {calc::RankTotal, r.rankTotal()},     {calc::RatingMax, r.ratingMax()},
            {calc::RatingMin, r.ratingMin()},     {calc::ScoreSumMax, r.scoreSumMax()},
            {calc::ScoreSumMin, r.scoreSumMin()},
        };
        for (const auto &[kind, named] : scalars)
            QCOMPARE(named, value(kind));
        for (qint16 k = calc::HandCount; k <= calc::WinHanCount; ++k)
            QCOMPARE(r.counter(calc::Kind(k)), value(k));
        for (qint32 i = 0; i < calc::RankSlots; ++i) {
            QCOMPARE(r.rankCount(i), value(calc::RankCount, i));
            QCOMPARE(qint32(r.rankRunMax(i)), value(calc::RankRunMax, i));
        }
        for (qint32 i = 0; i < calc::HanSlots; ++i)
            QCOMPARE(r.winByHan(i), value(calc::WinByHan, i));
        QCOMPARE(r.gameCount(), 4);
        QCOMPARE(r.rankCount(0), 2);
        QCOMPARE(r.winByHan(8), 1);
        for (const auto &bad : std::initializer_list<std::function<void()>>{
                 [&] { r.rankCount(calc::RankSlots); }, [&] { r.rankRunMax(-1); },
                 [&] { r.winByHan(calc::HanSlots); },
                 [&] {
                     r.counter(calc::RankTotal);
                 }})
            QCOMPARE(raisedKind(bad), int(ErrorKind::SubscriptOutOfRange));
    }

    void kindsOutsideGiveEmpty()
    {
        QVERIFY(calctest::results().value(27).isEmpty());
        QVERIFY(calctest::results().value(-1).isEmpty());
        QVERIFY(calctest::results().value(32767, -5).isEmpty());
        QVERIFY(!calctest::results().value(26).isEmpty());
        QCOMPARE(calcKindName(0), QStringLiteral("GameCount"));
        QCOMPARE(calcKindName(26), QStringLiteral("ScoreSumMin"));
        QVERIFY(calcKindName(27).isEmpty());
    }

    void noGame()
    {
        QCOMPARE(value(calc::ScoreMax), -99999);
        QCOMPARE(value(calc::ScoreMin), 99999);
        QCOMPARE(raisedKind([] { calctest::results().value(calc::ScoreSeries, 0); }),
                 int(ErrorKind::SubscriptOutOfRange));
        QCOMPARE(raisedKind([] { calctest::results().value(calc::RatingSeries, 0); }),
                 int(ErrorKind::SubscriptOutOfRange));
    }

    void oneGame()
    {
        calctest::results().recordGame(2, 30, 1612);
        calctest::results().closeRankRuns();
        QCOMPARE(value(calc::GameCount), 1);
        QCOMPARE(value(calc::RankCount, 1), 1);
        QCOMPARE(value(calc::RankRunMax, 1), 1);
        QCOMPARE(value(calc::RankTotal), 2);
        QCOMPARE(value(calc::ScoreMax), 30);
        QCOMPARE(value(calc::ScoreMin), 30);
        QCOMPARE(value(calc::ScoreSumSeries, 0), 30);
        QCOMPARE(value(calc::RatingSeries, 0), 1612);
        QCOMPARE(value(calc::RatingMax), 1612);
        QCOMPARE(value(calc::RatingMin), 1612);
        QCOMPARE(value(calc::ScoreSeries, 100), 0); // up to the capacity, zero
        QCOMPARE(raisedKind([] { calctest::results().value(calc::ScoreSeries, 101); }),
                 int(ErrorKind::SubscriptOutOfRange));
    }

    void seriesAndExtremes()
    {
        const int scores[] = {10, -25, 40, -5};
        const int ranks[] = {2, 4, 1, 3};
        const int ratings[] = {1500, 1480, 1530, 1520};
        for (int i = 0; i < 4; ++i)
            calctest::results().recordGame(qint16(ranks[i]), qint16(scores[i]), ratings[i]);
        QCOMPARE(value(calc::ScoreTotal), 20);
        QCOMPARE(value(calc::ScoreMax), 40);
        QCOMPARE(value(calc::ScoreMin), -25);
        QCOMPARE(value(calc::RankTotal), 10);
        const int sums[] = {10, -15, 25, 20};
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(value(calc::ScoreSeries, i), scores[i]);
            QCOMPARE(value(calc::RankSeries, i), ranks[i]);
            QCOMPARE(value(calc::RatingSeries, i), ratings[i]);
            QCOMPARE(value(calc::ScoreSumSeries, i), sums[i]);
        }
        QCOMPARE(value(calc::ScoreSumMax), 25);
        QCOMPARE(value(calc::ScoreSumMin), -15);
        QCOMPARE(value(calc::RatingMax), 1530);
        QCOMPARE(value(calc::RatingMin), 1480);
    }

    void runs_data()
    {
        QTest::addColumn<QList<int>>("ranks");
        QTest::addColumn<QList<int>>("longest"); // RankRunMax(0..4)
        QTest::newRow("1 1 2 1 1 1") << QList<int>{1, 1, 2, 1, 1, 1} << QList<int>{3, 1, 0, 0, 0};
        QTest::newRow("one game") << QList<int>{4} << QList<int>{0, 0, 0, 1, 0};
        QTest::newRow("run open at the end")
            << QList<int>{2, 3, 3, 3, 3} << QList<int>{0, 1, 4, 0, 0};
        QTest::newRow("equal runs") << QList<int>{1, 1, 2, 1, 1} << QList<int>{2, 1, 0, 0, 0};
        QTest::newRow("rank 5") << QList<int>{5, 5, 1} << QList<int>{1, 0, 0, 0, 2};
        QTest::newRow("alternating") << QList<int>{1, 2, 1, 2} << QList<int>{1, 1, 0, 0, 0};
    }
    void runs()
    {
        QFETCH(QList<int>, ranks);
        QFETCH(QList<int>, longest);
        for (int r : ranks)
            calctest::results().recordGame(qint16(r), 0, 0);
        calctest::results().closeRankRuns();
        for (int i = 0; i < 5; ++i)
            QCOMPARE(value(calc::RankRunMax, i), longest[i]);
    }

    void failures_data()
    {
        QTest::addColumn<QList<int>>("scores");
        QTest::addColumn<int>("rank");
        QTest::addColumn<int>("rating");
        QTest::addColumn<int>("failingGame"); // 1-based, 0: none fails
        QTest::addColumn<int>("kind");
        const int overflow = int(ErrorKind::Overflow);
        const int subscript = int(ErrorKind::SubscriptOutOfRange);
        QTest::newRow("four times 9999")
            << QList<int>{9999, 9999, 9999, 9999} << 1 << 0 << 4 << overflow;
        QTest::newRow("running total below -32768")
            << QList<int>{-9999, -9999, -9999, -9999} << 1 << 0 << 4 << overflow;
        QTest::newRow("three times 9999") << QList<int>{9999, 9999, 9999} << 1 << 0 << 0 << 0;
        QTest::newRow("rank 0") << QList<int>{10} << 0 << 0 << 1 << subscript;
        QTest::newRow("rank 6") << QList<int>{10} << 6 << 0 << 1 << subscript;
        QTest::newRow("rank -1") << QList<int>{10} << -1 << 0 << 1 << subscript;
        QTest::newRow("rank 5") << QList<int>{10} << 5 << 0 << 0 << 0;
        QTest::newRow("rating 32768") << QList<int>{10} << 1 << 32768 << 1 << overflow;
        QTest::newRow("rating -32768") << QList<int>{10} << 1 << -32768 << 0 << 0;
    }
    void failures()
    {
        QFETCH(QList<int>, scores);
        QFETCH(int, rank);
        QFETCH(int, rating);
        QFETCH(int, failingGame);
        QFETCH(int, kind);
        for (int i = 0; i < scores.size(); ++i) {
            const int raised = raisedKind(
                [&] { calctest::results().recordGame(qint16(rank), qint16(scores[i]), rating); });
            QCOMPARE(raised, i + 1 == failingGame ? kind : -1);
        }
    }

    void capacityOverflowsAtGame32701()
    {
        for (int i = 0; i < 32700; ++i)
            calctest::results().recordGame(1, 0, 0);
        QCOMPARE(value(calc::ScoreSeries, 32700), 0);
        QCOMPARE(raisedKind([] { calctest::results().recordGame(1, 0, 0); }),
                 int(ErrorKind::Overflow));
    }

    void runLengthIsSixteenBits()
    {
        // 32,700 games in one run: the run length stays within 16 bits.
        for (int i = 0; i < 32700; ++i)
            calctest::results().recordGame(3, 0, 0);
        calctest::results().closeRankRuns();
        QCOMPARE(value(calc::RankRunMax, 2), 32700);
    }

    void counters()
    {
        calctest::results().addToCounter(calc::OwnTsumo);
        calctest::results().addToCounter(calc::OwnTsumo);
        calctest::results().addWinByHan(8);
        QCOMPARE(value(calc::OwnTsumo), 2);
        QCOMPARE(value(calc::WinByHan, 8), 1);
        QCOMPARE(value(calc::WinHanCount), 1);
    }
};

QTEST_GUILESS_MAIN(TestCalcAccum)
#include "tst_calc_accum.moc"
