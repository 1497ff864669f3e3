#include "guiutil.h"

#include "core/calc/calcresults.h"
#include "core/settings/settings.h"
#include "gui/windows/graphwindow.h"

#include "fakegraphsource.h"

#include <QAction>
#include <QCheckBox>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QSet>

using namespace norva;
using namespace Qt::StringLiterals;

namespace {

QSet<QRgb> colours(const QImage &image)
{
    QSet<QRgb> out;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            out.insert(image.pixel(x, y) | 0xFF000000u);
    return out;
}

QRgb rgb(int r, int g, int b)
{
    return qRgb(r, g, b);
}

} // namespace

class TestGraphWindow : public QObject
{
    Q_OBJECT

    testutil::FakeGraphSource m_source;

    // A program folder whose settings open only the graph window.
    static void prepare(const testutil::ProgramDir &dir, const QStringList &extra = {})
    {
        guiutil::copyTables(dir);
        guiutil::writeSettings(dir, QStringList{u"VisibleWindow=16"_s} + extra);
    }
    static QMdiSubWindow *graphWindow() { return guiutil::mainWindow()->graphWindow().subWindow(); }
    static QList<bool> ticks()
    {
        QList<bool> out;
        for (int i = 0; i < 5; ++i)
            out << guiutil::mainWindow()->graphWindow().graphToggle(i)->isChecked();
        return out;
    }
    // Waits until the window's resizes have been handled.
    static void settle() { QTest::qWait(50); }

private slots:
    void initTestCase()
    {
        guiutil::answerWithDefaults();
        // Four games: the score graph and the running total share the line
        // from the second game (lowest of both) to the third (highest of both).
        m_source.setGames({10, -20, 30, 0}, {2, 4, 1, 3}, {1500, 1510, 1490, 1520});
        m_source.setWins({u"1翻"_s, u"2翻"_s}, {2, 4});
    }
    void init()
    {
        msgbox::clearShownBoxes();
        guiutil::setGraphSource(&m_source);
    }
    void cleanup() { guiutil::setGraphSource(nullptr); }

    void sharpOnDenseScreens()
    {
        // Also run at twice the scale (the test of that name in CTest): the
        // picture holds the screen's pixels, its colours mix as on any screen.
        testutil::ProgramDir dir;
        guiutil::copyTables(dir);
        QPointer<MainWindow> m = guiutil::start();
        QVERIFY(m);
        const GraphWindow &g = guiutil::mainWindow()->graphWindow();
        const QWidget *pic = graphWindow()->findChild<QWidget *>(u"picGameRpt"_s);
        const qreal ratio = pic->devicePixelRatioF();
        QCOMPARE(ratio, qEnvironmentVariableIntValue("QT_SCALE_FACTOR") == 2 ? 2.0 : 1.0);
        QTRY_COMPARE(g.picture().devicePixelRatio(), ratio);
        QCOMPARE(g.picture().size(), pic->size() * ratio);
        QTRY_VERIFY(colours(g.picture()).contains(rgb(128, 0, 128)));
        QVERIFY(guiutil::finish(m));
    }

