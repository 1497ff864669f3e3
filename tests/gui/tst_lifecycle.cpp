#include "guiutil.h"

#include "core/common/datetime.h"
#include "core/common/textfile.h"
#include "core/settings/settings.h"
#include "core/tables/tableinfo.h"
#include "gui/windows/graphwindow.h"
#include "gui/windows/rankwindow.h"
#include "gui/windows/stagewindow.h"
#include "gui/windows/userwindow.h"
#include "gui/windows/winwindow.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QToolBar>

#include <csignal>

using namespace norva;
using namespace Qt::StringLiterals;

class TestLifecycle : public QObject
{
    Q_OBJECT

    static QStringList openNames(MainWindow *m,
                                 QMdiArea::WindowOrder order = QMdiArea::CreationOrder)
    {
        QStringList names;
        for (QMdiSubWindow *w : m->mdiArea()->subWindowList(order))
            names << w->objectName();
        return names;
    }
    static QString settingsText(const testutil::ProgramDir &dir)
    {
        return cp932::decode(testutil::readAll(dir.file(u"norva.ini"_s)));
    }
    static QStringList settingsLines(const testutil::ProgramDir &dir)
    {
        return settingsText(dir).split(u"\r\n"_s);
    }

private slots:
    void initTestCase() { guiutil::answerWithDefaults(); }
    void init() { msgbox::clearShownBoxes(); }

    void firstRunWritesTheDefaultSettings()
    {
        testutil::ProgramDir dir;
        guiutil::copyTables(dir);
        QPointer<MainWindow> m = guiutil::start();
        QVERIFY(m);
        // Everything as a first start shows it.
        QCOMPARE(m->size(), QSize(500, 433));
        QVERIFY(!m->toolBar()->isHidden());
        QCOMPARE(openNames(m), (QStringList{u"frmGraph"_s, u"frmWin"_s, u"frmStage"_s, u"frmRank"_s,
                                            u"frmUser"_s}));
        QCOMPARE(m->mdiArea()->activeSubWindow()->objectName(), u"frmUser"_s);
        QCOMPARE(openNames(m, QMdiArea::StackingOrder).last(), u"frmUser"_s);
        QVERIFY(msgbox::shownBoxes().isEmpty());
        QVERIFY(guiutil::finish(m));

        // 6500 twips is no whole number of pixels; an unchanged window keeps it.
        // VisibleWindow (31) and MainToolbar (true) are at their defaults and
        // so are left out.
        const QDate today = QDate::currentDate();
        const QStringList expected{
            u"[norva]"_s,
            QString(),
            u"MainWidth=7500"_s,
            u"MainHeight=6500"_s,
            u"ScoreFile="_s + dir.file(u"MjScore.txt"_s),
            u"UserName="_s,
            u"StartDate="_s + formatDateYmd(QDate(today.year(), today.month(), 1)),
            u"StartTime=0:0"_s,
            u"EndDate="_s + formatDateYmd(today),
            u"EndTime=0:0"_s,
            u"GraphWidth=5205"_s,
            u"GraphHeight=3200"_s,
            QString(),
        };
        QCOMPARE(settingsLines(dir), expected);
        QVERIFY(msgbox::shownBoxes().isEmpty());
    }

