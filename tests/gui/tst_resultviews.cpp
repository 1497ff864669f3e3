#include "guiutil.h"
#include "scorelog.h"

#include "core/calc/calcresults.h"
#include "core/settings/settings.h"
#include "core/tables/tableinfo.h"
#include "gui/widgets/childwindow.h"
#include "gui/widgets/fixedlayout.h"
#include "gui/windows/rankwindow.h"
#include "gui/windows/stagewindow.h"
#include "gui/windows/winwindow.h"

#include <QLabel>
#include <QMdiArea>

using namespace norva;
using namespace Qt::StringLiterals;

// The rank, stage and win windows after real calculations on small logs.
class TestResultViews : public QObject
{
    Q_OBJECT

    std::unique_ptr<testutil::ProgramDir> m_dir;
    QPointer<MainWindow> m_main;

    // Starts the program with the three result windows open; tables are the
    // bundled ones unless a table definitions text is given.
    void startWith(const QStringList &tables = {})
    {
        m_dir = std::make_unique<testutil::ProgramDir>();
        if (tables.isEmpty())
            guiutil::copyTables(*m_dir);
        else
            QVERIFY(testutil::writeAll(
                m_dir->file(u"norva.dat"_s),
                testutil::cp932Lines(QStringList{u"[計算情報]"_s, u"TableString1=1,東風戦"_s,
                                                 u"TableString2=1,一般卓"_s}
                                     + tables)));
        guiutil::writeSettings(
            *m_dir, {u"UserName=かもめ"_s, u"SpecifyDate=False"_s, u"VisibleWindow=14"_s});
        m_main = guiutil::start();
        QVERIFY(m_main);
    }
    // Calculates on a log of these lines.
    void calculate(const QStringList &log)
    {
        QVERIFY(testutil::writeAll(m_dir->file(u"MjScore.txt"_s), testutil::cp932Lines(log)));
        m_main->calculation().calculate();
    }
    // A first calculation that fills every label, so that a second one shows
    // what it rewrites.
    void calculateSomething()
    {
        QStringList log = scorelog::game(1, 3, -12, scorelog::hands(u"t r c T R C + - o t r"_s));
        log += scorelog::game(2, 1, 41, scorelog::hands(u"t2 R"_s));
        calculate(log);
        QVERIFY(!label(u"lblAllNum"_s).isEmpty());
    }
    // A label of one of the open result windows (a closed window's widgets
    // may linger until they are deleted).
    static QLabel *findLabel(const QString &name)
    {
        for (ChildWindow *f : std::initializer_list<ChildWindow *>{
                 &guiutil::mainWindow()->rankWindow(), &guiutil::mainWindow()->stageWindow(),
                 &guiutil::mainWindow()->winWindow()})
            if (QWidget *form = f->client())
                if (auto *l = form->findChild<QLabel *>(name))
                    return l;
        return nullptr;
    }
    QString label(const QString &name) const
    {
        QLabel *l = findLabel(name);
        if (!l)
            qWarning("no label %s", qPrintable(name));
        return l ? l->text() : u"<none>"_s;
    }
    QStringList labels(const QString &array, int count) const
    {
        QStringList texts;
        for (int i = 0; i < count; ++i)
            texts << label(array + u'(' + QString::number(i) + u')');
        return texts;
    }
    QStringList labels(const QStringList &names) const
    {
        QStringList texts;
        for (const QString &n : names)
            texts << label(n);
        return texts;
    }

private slots:
    void initTestCase() { guiutil::answerWithDefaults(); }
    void init() { msgbox::clearShownBoxes(); }
    void cleanup()
    {
        QVERIFY(guiutil::finish(m_main));
        m_dir.reset();
    }

