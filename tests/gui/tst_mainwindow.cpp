#include "guiutil.h"

#include "core/settings/settings.h"
#include "gui/windows/commandtable.h"
#include "gui/windows/rankwindow.h"
#include "gui/windows/stagewindow.h"
#include "gui/windows/userwindow.h"
#include "gui/windows/winwindow.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QScrollBar>
#include <QToolBar>

using namespace norva;
using namespace Qt::StringLiterals;

class TestMainWindow : public QObject
{
    Q_OBJECT

    std::unique_ptr<testutil::ProgramDir> m_dir;
    QPointer<MainWindow> m_main;

    QMdiSubWindow *sub(const QString &name) const
    {
        return m_main->mdiArea()->findChild<QMdiSubWindow *>(name);
    }
    QStringList openNames(QMdiArea::WindowOrder order = QMdiArea::CreationOrder) const
    {
        QStringList names;
        for (QMdiSubWindow *w : m_main->mdiArea()->subWindowList(order))
            names << w->objectName();
        return names;
    }

private slots:
    void initTestCase() { guiutil::answerWithDefaults(); }

    // Every test starts the program afresh with no child window open, in a
    // window large enough for the arrangements.
    void init()
    {
        m_dir = std::make_unique<testutil::ProgramDir>();
        guiutil::copyTables(*m_dir);
        guiutil::writeSettings(*m_dir, {QStringLiteral("VisibleWindow=0"),
                                        QStringLiteral("MainWidth=10500"),
                                        QStringLiteral("MainHeight=8250")});
        msgbox::clearShownBoxes();
        m_main = guiutil::start();
        QVERIFY(m_main);
    }
    void cleanup()
    {
        QVERIFY(guiutil::finish(m_main));
        m_dir.reset();
    }

    void menus_data()
    {
        QTest::addColumn<QString>("menu");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QStringList>("items"); // name|caption|shortcut, "-" a separator
        QTest::newRow("file") << u"mnuFile"_s << u"ファイル(&F)"_s
                              << QStringList{u"mnuFileOpen|スコアファイル(&O)...|"_s,
                                             u"mnuFileSave|試合結果保存(&S)...|Ctrl+S"_s,
                                             u"mnuFileBar1|-|"_s,
                                             u"mnuFilePageSetup|ページ設定(&U)...|"_s,
                                             u"mnuFilePrint|印刷(&P)...|Ctrl+P"_s,
                                             u"mnuFileBar2|-|"_s,
                                             u"mnuFileExport|エクスポート(&E)|"_s,
                                             u"mnuFileBar3|-|"_s,
                                             u"mnuFileExit|終了(&X)|Ctrl+Q"_s};
        QTest::newRow("export") << u"mnuFileExport"_s << u"エクスポート(&E)"_s
                                << QStringList{u"mnuFileExportGames|試合一覧 CSV(&G)...|"_s,
                                               u"mnuFileExportTotals|集計 CSV(&T)...|"_s};
        QTest::newRow("edit") << u"mnuEdit"_s << u"編集(&E)"_s
                              << QStringList{u"mnuEditCalc|計算(&C)|Ctrl+L"_s};
        QTest::newRow("view") << u"mnuView"_s << u"表示(&V)"_s
                              << QStringList{u"mnuViewToolbar|ツールバー(&T)|"_s,
                                             u"mnuViewBar1|-|"_s,
                                             u"mnuViewUser|計算情報(&U)...|Ctrl+U"_s,
                                             u"mnuViewRank|順位(&R)...|Ctrl+R"_s,
                                             u"mnuViewStage|局(&A)...|Ctrl+A"_s,
                                             u"mnuViewWin|役(&W)...|Ctrl+W"_s,
                                             u"mnuViewGraph|グラフ(&G)...|Ctrl+G"_s,
                                             u"mnuViewBar2|-|"_s,
                                             u"mnuViewOptions|オプション(&O)...|Ctrl+O"_s,
                                             u"mnuViewBar3|-|"_s,
                                             u"mnuViewFollow|自動更新(&F)|"_s,
                                             u"mnuViewBar4|-|"_s,
                                             u"mnuViewStats|詳細成績(&D)...|Ctrl+D"_s,
                                             u"mnuViewGames|試合一覧(&L)...|"_s};
        QTest::newRow("window") << u"mnuWindow"_s << u"ウィンドウ(&W)"_s
                                << QStringList{u"mnuWindowCascade|重ねて表示(&C)|"_s,
                                               u"mnuWindowTileHorizontal|上下に並べて表示(&H)|"_s,
                                               u"mnuWindowTileVertical|左右に並べて表示(&V)|"_s,
                                               u"mnuWindowArrangeIcons|アイコンの整列(&A)|"_s};
        QTest::newRow("help") << u"mnuHelp"_s << u"ヘルプ(&H)"_s
                              << QStringList{u"mnuHelpContents|説明(&C)...|F1"_s,
                                             u"mnuHelpBar1|-|"_s,
                                             u"mnuHelpAbout|バージョン情報(&A)...|"_s};
    }
    void menus()
    {
        QFETCH(QString, menu);
        QFETCH(QString, caption);
        QFETCH(QStringList, items);
        QMenu *m = m_main->menuBar()->findChild<QMenu *>(menu);
        QVERIFY(m);
        QCOMPARE(m->title(), caption);
        QStringList actual;
        for (QAction *a : m->actions())
            actual << a->objectName() + u'|' + (a->isSeparator() ? QStringLiteral("-") : a->text())
                          + u'|' + a->shortcut().toString();
        QCOMPARE(actual, items);
    }