    void firstStartOpensAtTheDefaultSizeWithEveryGraph()
    {
        testutil::ProgramDir dir;
        guiutil::copyTables(dir);
        QPointer<MainWindow> m = guiutil::start();
        QVERIFY(m);
        GraphWindow &g = guiutil::mainWindow()->graphWindow();
        QVERIFY(g.isShown());
        QCOMPARE(g.outerWidth(), 5205);
        QCOMPARE(g.outerHeight(), 3200);
        QCOMPARE(g.graphWidth(), 5205);
        QCOMPARE(g.state().shownGraphs, 31);
        QCOMPARE(ticks(), QList<bool>(5, false));
        QCOMPARE(graphWindow()->windowTitle(), u"グラフ表示"_s);

        const QStringList captions{u"得点(&P)"_s, u"順位(&K)"_s, u"翻別(&V)"_s, u"Ｒ値(&E)"_s,
                                   u"合計(&T)"_s};
        for (int i = 0; i < 5; ++i) {
            auto *chk = graphWindow()->findChild<QCheckBox *>(u"chkSelectGraph(%1)"_s.arg(i));
            QVERIFY(chk);
            QCOMPARE(chk->property("index").toInt(), i);
            QCOMPARE(chk->text(), captions[i]);
            QVERIFY(chk->font().bold());
            QCOMPARE(chk->font().pointSizeF(), 9.0);
            QCOMPARE(chk->font().family(), u"ＭＳ ゴシック"_s);
        }
        // The picture fills the client area but for the margins.
        QWidget *pic = graphWindow()->findChild<QWidget *>(u"picGameRpt"_s);
        QVERIFY(pic);
        const QWidget *client = g.client();
        QCOMPARE(pic->pos(), QPoint(8, 32));
        QCOMPARE(pic->width(), qRound((client->width() * 15 - 250) / 15.0));
        QCOMPARE(pic->height(), qRound((client->height() * 15 - 580) / 15.0));
        QCOMPARE(g.picture().size(), pic->size());
        // Every graph drawn: the colours of all five show.
        const QSet<QRgb> seen = colours(g.picture());
        for (QRgb c : {rgb(255, 0, 0), rgb(255, 128, 64), rgb(0, 128, 0), rgb(0, 128, 255),
                       rgb(128, 0, 128)})
            QVERIFY2(seen.contains(c), qPrintable(QString::number(c, 16)));

        const QPointer<QMdiSubWindow> sub = g.subWindow();
        QVERIFY(guiutil::finish(m));
        QVERIFY(!sub);
        QCOMPARE(guiutil::settings().value(Settings::GraphWidth).toInt(), 5205);
        QCOMPARE(guiutil::settings().value(Settings::GraphHeight).toInt(), 3200);
        QCOMPARE(guiutil::settings().value(Settings::GraphDisp).toInt(), 31);
    }