    void rankView_data()
    {
        QTest::addColumn<QString>("games");
        QTest::addColumn<QStringList>("titles");
        QTest::addColumn<QStringList>("counts");
        QTest::addColumn<QStringList>("runs");
        // m_games, m_scoreTotal, m_averageRank, m_highScore, m_lowScore, m_averageScore
        QTest::addColumn<QStringList>("values");
        const QStringList empty4(4), empty6(6);
        QTest::newRow("no games") << QString()
                                  << QStringList{u"１位"_s, u"２位"_s, u"３位"_s, u"４位"_s}
                                  << empty4 << empty4 << empty6;
        QTest::newRow("one game, 2nd")
            << u"2:+30"_s
            << QStringList{u"１位(0%)"_s, u"２位(100%)"_s, u"３位(0%)"_s, u"４位(0%)"_s}
            << QStringList{u"0"_s, u"1"_s, u"0"_s, u"0"_s}
            << QStringList{u"0"_s, u"1"_s, u"0"_s, u"0"_s}
            << QStringList{u"1"_s, u"30"_s, u"2.000"_s, u"30"_s, u"30"_s, u"30.000"_s};
        QTest::newRow("1, 1, 2") << u"1:+40 1:+25 2:+3"_s
                                 << QStringList{u"１位(67%)"_s, u"２位(33%)"_s, u"３位(0%)"_s,
                                                u"４位(0%)"_s}
                                 << QStringList{u"2"_s, u"1"_s, u"0"_s, u"0"_s}
                                 << QStringList{u"2"_s, u"1"_s, u"0"_s, u"0"_s}
                                 << QStringList{u"3"_s,  u"68"_s, u"1.333"_s,
                                                u"40"_s, u"3"_s,  u"22.667"_s};
        // 1/8 and 3/8 are 12.5 % and 37.5 %: halves away from zero.
        QTest::newRow("eight games, one win")
            << u"2:+5 2:+6 1:+30 3:-7 3:-8 4:-20 4:-21 2:+4"_s
            << QStringList{u"１位(13%)"_s, u"２位(38%)"_s, u"３位(25%)"_s, u"４位(25%)"_s}
            << QStringList{u"1"_s, u"3"_s, u"2"_s, u"2"_s}
            << QStringList{u"1"_s, u"2"_s, u"2"_s, u"2"_s}
            << QStringList{u"8"_s, u"-11"_s, u"2.625"_s, u"30"_s, u"-21"_s, u"-1.375"_s};
        QTest::newRow("negative totals")
            << u"4:-171 4:-171 4:-171 4:-171 4:-171 4:-171 4:-174"_s
            << QStringList{u"１位(0%)"_s, u"２位(0%)"_s, u"３位(0%)"_s, u"４位(100%)"_s}
            << QStringList{u"0"_s, u"0"_s, u"0"_s, u"7"_s}
            << QStringList{u"0"_s, u"0"_s, u"0"_s, u"7"_s}
            << QStringList{u"7"_s, u"-1200"_s, u"4.000"_s, u"-171"_s, u"-174"_s, u"-171.429"_s};
    }
    void rankView()
    {
        QFETCH(QString, games);
        QFETCH(QStringList, titles);
        QFETCH(QStringList, counts);
        QFETCH(QStringList, runs);
        QFETCH(QStringList, values);
        startWith();
        calculateSomething();
        calculate(games.isEmpty() ? scorelog::othersOnly() : scorelog::games(games));
        QCOMPARE(labels(u"lblRankTitle"_s, 4), titles);
        QCOMPARE(labels(u"lblRankNum"_s, 4), counts);
        QCOMPARE(labels(u"lblRankCont"_s, 4), runs);
        QCOMPARE(labels({u"lblAllNum"_s, u"lblScore"_s, u"lblRankAve"_s, u"lblHighScore"_s,
                         u"lblLowScore"_s, u"lblScoreAve"_s}),
                 values);
    }

