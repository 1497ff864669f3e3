// The results report and the printed results column.

#include "core/calc/calcresults.h"
#include "core/common/cp932.h"

#include "calctestutil.h"

#include <QDir>
#include <QFile>
#include <QTest>

using namespace norva;
using calctest::raisedKind;

namespace {

QStringList reportTables(const QStringList &classes)
{
    QStringList t{
        QStringLiteral("TableInfo1=5,すべて"),         QStringLiteral("TableInfo1=1,東風戦"),
        QStringLiteral("TableInfo1=1,東風戦(二つ目)"), QStringLiteral("TableInfo2=5,すべて"),
        QStringLiteral("TableInfo2=1,一般卓"),         QStringLiteral("TableString1=1,東風戦"),
        QStringLiteral("TableString2=1,一般卓")};
    for (const QString &c : classes)
        t << QStringLiteral("YakuString=") + c;
    return t;
}

void count(qint16 kind, int times)
{
    for (int i = 0; i < times; ++i) {
        if (kind >= calc::WinByHan)
            calctest::results().addWinByHan(kind - calc::WinByHan);
        else
            calctest::results().addToCounter(kind);
    }
}

// Eight games, forty hands, ten wins in four classes.
void recordWorkedExample()
{
    const int ranks[] = {1, 2, 2, 2, 3, 4, 4, 4};
    const int scores[] = {40, 10, 5, -3, -12, -20, -25, -30};
    for (int i = 0; i < 8; ++i)
        calctest::results().recordGame(qint16(ranks[i]), qint16(scores[i]), 1500);
    calctest::results().closeRankRuns();
    count(calc::HandCount, 40);
    count(calc::OwnTsumo, 5);
    count(calc::OwnRon, 7);
    count(calc::OtherTsumo, 10);
    count(calc::OtherRon, 12);
    count(calc::OtherChombo, 1);
    count(calc::DrawPlus, 2);
    count(calc::DrawMinus, 2);
    count(calc::OtherResult, 1);
    count(calc::WinByHan + 0, 3);
    count(calc::WinByHan + 1, 4);
    count(calc::WinByHan + 2, 2);
    count(calc::WinByHan + 3, 1);
}

const QStringList workedExampleReport{
    QStringLiteral("ユーザー名： かもめ"),
    QStringLiteral("計算日付： 2002/7/1 0:0 ～ 2002/7/5 23:59"),
    QStringLiteral("卓情報： 東風戦，すべて"),
    QString(),
    QStringLiteral("試合数：        8 回"),
    QStringLiteral("　総合得点：      -35 点"),
    QStringLiteral("　平均順位：    2.750 位"),
    QStringLiteral("　最高得点：       40 点"),
    QStringLiteral("　最低得点：      -30 点"),
    QStringLiteral("　平均得点：   -4.375 点"),
    QStringLiteral("　１位( 13%)：     1 回, 連続     1 回"),
    QStringLiteral("　２位( 38%)：     3 回, 連続     3 回"),
    QStringLiteral("　３位( 13%)：     1 回, 連続     1 回"),
    QStringLiteral("　４位( 38%)：     3 回, 連続     3 回"),
    QString(),
    QStringLiteral("総局数： 40"),
    QStringLiteral("　本人： ツモ　　( 13%)    5回"),
    QStringLiteral("　　　　 ロン　　( 18%)    7回"),
    QStringLiteral("　　　　 チョンボ(  0%)    0回"),
    QStringLiteral("　他人： ツモ　　( 25%)   10回"),
    QStringLiteral("　　　　 ロン　　( 30%)   12回"),
    QStringLiteral("　　　　 チョンボ(  3%)    1回"),
    QStringLiteral("　流局： プラス　(  5%)    2回"),
    QStringLiteral("　　　　 マイナス(  5%)    2回"),
    QStringLiteral("　　　　 その他　(  3%)    1回"),
    QString(),
    QStringLiteral("総あがり数： 10"),
    QStringLiteral("　一飜　　　( 30%)    3回"),
    QStringLiteral("　二飜　　　( 40%)    4回"),
    QStringLiteral("　満貫　　　( 20%)    2回"),
    QStringLiteral("　ハネ満貫です( 10%)    1回"),
};

} // namespace