    void menuBarOrderAndToolbarCheck()
    {
        QStringList titles;
        for (QAction *a : m_main->menuBar()->actions())
            titles << a->menu()->objectName();
        QCOMPARE(titles, (QStringList{u"mnuFile"_s, u"mnuEdit"_s, u"mnuView"_s, u"mnuWindow"_s,
                                      u"mnuHelp"_s}));
        QAction *item = m_main->menuAction(QStringLiteral("mnuViewToolbar"));
        QVERIFY(item->isCheckable());
        QVERIFY(item->isChecked());
        QCOMPARE(m_main->windowTitle(), QStringLiteral("Kelvo結果計算"));
    }

    void toolbarButtons()
    {
        QToolBar *tb = m_main->findChild<QToolBar *>(QStringLiteral("tbToolBar"));
        QVERIFY(tb);
        QVERIFY(tb->isVisible());
        QStringList layout;
        for (QAction *a : tb->actions()) {
            if (a->isSeparator()) {
                layout << QStringLiteral("|");
                continue;
            }
            layout << a->objectName() + u'=' + a->toolTip();
            QVERIFY2(!a->icon().isNull(), qPrintable(a->objectName()));
            const QImage image = a->icon().pixmap(16, 16).toImage();
            int drawn = 0;
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x)
                    drawn += image.pixelColor(x, y).alpha() > 128;
            QVERIFY2(drawn > image.width() * image.height() / 4, qPrintable(a->objectName()));
        }
        QCOMPARE(layout,
                 (QStringList{u"ScoreFileOpen=スコアファイル指定"_s, u"ResultsSave=結果保存"_s,
                              u"Printer=印刷"_s, u"Exit=終了"_s, u"|"_s, u"NvCalc=結果計算"_s,
                              u"|"_s, u"UserWindow=計算情報表示"_s, u"RankWindow=順位表示"_s,
                              u"StageWindow=局表示"_s, u"WinWindow=役表示"_s,
                              u"GraphWindow=グラフ表示"_s, u"|"_s, u"Customize=オプション設定"_s,
                              u"|"_s, u"AboutNorva=バージョン情報"_s, u"StatsWindow=詳細成績表示"_s,
                              u"GamesWindow=試合一覧表示"_s}));
        QVERIFY(toolbarIcon(QStringLiteral("NoSuchKey")).isNull());
    }

    void resultCommands()
    {
        const QList<QAction *> commands{m_main->menuAction(QStringLiteral("mnuFileSave")),
                                        m_main->toolbarButton(QStringLiteral("ResultsSave")),
                                        m_main->menuAction(QStringLiteral("mnuFilePrint")),
                                        m_main->toolbarButton(QStringLiteral("Printer"))};
        // Nothing computed yet.
        for (QAction *a : commands)
            QVERIFY(!a->isEnabled());
        m_main->enableResultCommands(true);
        for (QAction *a : commands)
            QVERIFY(a->isEnabled());
        m_main->enableResultCommands(false);
        for (QAction *a : commands)
            QVERIFY(!a->isEnabled());
        // The other commands stay available.
        QVERIFY(m_main->menuAction(QStringLiteral("mnuEditCalc"))->isEnabled());
        QVERIFY(m_main->toolbarButton(QStringLiteral("NvCalc"))->isEnabled());
    }

    void buttonKeys_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("opens");
        QTest::newRow("user") << u"UserWindow"_s << u"frmUser"_s;
        QTest::newRow("rank") << u"RankWindow"_s << u"frmRank"_s;
        QTest::newRow("stage") << u"StageWindow"_s << u"frmStage"_s;
        QTest::newRow("win") << u"WinWindow"_s << u"frmWin"_s;
        QTest::newRow("graph") << u"GraphWindow"_s << u"frmGraph"_s;
        QTest::newRow("letter case counts") << u"rankwindow"_s << u""_s;
        QTest::newRow("no such key") << u"Rank"_s << u""_s;
        QTest::newRow("empty") << u""_s << u""_s;
    }
    void buttonKeys()
    {
        QFETCH(QString, key);
        QFETCH(QString, opens);
        m_main->runToolbarButton(key);
        QCOMPARE(openNames(), opens.isEmpty() ? QStringList() : QStringList{opens});
        // Clicking the button itself goes the same way.
        if (!opens.isEmpty()) {
            sub(opens)->close();
            m_main->toolbarButton(key)->trigger();
            QCOMPARE(openNames(), QStringList{opens});
        }
    }

    void exitButtonClosesThroughExitPath()
    {
        QFile::remove(m_dir->file(QStringLiteral("norva.ini")));
        m_main->runToolbarButton(QStringLiteral("Exit"));
        QTRY_VERIFY(m_main.isNull());
        QVERIFY(QFile::exists(m_dir->file(QStringLiteral("norva.ini"))));
    }

    void viewCommandOnlyRaisesAnOpenWindow()
    {
        m_main->rankWindow().show();
        m_main->stageWindow().show();
        QMdiSubWindow *rank = sub(u"frmRank"_s);
        QCOMPARE(m_main->mdiArea()->activeSubWindow(), sub(u"frmStage"_s));
        m_main->menuAction(QStringLiteral("mnuViewRank"))->trigger();
        QCOMPARE(m_main->mdiArea()->activeSubWindow(), rank);
        QCOMPARE(sub(u"frmRank"_s), rank); // the same window, not a new one
        QCOMPARE(openNames(QMdiArea::StackingOrder), (QStringList{u"frmStage"_s, u"frmRank"_s}));
        QVERIFY(guiutil::mainWindow()->rankWindow().isOpen());

        // A minimised window comes back.
        rank->showMinimized();
        m_main->rankWindow().show();
        QVERIFY(!rank->isMinimized());
        QCOMPARE(m_main->mdiArea()->activeSubWindow(), rank);
    }

    void shortcutsReachTheMainWindowCommands()
    {
        m_main->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_main));
        m_main->rankWindow().show();
        // With a child window active its own Close shortcut must not take Ctrl+W.
        QTest::keyClick(m_main->mdiArea()->activeSubWindow(), Qt::Key_W, Qt::ControlModifier);
        QCOMPARE(openNames(), (QStringList{u"frmRank"_s, u"frmWin"_s}));
        QTest::keyClick(m_main->mdiArea()->activeSubWindow(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(m_main, Qt::Key_U, Qt::ControlModifier);
        QTest::keyClick(m_main, Qt::Key_G, Qt::ControlModifier);
        QCOMPARE(openNames(), (QStringList{u"frmRank"_s, u"frmWin"_s, u"frmStage"_s, u"frmUser"_s,
                                           u"frmGraph"_s}));
    }

    void toolbarToggle()
    {
        QAction *item = m_main->menuAction(QStringLiteral("mnuViewToolbar"));
        item->trigger();
        QVERIFY(m_main->toolBar()->isHidden());
        QVERIFY(!item->isChecked());
        QCOMPARE(guiutil::settings().value(Settings::MainToolbar), QVariant(false));
        m_main->toggleToolBar();
        QVERIFY(!m_main->toolBar()->isHidden());
        QVERIFY(item->isChecked());
        QCOMPARE(guiutil::settings().value(Settings::MainToolbar), QVariant(true));
    }

    void windowList()
    {
        m_main->rankWindow().show();
        m_main->stageWindow().show();
        QMenu *menu = m_main->findChild<QMenu *>(QStringLiteral("mnuWindow"));
        for (int round = 0; round < 2; ++round) { // rebuilt, not added to
            emit menu->aboutToShow();
            QStringList items;
            for (QAction *a : menu->actions().mid(4))
                items << (a->isSeparator() ? QStringLiteral("-")
                                           : a->text() + (a->isChecked() ? u"*" : u""));
            QCOMPARE(items, (QStringList{u"-"_s, u"&1 順位"_s, u"&2 局*"_s}));
        }
        menu->actions().at(5)->trigger();
        QCOMPARE(m_main->mdiArea()->activeSubWindow(), sub(u"frmRank"_s));

        sub(u"frmRank"_s)->close();
        sub(u"frmStage"_s)->close();
        emit menu->aboutToShow();
        QCOMPARE(menu->actions().size(), 4);
    }

    void tile_data()
    {
        QTest::addColumn<bool>("horizontal");
        QTest::addColumn<int>("windows");
        QTest::newRow("one above another, 3") << true << 3;
        QTest::newRow("one above another, 4") << true << 4;
        QTest::newRow("side by side, 3") << false << 3;
        QTest::newRow("side by side, 4") << false << 4;
    }
    void tile()
    {
        QFETCH(bool, horizontal);
        QFETCH(int, windows);
        const Command opens[] = {Command::ShowUserWindow, Command::ShowRankWindow,
                                 Command::ShowStageWindow, Command::ShowWinWindow};
        for (int i = 0; i < windows; ++i)
            m_main->run(opens[i]);
        // A maximised window is tiled as well.
        m_main->mdiArea()->activeSubWindow()->showMaximized();
        m_main
            ->menuAction(horizontal ? QStringLiteral("mnuWindowTileHorizontal")
                                    : QStringLiteral("mnuWindowTileVertical"))
            ->trigger();

        const QRect area = m_main->mdiArea()->viewport()->rect();
        QVERIFY(area.width() > 400 && area.height() > 300);
        // The front window first, then down the stacking order.
        QList<QMdiSubWindow *> order = m_main->mdiArea()->subWindowList(QMdiArea::StackingOrder);
        std::reverse(order.begin(), order.end());
        QCOMPARE(order.size(), windows);
        int edge = 0;
        for (QMdiSubWindow *w : order) {
            QVERIFY(!w->isMaximized());
            const QRect g = w->geometry();
            if (horizontal) {
                QCOMPARE(g.left(), 0);
                QCOMPARE(g.width(), area.width());
                QCOMPARE(g.top(), edge);
                QVERIFY(qAbs(g.height() - area.height() / windows) <= 1);
                edge = g.bottom() + 1;
            } else {
                QCOMPARE(g.top(), 0);
                QCOMPARE(g.height(), area.height());
                QCOMPARE(g.left(), edge);
                QVERIFY(qAbs(g.width() - area.width() / windows) <= 1);
                edge = g.right() + 1;
            }
        }
        QCOMPARE(edge, horizontal ? area.height() : area.width());
    }

    void arrangeIconsAndTileAroundThem()
    {
        m_main->userWindow().show();
        m_main->rankWindow().show();
        m_main->stageWindow().show();
        m_main->winWindow().show();
        QMdiSubWindow *user = sub(u"frmUser"_s);
        QMdiSubWindow *rank = sub(u"frmRank"_s);
        user->showMinimized();
        rank->showMinimized();
        user->move(200, 50);
        rank->move(10, 10);
        m_main->menuAction(QStringLiteral("mnuWindowArrangeIcons"))->trigger();

        const QRect area = m_main->mdiArea()->viewport()->rect();
        // Along the bottom edge from the left, in the order they were opened.
        QCOMPARE(user->geometry().bottom(), area.bottom());
        QCOMPARE(user->geometry().left(), 0);
        QCOMPARE(rank->geometry().bottom(), area.bottom());
        QCOMPARE(rank->geometry().left(), user->geometry().right() + 1);

        m_main->arrangement().tileVertically();
        const int iconTop = user->geometry().top();
        QVERIFY(user->isMinimized() && rank->isMinimized());
        for (const QString &name : {u"frmStage"_s, u"frmWin"_s}) {
            const QRect g = sub(name)->geometry();
            QCOMPARE(g.top(), 0);
            QCOMPARE(g.bottom() + 1, iconTop);
            QVERIFY(qAbs(g.width() - area.width() / 2) <= 1);
        }
    }

    void windowsOpenWithinReach()
    {
        // A window out of reach comes back into the client area when the View
        // menu asks for it, open or reopened.
        m_main->rankWindow().show();
        QMdiSubWindow *rank = sub(u"frmRank"_s);
        const QRect area = m_main->mdiArea()->viewport()->rect();
        rank->move(area.right() + 500, area.bottom() + 500);
        m_main->menuAction(u"mnuViewRank"_s)->trigger();
        QVERIFY(area.contains(rank->geometry()));
        rank->close();
        m_main->toolbarButton(u"RankWindow"_s)->trigger();
        QVERIFY(area.contains(m_main->rankWindow().subWindow()->geometry()));
    }

    void cascade()
    {
        m_main->rankWindow().show();
        m_main->stageWindow().show();
        m_main->winWindow().show();
        m_main->arrangement().tileVertically();
        m_main->arrangement().cascade();
        const QList<QMdiSubWindow *> w = m_main->mdiArea()->subWindowList();
        QList<QSize> sizes;
        for (QMdiSubWindow *sub : w)
            sizes << sub->size();
        m_main->arrangement().cascade();
        // Overlapping, each a step further down and to the right, each as
        // large as it was: only the positions change.
        QVERIFY(w[0]->geometry().intersects(w[1]->geometry()));
        QVERIFY(w[1]->y() > w[0]->y() && w[1]->x() > w[0]->x());
        QVERIFY(w[2]->y() > w[1]->y() && w[2]->x() > w[1]->x());
        for (int i = 0; i < 3; ++i)
            QCOMPARE(w[i]->size(), sizes[i]);
        // The windows reach past the area's bottom edge: a scroll bar brings
        // them within reach.
        QTRY_VERIFY(m_main->mdiArea()->verticalScrollBar()->isVisible());
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