    void stageView_data()
    {
        QTest::addColumn<QString>("hands");
        QTest::addColumn<QString>("total");
        QTest::addColumn<QStringList>("titles");
        QTest::addColumn<QStringList>("values");
        const QStringList plain{u"ツモ"_s,     u"ロン"_s,   u"チョンボ"_s, u"ツモ"_s,  u"ロン"_s,
                                u"チョンボ"_s, u"プラス"_s, u"マイナス"_s, u"その他"_s};
        QTest::newRow("no hands") << QString() << QString() << plain << QStringList(9);
        QTest::newRow("200 hands, 25 own self-draws")
            << u"t25 r10 c5 T20 R100 C5 +15 -15 o5"_s << u"200"_s
            << QStringList{u"ツモ(13%)"_s,  u"ロン(5%)"_s,     u"チョンボ(3%)"_s,
                           u"ツモ(10%)"_s,  u"ロン(50%)"_s,    u"チョンボ(3%)"_s,
                           u"プラス(8%)"_s, u"マイナス(8%)"_s, u"その他(3%)"_s}
            << QStringList{u"25"_s, u"10"_s, u"5"_s,  u"20"_s, u"100"_s,
                           u"5"_s,  u"15"_s, u"15"_s, u"5"_s};
        QTest::newRow("empty cells show 0")
            << u"R3"_s << u"3"_s
            << QStringList{u"ツモ(0%)"_s,   u"ロン(0%)"_s,     u"チョンボ(0%)"_s,
                           u"ツモ(0%)"_s,   u"ロン(100%)"_s,   u"チョンボ(0%)"_s,
                           u"プラス(0%)"_s, u"マイナス(0%)"_s, u"その他(0%)"_s}
            << QStringList{u"0"_s, u"0"_s, u"0"_s, u"0"_s, u"3"_s, u"0"_s, u"0"_s, u"0"_s, u"0"_s};
        // The longest title of the window: its text is not cut.
        QTest::newRow("a tenth lost in draws")
            << u"-1 R9"_s << u"10"_s
            << QStringList{u"ツモ(0%)"_s,   u"ロン(0%)"_s,      u"チョンボ(0%)"_s,
                           u"ツモ(0%)"_s,   u"ロン(90%)"_s,     u"チョンボ(0%)"_s,
                           u"プラス(0%)"_s, u"マイナス(10%)"_s, u"その他(0%)"_s}
            << QStringList{u"0"_s, u"0"_s, u"0"_s, u"0"_s, u"9"_s, u"0"_s, u"0"_s, u"1"_s, u"0"_s};
    }
    void stageView()
    {
        QFETCH(QString, hands);
        QFETCH(QString, total);
        QFETCH(QStringList, titles);
        QFETCH(QStringList, values);
        startWith();
        calculateSomething();
        // A counted game in any case, so that only the hands are missing.
        calculate(scorelog::game(1, 2, 10, scorelog::hands(hands)));
        QCOMPARE(label(u"lblAllNum"_s), u"1"_s);
        QCOMPARE(label(u"lblStageNum"_s), total);
        QCOMPARE(labels({u"lblMyTumoTitle"_s, u"lblMyRonTitle"_s, u"lblMyTyonboTitle"_s,
                         u"lblOtherTumoTitle"_s, u"lblOtherRonTitle"_s, u"lblOtherTyonboTitle"_s,
                         u"lblFlowTenpaiTitle"_s, u"lblFlowNotenTitle"_s, u"lblFlowOtherTitle"_s}),
                 titles);
        QCOMPARE(labels({u"lblMyTumo"_s, u"lblMyRon"_s, u"lblMyTyonbo"_s, u"lblOtherTumo"_s,
                         u"lblOtherRon"_s, u"lblOtherTyonbo"_s, u"lblFlowTen"_s, u"lblFlowNo"_s,
                         u"lblFlowOther"_s}),
                 values);
        for (QLabel *l : guiutil::mainWindow()->stageWindow().client()->findChildren<QLabel *>())
            QVERIFY2(l->width() >= l->fontMetrics().horizontalAdvance(l->text()),
                     qPrintable(l->text()));
    }