class TestCalcReport : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<testutil::ProgramDir> m_dir;

    void useTables(const QStringList &classes)
    {
        testutil::writeAll(m_dir->file(QStringLiteral("norva.dat")),
                           testutil::cp932Lines(reportTables(classes)));
        QVERIFY(calctest::tables().load(m_dir->file(QStringLiteral("norva.dat"))));
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<testutil::ProgramDir>();
        useTables({QStringLiteral("一飜"), QStringLiteral("二飜"), QStringLiteral("  満貫 "),
                   QStringLiteral("ハネ満貫です")});
        calctest::settings().setDefaults();
        calctest::settings().setValue(Settings::UserName, QStringLiteral("かもめ"));
        calctest::settings().setValue(Settings::SpecifyDate, true);
        calctest::settings().setValue(Settings::StartDate, QStringLiteral("2002/7/1"));
        calctest::settings().setValue(Settings::StartTime, QStringLiteral("0:00"));
        calctest::settings().setValue(Settings::EndDate, QStringLiteral("2002/7/5"));
        calctest::settings().setValue(Settings::EndTime, QStringLiteral("23:59"));
        calctest::settings().setValue(Settings::TableKind1, 1);
        calctest::settings().setValue(Settings::TableKind2, 5);
        calctest::results().clear();
    }
    void cleanup()
    {
        setWriteFailureForTests({});
        m_dir.reset();
    }

    void workedExample()
    {
        recordWorkedExample();
        QCOMPARE(calctest::report().lines(), workedExampleReport);
    }

    void reportFileBytes()
    {
        recordWorkedExample();
        const QString path = m_dir->file(QStringLiteral("結果.txt"));
        QVERIFY(calctest::report().save(path));
        QByteArray expected;
        for (const QString &l : workedExampleReport)
            expected += cp932::encode(l).value() + "\r\n";
        QCOMPARE(testutil::readAll(path), expected);
        QVERIFY(expected.contains("\x81\x60")); // "～" in CP932
    }

    void printLines_data()
    {
        QTest::addColumn<bool>("range");
        QTest::addColumn<QStringList>("dates"); // the lines in place of the report's second
        QTest::newRow("range on") << true
                                  << QStringList{QStringLiteral("計算日付： 2002/7/1 0:0"),
                                                 QStringLiteral("　　　　　 ～ 2002/7/5 23:59")};
        QTest::newRow("range off") << false << QStringList{QStringLiteral("計算日付： 指定なし")};
    }
    void printLines()
    {
        QFETCH(bool, range);
        QFETCH(QStringList, dates);
        recordWorkedExample();
        calctest::settings().setValue(Settings::SpecifyDate, range);
        const QList<PrintLine> lines = calctest::report().printLines();
        QStringList texts;
        QList<int> gaps;
        for (qsizetype i = 0; i < lines.size(); ++i) {
            texts << lines[i].text;
            if (lines[i].gap)
                gaps << int(i);
        }
        QStringList expected = workedExampleReport;
        expected.remove(1);
        for (qsizetype i = 0; i < dates.size(); ++i)
            expected.insert(1 + i, dates[i]);
        const qsizetype shift = dates.size() - 1;
        for (qsizetype i = 27 + shift; i < expected.size(); ++i)
            expected[i] = QStringLiteral("  ") + expected[i].mid(1);
        QCOMPARE(texts, expected);
        QCOMPARE(gaps, (QList<int>{3 + int(shift), 14 + int(shift), 25 + int(shift)}));
    }

    void noDateRange()
    {
        calctest::results().recordGame(1, 1, 0);
        calctest::settings().setValue(Settings::SpecifyDate, false);
        QCOMPARE(calctest::report().lines().at(1), QStringLiteral("計算日付： 指定なし"));
    }

    void figures_data()
    {
        QTest::addColumn<QList<int>>("ranks");
        QTest::addColumn<QList<int>>("scores");
        QTest::addColumn<int>("line"); // index into the report
        QTest::addColumn<QString>("text");
        const QList<int> one{1};
        QTest::newRow("100 %") << one << QList<int>{5} << 10
                               << QStringLiteral("　１位(100%)：     1 回, 連続     1 回");
        QTest::newRow("no games at a rank")
            << one << QList<int>{5} << 11
            << QStringLiteral("　２位(  0%)：     0 回, 連続     0 回");
        QTest::newRow("average rank 2.5") << QList<int>{2, 3} << QList<int>{1, 1} << 6
                                          << QStringLiteral("　平均順位：    2.500 位");
        QTest::newRow("negative average") << QList<int>{2, 3} << QList<int>{-1, -2} << 9
                                          << QStringLiteral("　平均得点：   -1.500 点");
        QTest::newRow("average rounds half away from zero")
            << QList<int>(16, 1) << (QList<int>{-1} + QList<int>(15, 0)) << 9
            << QStringLiteral("　平均得点：   -0.063 点");
        QTest::newRow("share 2/3") << QList<int>{1, 1, 2} << QList<int>{0, 0, 0} << 10
                                   << QStringLiteral("　１位( 67%)：     2 回, 連続     2 回");
        QTest::newRow("total of five digits") << QList<int>(5000, 1) << QList<int>(5000, 6) << 5
                                              << QStringLiteral("　総合得点：    30000 点");
    }
    void figures()
    {
        QFETCH(QList<int>, ranks);
        QFETCH(QList<int>, scores);
        QFETCH(int, line);
        QFETCH(QString, text);
        for (qsizetype i = 0; i < ranks.size(); ++i)
            calctest::results().recordGame(qint16(ranks[i]), qint16(scores[i]), 0);
        calctest::results().closeRankRuns();
        QCOMPARE(calctest::report().lines().at(line), text);
    }

    void wideFieldsAreNeverCut()
    {
        for (int i = 0; i < 123; ++i)
            calctest::results().recordGame(4, -99, 0);
        calctest::results().closeRankRuns();
        count(calc::HandCount, 123456);
        count(calc::OtherRon, 123456);
        const QStringList lines = calctest::report().lines();
        QCOMPARE(lines[4], QStringLiteral("試合数：      123 回"));
        QCOMPARE(lines[5], QStringLiteral("　総合得点：   -12177 点"));
        QCOMPARE(lines[13], QStringLiteral("　４位(100%)：   123 回, 連続   123 回"));
        QCOMPARE(lines[15], QStringLiteral("総局数： 123456"));
        QCOMPARE(lines[20], QStringLiteral("　　　　 ロン　　(100%)123456回"));
    }

    void tableText_data()
    {
        QTest::addColumn<int>("kind1");
        QTest::addColumn<int>("kind2");
        QTest::addColumn<QString>("text");
        QTest::newRow("both") << 1 << 1 << QStringLiteral("卓情報： 東風戦，一般卓");
        QTest::newRow("first match only") << 1 << 99 << QStringLiteral("卓情報： 東風戦");
        QTest::newRow("second only") << 99 << 5 << QStringLiteral("卓情報： すべて");
        QTest::newRow("none") << 99 << 99 << QStringLiteral("卓情報： ");
    }
    void tableText()
    {
        QFETCH(int, kind1);
        QFETCH(int, kind2);
        QFETCH(QString, text);
        calctest::results().recordGame(1, 1, 0);
        calctest::settings().setValue(Settings::TableKind1, kind1);
        calctest::settings().setValue(Settings::TableKind2, kind2);
        QCOMPARE(calctest::report().lines().at(2), text);
    }

    void noHanClasses()
    {
        useTables({});
        calctest::results().recordGame(1, 1, 0);
        const QStringList lines = calctest::report().lines();
        QCOMPARE(lines.size(), 27);
        QCOMPARE(lines.last(), QStringLiteral("総あがり数： 0"));
    }

    void noWinsAndNoHands()
    {
        // Games whose hands were not recognised: no share can be worked out,
        // and the hand lines take the fixed "(0%)" form of the han classes.
        calctest::results().recordGame(1, 1, 0);
        const QStringList lines = calctest::report().lines();
        QCOMPARE(lines[15], QStringLiteral("総局数： 0"));
        QCOMPARE(lines[16], QStringLiteral("　本人： ツモ　　(0%)    0回"));
        QCOMPARE(lines[24], QStringLiteral("　　　　 その他　(0%)    0回"));
        QCOMPARE(lines[27], QStringLiteral("　一飜　　　(0%)    0回"));
        QCOMPARE(lines[30], QStringLiteral("　ハネ満貫です(0%)    0回"));
        const QList<PrintLine> printed = calctest::report().printLines();
        QCOMPARE(printed.last().text, QStringLiteral("  ハネ満貫です(0%)    0回"));
    }

    void noGameIsNoReport()
    {
        QCOMPARE(raisedKind([] { calctest::report().lines(); }), int(ErrorKind::DivisionByZero));
        const QString path = m_dir->file(QStringLiteral("r.txt"));
        int asked = 0;
        QVERIFY(!calctest::report().save(path, [&](const Error &e) {
            [&] {
                QCOMPARE(e.detail(), path);
            }();
            return ++asked < 2;
        }));
        QCOMPARE(asked, 2);
        QVERIFY(!QFile::exists(path));
    }

    void unwritableFolder()
    {
        recordWorkedExample();
        const QString folder = m_dir->file(QStringLiteral("locked"));
        QVERIFY(QDir().mkdir(folder));
        QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
        const QString path = folder + QStringLiteral("/結果.txt");
        int asked = 0;
        QList<ErrorKind> kinds;
        {
            testutil::HonourPermissions honour;
            QVERIFY(!calctest::report().save(path, [&](const Error &e) {
                kinds << e.kind();
                return ++asked < 3; // Retry twice, then Cancel
            }));
        }
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QCOMPARE(asked, 3);
        QCOMPARE(kinds, QList<ErrorKind>(3, ErrorKind::PermissionDenied));
        QVERIFY(QDir(folder).entryList(QDir::Files | QDir::Hidden).isEmpty());
    }

    void failedWriteKeepsTheOldReport()
    {
        recordWorkedExample();
        const QString path = m_dir->file(QStringLiteral("r.txt"));
        testutil::writeAll(path, "old report");
        int failures = 2;
        setWriteFailureForTests([&] { return failures-- > 0; });
        int asked = 0;
        QVERIFY(!calctest::report().save(path, [&](const Error &) { return ++asked < 1; }));
        QCOMPARE(testutil::readAll(path), QByteArray("old report"));
        // Retry writes the whole report again.
        QVERIFY(calctest::report().save(path, [&](const Error &) { return true; }));
        QCOMPARE(testutil::readAll(path), calctest::report().bytes());
    }
};

QTEST_GUILESS_MAIN(TestCalcReport)
#include "tst_calc_report.moc"