    void missingTableDefinitionsAreReportedAndStartUpGoesOn()
    {
        testutil::ProgramDir dir;
        QPointer<MainWindow> m = guiutil::start();
        QVERIFY(m);
        QVERIFY(m->isVisible());
        QCOMPARE(msgbox::shownBoxes().size(), 1);
        const ShownBox box = msgbox::shownBoxes().first();
        QCOMPARE(box.icon, QMessageBox::Critical);
        QCOMPARE(box.title, u"エラー"_s);
        QCOMPARE(box.text,
                 u"計算情報ファイルの読み込みに失敗しました。\r\n"_s + dir.file(u"norva.dat"_s));
        QCOMPARE(box.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        QVERIFY(guiutil::finish(m));
    }

    void signalWhileTheStartUpMessageIsUp()
    {
        testutil::ProgramDir dir; // no table definitions: a message at start
        msgbox::setResponderForTests({});
        bool started = true;
        QVERIFY(guiutil::withModal([&] { started = guiutil::startProgram(); },
                                   [&](QWidget *box) {
                                       QVERIFY(qobject_cast<QMessageBox *>(box));
                                       QCOMPARE(::kill(::getpid(), SIGTERM), 0);
                                   }));
        guiutil::answerWithDefaults();
        // The program ends through its exit path instead of showing its window.
        QVERIFY(!started);
        QTRY_VERIFY(!guiutil::mainWindow());
        QVERIFY(settingsText(dir).startsWith(u"[norva]\r\n"_s));
        // The window layout of the last session is kept, not replaced by the
        // empty one of a window that never loaded.
        QVERIFY(settingsLines(dir).filter(u"VisibleWindow"_s).isEmpty());
        QVERIFY(settingsLines(dir).contains(u"MainHeight=6500"_s));
        removeExitSignalHandlers();
    }

    void visibleWindowAtStart_data()
    {
        QTest::addColumn<int>("mask");
        QTest::addColumn<QStringList>("opened");
        QTest::newRow("none") << 0 << QStringList();
        QTest::newRow("rank and win") << 10 << QStringList{u"frmWin"_s, u"frmRank"_s};
        QTest::newRow("user and graph") << 17 << QStringList{u"frmGraph"_s, u"frmUser"_s};
        QTest::newRow("stage alone") << 4 << QStringList{u"frmStage"_s};
        QTest::newRow("out of range")
            << 40
            << QStringList{u"frmGraph"_s, u"frmWin"_s, u"frmStage"_s, u"frmRank"_s, u"frmUser"_s};
    }
    void visibleWindowAtStart()
    {
        QFETCH(int, mask);
        QFETCH(QStringList, opened);
        testutil::ProgramDir dir;
        guiutil::copyTables(dir);
        guiutil::writeSettings(dir, {u"VisibleWindow="_s + QString::number(mask)});
        QPointer<MainWindow> m = guiutil::start();
        QCOMPARE(openNames(m), opened);
        if (!opened.isEmpty()) {
            // The last one opened is in front.
            QCOMPARE(m->mdiArea()->activeSubWindow()->objectName(), opened.last());
            QCOMPARE(openNames(m, QMdiArea::StackingOrder).last(), opened.last());
        }
        QCOMPARE(guiutil::mainWindow()->userWindow().isOpen(), opened.contains(u"frmUser"_s));
        QCOMPARE(guiutil::mainWindow()->rankWindow().isOpen(), opened.contains(u"frmRank"_s));
        QCOMPARE(guiutil::mainWindow()->stageWindow().isOpen(), opened.contains(u"frmStage"_s));
        QCOMPARE(guiutil::mainWindow()->winWindow().isOpen(), opened.contains(u"frmWin"_s));
        QCOMPARE(guiutil::mainWindow()->graphWindow().isShown(), opened.contains(u"frmGraph"_s));
        // Asking opened nothing.
        QCOMPARE(openNames(m).size(), opened.size());
        QVERIFY(guiutil::finish(m));
    }

    void visibleWindowAtExit_data()
    {
        QTest::addColumn<QStringList>("close");
        QTest::addColumn<QString>("line"); // the VisibleWindow line, or none
        QTest::newRow("all open") << QStringList() << QString();
        QTest::newRow("rank and graph")
            << QStringList{u"frmUser"_s, u"frmStage"_s, u"frmWin"_s} << u"VisibleWindow=18"_s;
        QTest::newRow("none") << QStringList{u"frmUser"_s, u"frmRank"_s, u"frmStage"_s, u"frmWin"_s,
                                             u"frmGraph"_s}
                              << u"VisibleWindow=0"_s;
        QTest::newRow("settings only")
            << QStringList{u"frmRank"_s, u"frmStage"_s, u"frmWin"_s, u"frmGraph"_s}
            << u"VisibleWindow=1"_s;
    }
    void visibleWindowAtExit()
    {
        QFETCH(QStringList, close);
        QFETCH(QString, line);
        testutil::ProgramDir dir;
        guiutil::copyTables(dir);
        QPointer<MainWindow> m = guiutil::start();
        for (const QString &name : close)
            m->mdiArea()->findChild<QMdiSubWindow *>(name)->close();
        QList<QPointer<QMdiSubWindow>> open;
        for (QMdiSubWindow *sub : m->mdiArea()->subWindowList())
            open << sub;
        QVERIFY(guiutil::finish(m));
        const QStringList lines = settingsLines(dir);
        const QStringList found = lines.filter(u"VisibleWindow"_s);
        QCOMPARE(found, line.isEmpty() ? QStringList() : QStringList{line});
        if (!line.isEmpty())
            QCOMPARE(lines.indexOf(line), 4); // after MainWidth and MainHeight
        // Every child window was closed on the way out.
        for (const QPointer<QMdiSubWindow> &sub : open)
            QVERIFY(!sub);
    }

    void mainWindowSizeAtExit_data()
    {
        QTest::addColumn<int>("state");
        QTest::addColumn<QString>("width");
        QTest::addColumn<QString>("height");
        QTest::newRow("normal, resized") << int(Qt::WindowNoState) << u"9000"_s << u"6000"_s;
        QTest::newRow("maximised") << int(Qt::WindowMaximized) << u"7400"_s << u"5210"_s;
        QTest::newRow("minimised") << int(Qt::WindowMinimized) << u"7400"_s << u"5210"_s;
    }
    void mainWindowSizeAtExit()
    {
        QFETCH(int, state);
        QFETCH(QString, width);
        QFETCH(QString, height);
        testutil::ProgramDir dir;
        guiutil::copyTables(dir);
        guiutil::writeSettings(dir, {u"MainWidth=7400"_s, u"MainHeight=5210"_s});
        QPointer<MainWindow> m = guiutil::start();
        QCOMPARE(m->size(), QSize(493, 347)); // to the nearest pixel
        m->resize(600, 400);
        m->setWindowState(Qt::WindowStates(state));
        QVERIFY(guiutil::finish(m));
        const QStringList lines = settingsLines(dir);
        QCOMPARE(lines.at(2), u"MainWidth="_s + width);
        QCOMPARE(lines.at(3), u"MainHeight="_s + height);

        // The next start opens at the size written.
        m = guiutil::start();
        QCOMPARE(m->size(), QSize(width.toInt() / 15, height.toInt() / 15));
        QVERIFY(guiutil::finish(m));
    }

    void hiddenToolbarSurvivesARestart()
    {
        testutil::ProgramDir dir;
        guiutil::copyTables(dir);
        QPointer<MainWindow> m = guiutil::start();
        m->menuAction(u"mnuViewToolbar"_s)->trigger();
        QVERIFY(guiutil::finish(m));
        QVERIFY(settingsLines(dir).contains(u"MainToolbar=False"_s));

        m = guiutil::start();
        QVERIFY(m->toolBar()->isHidden());
        QVERIFY(!m->menuAction(u"mnuViewToolbar"_s)->isChecked());
        m->menuAction(u"mnuViewToolbar"_s)->trigger();
        QVERIFY(!m->toolBar()->isHidden());
        QVERIFY(guiutil::finish(m));
        QVERIFY(settingsLines(dir).filter(u"MainToolbar"_s).isEmpty());
    }

    void settingsWriteFailureAsksRetryOrCancel()
    {
        testutil::ProgramDir dir;
        guiutil::copyTables(dir);
        QPointer<MainWindow> m = guiutil::start();
        int failures = 2;
        setWriteFailureForTests([&] { return failures-- > 0; });
        QStringList answers;
        msgbox::setResponderForTests([&](const ShownBox &box) {
            answers << box.text;
            return QMessageBox::Retry;
        });
        QVERIFY(guiutil::finish(m));
        setWriteFailureForTests({});
        guiutil::answerWithDefaults();

        QCOMPARE(answers.size(), 2);
        const ShownBox box = msgbox::shownBoxes().last();
        QCOMPARE(box.icon, QMessageBox::Critical);
        QCOMPARE(box.title, u"エラー"_s);
        QCOMPARE(box.text, u"設定ファイルの書き込みに失敗しました。\r\n"_s
                               + dir.file(u"norva.ini"_s)
                               + u"\r\nディスクの空き容量が不足しています。"_s);
        QCOMPARE(box.buttons, QMessageBox::Retry | QMessageBox::Cancel);
        // The third try wrote the file.
        QVERIFY(settingsText(dir).startsWith(u"[norva]\r\n"_s));

        // Cancel gives up; the program still ends.
        m = guiutil::start();
        QFile::remove(dir.file(u"norva.ini"_s));
        setWriteFailureForTests([] { return true; });
        msgbox::clearShownBoxes();
        QVERIFY(guiutil::finish(m));
        setWriteFailureForTests({});
        QCOMPARE(msgbox::shownBoxes().size(), 1);
        QVERIFY(!QFile::exists(dir.file(u"norva.ini"_s)));
    }

    void childWindowsLayout_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QSize>("twips");
        QTest::newRow("settings") << u"frmUser"_s << u"計算情報"_s << QSize(5295, 3390);
        QTest::newRow("rank") << u"frmRank"_s << u"順位"_s << QSize(4950, 3060);
        QTest::newRow("stage") << u"frmStage"_s << u"局"_s << QSize(5025, 3030);
        QTest::newRow("win") << u"frmWin"_s << u"役"_s << QSize(4665, 3045);
        QTest::newRow("graph") << u"frmGraph"_s << u"グラフ表示"_s << QSize(5205, 3200);
    }
    void childWindowsLayout()
    {
        QFETCH(QString, name);
        QFETCH(QString, caption);
        QFETCH(QSize, twips);
        testutil::ProgramDir dir;
        guiutil::copyTables(dir);
        QPointer<MainWindow> m = guiutil::start();
        auto *sub = m->mdiArea()->findChild<QMdiSubWindow *>(name);
        QVERIFY(sub);
        QCOMPARE(sub->windowTitle(), caption);
        QCOMPARE(sub->size(), QSize(qRound(twips.width() / 15.0), qRound(twips.height() / 15.0)));
        ChildWindow *forms[] = {
            &guiutil::mainWindow()->userWindow(), &guiutil::mainWindow()->rankWindow(),
            &guiutil::mainWindow()->stageWindow(), &guiutil::mainWindow()->winWindow(),
            &guiutil::mainWindow()->graphWindow()};
        ChildWindow *form = *std::find_if(std::begin(forms), std::end(forms),
                                          [&](ChildWindow *f) { return f->windowName() == name; });
        QCOMPARE(form->subWindow(), sub);
        QCOMPARE(form->outerWidth(), twips.width());
        QCOMPARE(form->outerHeight(), twips.height());
        sub->resize(sub->width() + 10, sub->height());
        QCOMPARE(form->outerWidth(), qint64(sub->width()) * 15);

        // Closed, the object stays and can open the window again.
        sub->close();
        QVERIFY(!form->isOpen());
        QVERIFY(!form->subWindow());
        QCOMPARE(form->outerWidth(), 0);
        form->show();
        QVERIFY(form->isOpen());
        QVERIFY(form->subWindow() && form->subWindow() != sub);
        const QPointer<QMdiSubWindow> reopened = form->subWindow();
        QVERIFY(guiutil::finish(m));
        QVERIFY(!reopened); // closed with the main window
    }