    void winView_data()
    {
        QTest::addColumn<QStringList>("classes"); // YakuString lines; none: the bundled tables
        QTest::addColumn<QStringList>("wins");    // "count:result line" of own wins
        QTest::addColumn<QString>("total");
        QTest::addColumn<QStringList>("titles");
        QTest::addColumn<QStringList>("values");
        const QStringList bundled{u"一飜"_s,   u"二飜"_s, u"三飜"_s,   u"四飜"_s, u"満貫"_s,
                                  u"ハネ満"_s, u"倍満"_s, u"三倍満"_s, u"役満"_s};
        QTest::newRow("nothing classified")
            << QStringList() << QStringList() << QString() << bundled << QStringList(9);
        // 5 of 40 is 12.5 %, 25 of 40 is 62.5 %; wins without a class are
        // not among the 40.
        QTest::newRow("40 classified, 5 in class 0")
            << QStringList()
            << QStringList{u"5:30符 一飜ロン 平和"_s, u"10:40符 二飜ツモ"_s,
                           u"25:30符 三飜ロン 一盃口 ドラ1"_s, u"3:ロン"_s}
            << u"40"_s << QStringList{u"一飜(13%)"_s, u"二飜(25%)"_s,  u"三飜(63%)"_s,
                                      u"四飜(0%)"_s,  u"満貫(0%)"_s,   u"ハネ満(0%)"_s,
                                      u"倍満(0%)"_s,  u"三倍満(0%)"_s, u"役満(0%)"_s}
            << QStringList{u"5"_s, u"10"_s, u"25"_s, u"0"_s, u"0"_s,
                           u"0"_s, u"0"_s,  u"0"_s,  u"0"_s};
        QTest::newRow("three classes")
            << QStringList{u"YakuString=一飜"_s, u"YakuString=二飜"_s, u"YakuString=役満"_s}
            << QStringList{u"1:30符 一飜ロン"_s, u"3:役満ロン 国士無双"_s} << u"4"_s
            << QStringList{u"一飜(25%)"_s, u"二飜(0%)"_s, u"役満(75%)"_s} + QStringList(6)
            << QStringList{u"1"_s, u"0"_s, u"3"_s} + QStringList(6);
        QTest::newRow("blanks around a class name")
            << QStringList{u"YakuString=一飜"_s, u"YakuString= 満貫 "_s}
            << QStringList{u"2:満貫 ロン"_s, u"1:満貫ロン"_s} << u"2"_s
            << QStringList{u"一飜(0%)"_s, u"満貫(100%)"_s} + QStringList(7)
            << QStringList{u"0"_s, u"2"_s} + QStringList(7);
        QTest::newRow("no classes") << QStringList{u"; none"_s} << QStringList{u"2:30符 一飜ロン"_s}
                                    << QString() << QStringList(9) << QStringList(9);
    }
    void winView()
    {
        QFETCH(QStringList, classes);
        QFETCH(QStringList, wins);
        QFETCH(QString, total);
        QFETCH(QStringList, titles);
        QFETCH(QStringList, values);
        startWith(classes);
        QList<scorelog::Hand> played;
        for (const QString &w : wins) {
            const qsizetype colon = w.indexOf(u':');
            for (int i = w.left(colon).toInt(); i > 0; --i)
                played << scorelog::hand(u'r', w.mid(colon + 1));
        }
        calculate(scorelog::game(1, 1, 50, played));
        QCOMPARE(label(u"lblWinAllNum"_s), total);
        QCOMPARE(labels(u"lblWinValueTitle"_s, 9), titles);
        QCOMPARE(labels(u"lblWinValue"_s, 9), values);

        // A later calculation without classified wins: the defined classes
        // lose their shares and counts.
        calculate(scorelog::game(1, 1, 50));
        QCOMPARE(label(u"lblWinAllNum"_s), QString());
        QStringList bare;
        for (const QString &t : titles)
            bare << t.left(t.indexOf(u'('));
        QCOMPARE(labels(u"lblWinValueTitle"_s, 9), bare);
        QCOMPARE(labels(u"lblWinValue"_s, 9), QStringList(9));
    }

    void windowsOnTheirOwnInputs()
    {
        // No program: a client area, results and table definitions of the
        // test's own, and the windows that show them.
        testutil::ProgramDir dir;
        QVERIFY(
            testutil::writeAll(dir.file(u"norva.dat"_s),
                               testutil::cp932Lines({u"YakuString=一飜"_s, u"YakuString=二飜"_s})));
        TableInfo tables;
        QVERIFY(tables.load(dir.file(u"norva.dat"_s)));
        CalcResults results;
        results.recordGame(2, 15, 1500);
        results.addToCounter(calc::OwnRon);
        results.addWinByHan(1);
        results.closeRankRuns();
        QMdiArea area;
        RankWindow rank(&area, results);
        WinWindow win(&area, results, tables);
        rank.show();
        win.show();
        const auto text = [](ChildWindow &w, const QString &name) {
            return w.client()->findChild<QLabel *>(name)->text();
        };
        QCOMPARE(text(rank, u"lblAllNum"_s), u"1"_s);
        QCOMPARE(text(rank, u"lblRankNum(1)"_s), u"1"_s);
        QCOMPARE(text(win, u"lblWinValueTitle(1)"_s), u"二飜(100%)"_s);
        QCOMPARE(text(win, u"lblWinValue(1)"_s), u"1"_s);
        // A new record shows once the windows are refreshed.
        results.clear();
        rank.refresh();
        QCOMPARE(text(rank, u"lblAllNum"_s), QString());
    }

