#include "guiutil.h"

#include "core/calc/calcresults.h"
#include "core/common/messages.h"
#include "core/settings/settings.h"
#include "gui/windows/statuswindow.h"

#include <QAction>
#include <QProgressBar>

using namespace norva;
using namespace Qt::StringLiterals;

class TestCalcRun : public QObject
{
    Q_OBJECT

    // A program folder with the bundled table definitions, the small fixture
    // log and settings naming かもめ without a date range; no child window.
    static void prepare(const testutil::ProgramDir &dir, const QStringList &extra = {})
    {
        guiutil::copyTables(dir);
        QVERIFY(QFile::copy(QStringLiteral(NORVA_TEST_DATA "/calc-small.log"),
                            dir.file(u"MjScore.txt"_s)));
        guiutil::writeSettings(
            dir, QStringList{u"UserName=かもめ"_s, u"SpecifyDate=False"_s, u"VisibleWindow=0"_s}
                     + extra);
    }
    static bool resultsEnabled(MainWindow *m)
    {
        const bool save = m->menuAction(u"mnuFileSave"_s)->isEnabled();
        [&] {
            QCOMPARE(m->toolbarButton(u"ResultsSave"_s)->isEnabled(), save);
            QCOMPARE(m->menuAction(u"mnuFilePrint"_s)->isEnabled(), save);
            QCOMPARE(m->toolbarButton(u"Printer"_s)->isEnabled(), save);
        }();
        return save;
    }
    static QStringList boxTexts()
    {
        QStringList texts;
        for (const ShownBox &b : msgbox::shownBoxes())
            texts << b.title + u'|' + b.text;
        return texts;
    }

private slots:
    void initTestCase() { guiutil::answerWithDefaults(); }
    void init() { msgbox::clearShownBoxes(); }

    void menuShortcutAndToolbarRunTheCalculation()
    {
        testutil::ProgramDir dir;
        prepare(dir);
        QPointer<MainWindow> m = guiutil::start();
        QVERIFY(m);
        QVERIFY(!resultsEnabled(m));

        m->menuAction(u"mnuEditCalc"_s)->trigger();
        QVERIFY(boxTexts().isEmpty());
        const qint32 games = guiutil::session().results().value(0).toInt();
        QVERIFY(games > 0);
        QVERIFY(resultsEnabled(m));

        guiutil::session().results().clear();
        QTest::keyClick(m, Qt::Key_L, Qt::ControlModifier);
        QCOMPARE(guiutil::session().results().value(0).toInt(), games);

        guiutil::session().results().clear();
        m->runToolbarButton(u"NvCalc"_s);
        QCOMPARE(guiutil::session().results().value(0).toInt(), games);
        QVERIFY(boxTexts().isEmpty());
        QVERIFY(!m->findChild<StatusWindow *>());
        QVERIFY(guiutil::finish(m));
    }

    void noValidDataClearsAndDisables()
    {
        testutil::ProgramDir dir;
        prepare(dir);
        QPointer<MainWindow> m = guiutil::start();
        m->calculation().calculate();
        QVERIFY(resultsEnabled(m));

        guiutil::settings().setValue(Settings::UserName, u"だれでもない"_s);
        m->calculation().calculate();
        QCOMPARE(boxTexts().size(), 1);
        QVERIFY(boxTexts()[0].startsWith(u"確認|有効なデータがありませんでした。\r\n"_s));
        QCOMPARE(msgbox::shownBoxes()[0].icon, QMessageBox::Warning);
        QVERIFY(!resultsEnabled(m));
        QCOMPARE(guiutil::session().results().value(0).toInt(), 0);
        QCOMPARE(guiutil::session().results().value(2).toInt(), -99999);
        QVERIFY(guiutil::finish(m));
    }