    void togglesChooseTheGraphs()
    {
        testutil::ProgramDir dir;
        prepare(dir, {u"GraphDisp=0"_s});
        QPointer<MainWindow> m = guiutil::start();
        QVERIFY(m);
        GraphWindow &g = guiutil::mainWindow()->graphWindow();
        QCOMPARE(ticks(), QList<bool>(5, true));
        QCOMPARE(g.state().shownGraphs, 0);
        // Only the axis.
        QCOMPARE(colours(g.picture()), (QSet<QRgb>{rgb(255, 255, 255), rgb(0, 0, 0)}));

        g.graphToggle(0)->click();
        QCOMPARE(g.state().shownGraphs, 1);
        QVERIFY(colours(g.picture()).contains(rgb(255, 0, 0)));
        QVERIFY(!colours(g.picture()).contains(rgb(128, 0, 128)));

        // Its access key ticks it again.
        m->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m));
        QTest::keyClick(m, Qt::Key_P, Qt::AltModifier);
        QTRY_COMPARE(g.state().shownGraphs, 0);
        QVERIFY(!colours(g.picture()).contains(rgb(255, 0, 0)));

        g.graphToggle(4)->click();
        g.graphToggle(2)->click();
        QCOMPARE(g.state().shownGraphs, 20);
        g.graphToggle(4)->click();
        g.graphToggle(0)->click();
        QCOMPARE(g.state().shownGraphs, 5);

        QVERIFY(guiutil::finish(m));
        QCOMPARE(guiutil::settings().value(Settings::GraphDisp).toInt(), 5);
    }

    void storedSelectionComesBack()
    {
        testutil::ProgramDir dir;
        prepare(dir, {u"GraphDisp=10"_s});
        QPointer<MainWindow> m = guiutil::start();
        QVERIFY(m);
        QCOMPARE(ticks(), (QList<bool>{true, false, true, false, true}));
        QCOMPARE(guiutil::mainWindow()->graphWindow().state().shownGraphs, 10);
        QVERIFY(guiutil::finish(m));
        QCOMPARE(guiutil::settings().value(Settings::GraphDisp).toInt(), 10);
    }

    // Where the score graph and the running total run over one another the
    // picture shows the AND of their colours.
    void overlappingGraphsMix()
    {
        testutil::ProgramDir dir;
        prepare(dir, {u"GraphDisp=17"_s});
        QPointer<MainWindow> m = guiutil::start();
        QVERIFY(m);
        const QImage image = guiutil::mainWindow()->graphWindow().picture();
        const double w = image.width() * 15.0;
        const double xstep = (w - 700) / 4;
        const int xMid = qRound((2.5 * xstep + 350) / 15);
        const int yMid = image.height() / 2;
        QList<QRgb> onLine;
        for (int x = xMid - 20; x <= xMid + 20; ++x) {
            if ((image.pixel(x, yMid) | 0xFF000000u) != rgb(255, 255, 255))
                onLine << (image.pixel(x, yMid) | 0xFF000000u);
        }
        QVERIFY(!onLine.isEmpty());
        for (QRgb c : onLine)
            QCOMPARE(QColor(c), QColor(128, 0, 0));
        // Apart from each other both keep their own colour.
        const QSet<QRgb> seen = colours(image);
        QVERIFY(seen.contains(rgb(255, 0, 0)));
        QVERIFY(seen.contains(rgb(128, 0, 128)));
        QVERIFY(guiutil::finish(m));
    }

    void coloursFromTheSettings()
    {
        testutil::ProgramDir dir;
        prepare(dir, {u"GraphPoint=000128255"_s, u"GraphBack=200200200"_s, u"GraphDisp=1"_s});
        QPointer<MainWindow> m = guiutil::start();
        QVERIFY(m);
        GraphWindow &g = guiutil::mainWindow()->graphWindow();
        QCOMPARE(g.state().scoreColor, 16744448);
        const QPalette pal = g.graphToggle(0)->palette();
        QCOMPARE(pal.color(QPalette::Window), QColor(0, 128, 255));
        QCOMPARE(pal.color(QPalette::WindowText), QColor(255, 127, 0));
        // As the toggle shows itself: its colour beside the caption.
        const QImage shown = g.graphToggle(0)->grab().toImage();
        QCOMPARE(shown.pixelColor(shown.width() - 2, shown.height() / 2), QColor(0, 128, 255));
        // The other toggles keep the defaults: orange with its complement.
        QCOMPARE(g.graphToggle(1)->palette().color(QPalette::Window), QColor(255, 128, 64));
        QCOMPARE(g.graphToggle(1)->palette().color(QPalette::WindowText), QColor(0, 127, 191));
        // The picture is erased to the background, and the score line mixes with it.
        const QSet<QRgb> seen = colours(g.picture());
        QVERIFY(seen.contains(rgb(200, 200, 200)));
        QVERIFY(seen.contains(rgb(0, 128 & 200, 255 & 200)));
        QVERIFY(!seen.contains(rgb(255, 255, 255)));
        QVERIFY(guiutil::finish(m));
    }

    // Only a normal window's size is remembered: maximised and minimised
    // sizes are not.
    void closingAfterMaximisingStoresTheNormalSize()
    {
        testutil::ProgramDir dir;
        prepare(dir, {u"GraphWidth=4500"_s, u"GraphHeight=3000"_s});
        QPointer<MainWindow> m = guiutil::start();
        QVERIFY(m);
        GraphWindow &g = guiutil::mainWindow()->graphWindow();
        QMdiSubWindow *sub = graphWindow();
        QCOMPARE(sub->size(), QSize(300, 200));
        sub->resize(320, 210);
        settle();
        QCOMPARE(g.graphWidth(), 4800);
        QCOMPARE(g.graphHeight(), 3150);

        sub->showMaximized();
        QTRY_VERIFY(sub->isMaximized());
        settle();
        QVERIFY(sub->width() > 320);
        QCOMPARE(g.picture().width(), g.client()->width() - 17);
        QCOMPARE(g.graphWidth(), 4800);
        QCOMPARE(g.graphHeight(), 3150);
        sub->showMinimized();
        settle();
        QCOMPARE(g.graphWidth(), 4800);
        sub->showMaximized();
        settle();

        sub->close();
        QVERIFY(!g.isShown());
        QCOMPARE(guiutil::settings().value(Settings::GraphWidth).toInt(), 4800);
        QCOMPARE(guiutil::settings().value(Settings::GraphHeight).toInt(), 3150);

        // Opened again from the View menu at that size.
        QTest::keyClick(m, Qt::Key_G, Qt::ControlModifier);
        QVERIFY(g.isShown());
        QCOMPARE(graphWindow()->size(), QSize(320, 210));
        QVERIFY(guiutil::finish(m));
        QCOMPARE(guiutil::settings().value(Settings::GraphWidth).toInt(), 4800);
    }

    void sizesBeyondSixteenBitsAreHeld()
    {
        testutil::ProgramDir dir;
        prepare(dir, {u"GraphWidth=40000"_s, u"GraphHeight=3000"_s});
        QPointer<MainWindow> m = guiutil::start();
        QVERIFY(m);
        GraphWindow &g = guiutil::mainWindow()->graphWindow();
        QCOMPARE(g.graphWidth(), 32767);
        QCOMPARE(graphWindow()->width(), 2184);

        // Lower than 1000 twips: the picture keeps its height, its width
        // follows the window, and the width is held at the 16-bit limit.
        const int pictureHeight = g.picture().height();
        graphWindow()->resize(2300, 60);
        settle();
        QCOMPARE(graphWindow()->size(), QSize(2300, 60));
        QCOMPARE(g.graphWidth(), 32767);
        QCOMPARE(g.graphHeight(), 900);
        QCOMPARE(g.picture().height(), pictureHeight);
        QCOMPARE(g.picture().width(), g.client()->width() - 17);

        QVERIFY(guiutil::finish(m));
        QCOMPARE(guiutil::settings().value(Settings::GraphWidth).toInt(), 32767);
        QCOMPARE(guiutil::settings().value(Settings::GraphHeight).toInt(), 900);
    }

    // The View menu, its key and the toolbar button open the window; a
    // calculation redraws it with its results.
    void openedFromTheViewMenuAndRedrawnByACalculation()
    {
        guiutil::setGraphSource(nullptr);
        testutil::ProgramDir dir;
        guiutil::copyTables(dir);
        QVERIFY(QFile::copy(QStringLiteral(NORVA_TEST_DATA "/calc-small.log"),
                            dir.file(u"MjScore.txt"_s)));
        guiutil::writeSettings(
            dir, {u"UserName=かもめ"_s, u"SpecifyDate=False"_s, u"VisibleWindow=0"_s});
        guiutil::session().results().clear();
        QPointer<MainWindow> m = guiutil::start();
        QVERIFY(m);
        GraphWindow &g = guiutil::mainWindow()->graphWindow();
        QVERIFY(!g.isShown());
        QTest::keyClick(m, Qt::Key_G, Qt::ControlModifier);
        QVERIFY(g.isShown());
        graphWindow()->close();
        m->toolbarButton(u"GraphWindow"_s)->trigger();
        QVERIFY(g.isShown());
        m->menuAction(u"mnuViewGraph"_s)->trigger(); // already open: stays open
        QCOMPARE(m->mdiArea()->subWindowList().size(), 1);

        // No results yet: the axis alone.
        QTRY_COMPARE(colours(g.picture()), (QSet<QRgb>{rgb(255, 255, 255), rgb(0, 0, 0)}));
        m->menuAction(u"mnuEditCalc"_s)->trigger();
        QVERIFY(guiutil::session().results().value(0).toInt() > 1);
        QVERIFY(colours(g.picture()).contains(rgb(255, 0, 0)));
        QVERIFY(guiutil::finish(m));
        QVERIFY(guiutil::settings().value(Settings::VisibleWindow).toInt() == 16);
    }
};

QTEST_MAIN(TestGraphWindow)
#include "tst_graphwindow.moc"