    // A window opened after a calculation shows its results at once; one
    // closed during a calculation is not refreshed and opens up to date.
    void openingShowsTheCurrentResults()
    {
        startWith();
        guiutil::mainWindow()->rankWindow().subWindow()->close();
        calculate(scorelog::games(u"2:+30 1:+10"_s));
        m_main->rankWindow().show();
        QCOMPARE(label(u"lblAllNum"_s), u"2"_s);
        QCOMPARE(label(u"lblRankTitle(0)"_s), u"１位(50%)"_s);
        QCOMPARE(guiutil::mainWindow()->rankWindow().outerWidth(), 4950);
        QCOMPARE(guiutil::mainWindow()->rankWindow().outerHeight(), 3060);
    }

    void labelsLayout_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("twips"); // left, top, width and the 255 height
        QTest::addColumn<bool>("value");
        QTest::addColumn<QString>("caption");
        auto row = [](const QString &name, int l, int t, int w, bool value,
                      const QString &caption = {}) {
            QTest::newRow(qPrintable(name)) << name << QRect(l, t, w, 255) << value << caption;
        };
        row(u"lblAllNumTitle"_s, 240, 120, 615, false, u"試合数"_s);
        row(u"lblScoreAve"_s, 3600, 960, 975, true);
        row(u"lblRankNumTitle"_s, 240, 1800, 615, false, u"回　数"_s);
        row(u"lblRankTitle(3)"_s, 3720, 1560, 975, false);
        row(u"lblRankNum(2)"_s, 2760, 1800, 855, true);
        row(u"lblRankCont(1)"_s, 1800, 2160, 855, true);
        row(u"lblStageNum"_s, 240, 360, 1095, true);
        row(u"lblMyUser"_s, 240, 720, 375, false, u"本人"_s);
        row(u"lblOtherTyonboTitle"_s, 3600, 1320, 1095, false);
        row(u"lblFlowOther"_s, 3600, 2160, 1095, true);
        row(u"lblWinNumTitle"_s, 240, 120, 975, false, u"総あがり数"_s);
        row(u"lblWinAllNum"_s, 240, 360, 1215, true);
        row(u"lblWinValueTitle(5)"_s, 3120, 1320, 1215, false);
        row(u"lblWinValue(7)"_s, 1680, 2160, 1215, true);
    }
    void labelsLayout()
    {
        QFETCH(QString, name);
        QFETCH(QRect, twips);
        QFETCH(bool, value);
        QFETCH(QString, caption);
        startWith();
        QLabel *l = findLabel(name);
        QVERIFY(l);
        QCOMPARE(l->geometry(), twipsRect(twips.x(), twips.y(), twips.width(), twips.height()));
        QCOMPARE(l->font().family(), u"ＭＳ Ｐゴシック"_s);
        QCOMPARE(l->font().pointSize(), 9);
        QCOMPARE(l->frameShape(), value ? QFrame::Box : QFrame::NoFrame);
        if (value) {
            QCOMPARE(l->frameShadow(), QFrame::Plain);
            QCOMPARE(l->lineWidth(), 1);
            QVERIFY(l->alignment() & Qt::AlignRight);
        }
        if (!caption.isEmpty())
            QCOMPARE(l->text(), caption);
        if (name.endsWith(u')'))
            QCOMPARE(l->property("index").toInt(), name.at(name.size() - 2).digitValue());
    }
};

QTEST_MAIN(TestResultViews)
#include "tst_resultviews.moc"