    void checksBeforeThePass()
    {
        testutil::ProgramDir dir;
        prepare(dir);
        QPointer<MainWindow> m = guiutil::start();
        m->calculation().calculate();
        QVERIFY(resultsEnabled(m));

        const QString missing = dir.file(u"nothing.txt"_s);
        guiutil::settings().setValue(Settings::ScoreFile, missing);
        m->calculation().calculate();
        QCOMPARE(boxTexts().size(), 1);
        QVERIFY(boxTexts()[0].startsWith(u"エラー|スコアファイルが見つかりません。\r\n"_s + missing
                                         + u"\r\n"_s));
        QCOMPARE(msgbox::shownBoxes()[0].icon, QMessageBox::Critical);
        QVERIFY(!resultsEnabled(m));
        QCOMPARE(guiutil::session().results().value(0).toInt(), 0);

        // A folder passes the existence test; the pass then cannot read it.
        msgbox::clearShownBoxes();
        guiutil::settings().setValue(Settings::ScoreFile, dir.path());
        m->calculation().calculate();
        QCOMPARE(boxTexts().size(), 2);
        QVERIFY(boxTexts()[0].startsWith(u"計算エラー|"_s));
        QCOMPARE(boxTexts()[1], u"確認|有効なデータがありませんでした。"_s);
        QVERIFY(guiutil::finish(m));
    }

    void tableDefinitionsWithoutASecondGroup()
    {
        testutil::ProgramDir dir;
        prepare(dir);
        QFile::remove(dir.file(u"norva.dat"_s));
        QVERIFY(QFile::copy(QStringLiteral(NORVA_TEST_DATA "/calc-no-group2.dat"),
                            dir.file(u"norva.dat"_s)));
        QPointer<MainWindow> m = guiutil::start();
        m->calculation().calculate();
        m->calculation().calculate();
        QCOMPARE(boxTexts(), (QStringList{u"エラー|計算する卓情報を選択してください。"_s,
                                          u"エラー|計算する卓情報を選択してください。"_s}));
        QVERIFY(!resultsEnabled(m));
        QVERIFY(guiutil::finish(m));
    }

    void longLogShowsTheStatusWindow()
    {
        testutil::ProgramDir dir;
        prepare(dir);
        // 1000 empty lines and then a result line with an impossible rank, so
        // that the pass stops with its error box while the status window is up.
        QByteArray log = testutil::readAll(dir.file(u"MjScore.txt"_s));
        const QByteArray game =
            cp932::encodeLossy(u"===== 東風戦：一般卓 1卓 開始 2009/05/01 10:00 =====\r\n"
                               u"  持点25000 [1]かもめ R1600 [2]a R1500 [3]b R1500 [4]c R1500\r\n");
        log += game + QByteArray(1000, '\n') + cp932::encodeLossy(u"  9位 かもめ  +10\r\n");
        testutil::writeAll(dir.file(u"MjScore.txt"_s), log);
        const qint32 lines = qint32(countLines(dir.file(u"MjScore.txt"_s)));

        QPointer<MainWindow> m = guiutil::start();
        bool statusSeen = false;
        int maximum = -1, value = -1;
        msgbox::setResponderForTests([&](const ShownBox &box) {
            if (StatusWindow *status = m->findChild<StatusWindow *>();
                box.title == msg::titleCalcError() && status) {
                statusSeen = status->isVisible();
                maximum = status->progressBar()->maximum();
                value = status->progressBar()->value();
            }
            return QMessageBox::Ok;
        });
        m->calculation().calculate();
        guiutil::answerWithDefaults();
        QVERIFY(statusSeen);
        QCOMPARE(maximum, qRound(lines / 100.0));
        QCOMPARE(value, lines / 100);
        QVERIFY(!m->findChild<StatusWindow *>());
        QCOMPARE(boxTexts().size(), 2);
        QCOMPARE(boxTexts()[0], u"計算エラー|インデックスが有効範囲にありません。"_s);
        QVERIFY(!resultsEnabled(m));
        QVERIFY(guiutil::finish(m));
    }

    void shortLogShowsNoStatusWindow()
    {
        testutil::ProgramDir dir;
        prepare(dir, {u"CheckLine=100000"_s});
        QPointer<MainWindow> m = guiutil::start();
        m->calculation().calculate();
        QVERIFY(!m->findChild<StatusWindow *>());
        QVERIFY(boxTexts().isEmpty());
        QVERIFY(resultsEnabled(m));
        QVERIFY(guiutil::finish(m));
    }
};

QTEST_MAIN(TestCalcRun)
#include "tst_calcrun.moc"