    void terminationSignalsCloseThroughTheExitPath_data()
    {
        QTest::addColumn<int>("signal");
        QTest::addColumn<bool>("aboutBoxOpen");
        QTest::newRow("SIGTERM") << SIGTERM << false;
        QTest::newRow("SIGINT") << SIGINT << false;
        QTest::newRow("SIGHUP") << SIGHUP << false;
        QTest::newRow("SIGTERM over the about box") << SIGTERM << true;
    }
    void terminationSignalsCloseThroughTheExitPath()
    {
        QFETCH(int, signal);
        QFETCH(bool, aboutBoxOpen);
        testutil::ProgramDir dir;
        guiutil::copyTables(dir);
        QPointer<MainWindow> m = guiutil::start();
        m->mdiArea()->findChild<QMdiSubWindow *>(u"frmStage"_s)->close();
        if (aboutBoxOpen) {
            // The signal arrives while the box runs its own loop; the box goes
            // first, then the main window.
            QVERIFY(guiutil::withModal([&] { m->showAbout(); },
                                       [&](QWidget *box) {
                                           QCOMPARE(box->objectName(), u"frmAbout"_s);
                                           QCOMPARE(::kill(::getpid(), signal), 0);
                                       }));
        } else {
            QCOMPARE(::kill(::getpid(), signal), 0);
        }
        QTRY_VERIFY(m.isNull());
        QVERIFY(!QApplication::activeModalWidget());
        QVERIFY(settingsLines(dir).contains(u"VisibleWindow=27"_s));
        removeExitSignalHandlers();
    }
};

QTEST_MAIN(TestLifecycle)
#include "tst_lifecycle.moc"
