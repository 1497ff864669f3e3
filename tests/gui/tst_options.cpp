#include "guiutil.h"

#include "core/settings/settings.h"
#include "gui/windows/graphwindow.h"
#include "gui/windows/optionsdialog.h"

#include "fakegraphsource.h"

#include <QAction>
#include <QCheckBox>
#include <QColorDialog>
#include <QGroupBox>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>

using namespace norva;
using namespace Qt::StringLiterals;

namespace {

const Settings::Key OptionKeys[] = {
    Settings::GraphFore, Settings::GraphBack,  Settings::GraphPoint,   Settings::GraphRank,
    Settings::GraphPart, Settings::GraphFlowR, Settings::GraphFlowPnt, Settings::AutoCalc};

QVariantList optionValues()
{
    QVariantList out;
    for (Settings::Key key : OptionKeys)
        out << guiutil::settings().value(key);
    return out;
}

} // namespace

class TestOptions : public QObject
{
    Q_OBJECT

    testutil::FakeGraphSource m_source;
    QColor m_chosen;
    int m_colorDialogs = 0;

    static void prepare(const testutil::ProgramDir &dir, const QStringList &extra = {})
    {
        guiutil::copyTables(dir);
        guiutil::writeSettings(dir, extra);
    }
    // Opens the options dialog with action and runs edit on it; edit closes it.
    static bool withOptions(const std::function<void()> &action,
                            const std::function<void(OptionsDialog *)> &edit)
    {
        return guiutil::withModal(action, [&](QWidget *w) {
            auto *dialog = qobject_cast<OptionsDialog *>(w);
            QVERIFY(dialog);
            edit(dialog);
        });
    }

private slots:
    void initTestCase()
    {
        guiutil::answerWithDefaults();
        m_source.setGames({10, -20, 30, 0});
        guiutil::setGraphSource(&m_source);
        guiutil::dialogs().color = ([this](QColorDialog &dialog) {
            ++m_colorDialogs;
            if (!m_chosen.isValid())
                return false; // Cancel
            dialog.setCurrentColor(m_chosen);
            return true;
        });
    }
    void init()
    {
        msgbox::clearShownBoxes();
        m_colorDialogs = 0;
        m_chosen = QColor();
    }

    void dialogLayout()
    {
        testutil::ProgramDir dir;
        prepare(dir, {u"VisibleWindow=0"_s, u"GraphRank=001002003"_s, u"AutoCalc=True"_s});
        QPointer<MainWindow> m = guiutil::start();
        QVERIFY(m);
        QVERIFY(withOptions(
            [&] { QTest::keyClick(m, Qt::Key_O, Qt::ControlModifier); },
            [&](OptionsDialog *d) {
                QCOMPARE(d->windowTitle(), u"オプション設定"_s);
                QCOMPARE(d->size(), QSize(288, 166));
                QCOMPARE(d->minimumSize(), d->maximumSize());
                QVERIFY(!(d->windowFlags()
                          & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
                QCOMPARE(d->font().family(), u"ＭＳ ゴシック"_s);
                QCOMPARE(d->font().pointSizeF(), 9.0);

                auto *save = d->findChild<QPushButton *>(u"cmdSaveClose"_s);
                auto *close = d->findChild<QPushButton *>(u"cmdClose"_s);
                QVERIFY(save && close);
                QCOMPARE(save->text(), u"設定(&S)"_s);
                QCOMPARE(save->toolTip(), u"設定を保存してウィンドウを閉じます。"_s);
                QCOMPARE(close->text(), u"中止(&C)"_s);
                QCOMPARE(close->toolTip(), u"変更内容を破棄してウィンドウを閉じます。"_s);
                QVERIFY(save->isDefault());
                QCOMPARE(d->autoCalcCheck()->text(), u"起動時に計算"_s);
                QVERIFY(d->autoCalcCheck()->isChecked());
                auto *frame = d->findChild<QGroupBox *>(u"fraGraphColor"_s);
                QVERIFY(frame);
                QCOMPARE(frame->title(), u"グラフ表示色"_s);

                const QStringList labels{u"前景"_s, u"背景"_s, u"得点"_s, u"順位"_s,
                                         u"翻別"_s, u"Ｒ値"_s, u"合計"_s};
                QWidget *w = save;
                const QList<QWidget *> order{close, d->autoCalcCheck()};
                for (QWidget *next : order) {
                    w = w->nextInFocusChain();
                    while (w->focusPolicy() == Qt::NoFocus)
                        w = w->nextInFocusChain();
                    QCOMPARE(w, next);
                }
                for (int i = 0; i < 7; ++i) {
                    auto *button = frame->findChild<ColorButton *>(u"cmdGraphColor(%1)"_s.arg(i));
                    auto *label = frame->findChild<QLabel *>(u"lblGraphColor(%1)"_s.arg(i));
                    QVERIFY(button && label);
                    QCOMPARE(button->property("index").toInt(), i);
                    QCOMPARE(label->property("index").toInt(), i);
                    QCOMPARE(label->text(), labels[i]);
                    QVERIFY(button->text().isEmpty());
                    // Tab goes through the colour buttons in order.
                    w = w->nextInFocusChain();
                    while (w->focusPolicy() == Qt::NoFocus)
                        w = w->nextInFocusChain();
                    QCOMPARE(w, button);
                }
                QCOMPARE(d->colorButton(1)->color(), 0xFFFFFF);
                QCOMPARE(d->colorButton(3)->color(), 1 + 2 * 256 + 3 * 65536);
                QCOMPARE(d->colorString(3), u"001002003"_s);
                d->closeWithoutSaving();
            }));
        QVERIFY(guiutil::finish(m));
    }

    // Cancel, Escape and the close box all leave every setting as it was.
    void discardingChangesNothing()
    {
        testutil::ProgramDir dir;
        prepare(dir, {u"VisibleWindow=0"_s});
        QPointer<MainWindow> m = guiutil::start();
        QVERIFY(m);
        const QVariantList before = optionValues();
        m_chosen = QColor(1, 2, 3);
        const auto edit = [&](OptionsDialog *d) {
            for (int i = 0; i < 7; ++i)
                d->colorButton(i)->click();
            d->autoCalcCheck()->click();
            QCOMPARE(d->colorString(6), u"001002003"_s);
        };
        QVERIFY(withOptions([&] { m->showOptions(); },
                            [&](OptionsDialog *d) {
                                edit(d);
                                d->findChild<QPushButton *>(u"cmdClose"_s)->click();
                            }));
        QVERIFY(withOptions([&] { m->showOptions(); },
                            [&](OptionsDialog *d) {
                                edit(d);
                                QTest::keyClick(d, Qt::Key_Escape);
                            }));
        QVERIFY(withOptions([&] { m->showOptions(); },
                            [&](OptionsDialog *d) {
                                edit(d);
                                d->close();
                            }));
        QCOMPARE(m_colorDialogs, 21);
        QCOMPARE(optionValues(), before);
        QVERIFY(guiutil::finish(m));
        QVERIFY(
            !cp932::decode(testutil::readAll(dir.file(u"norva.ini"_s))).contains(u"AutoCalc"_s));
    }

    // Cancel in the colour dialog keeps the button's colour.
    void cancelledColourDialog()
    {
        testutil::ProgramDir dir;
        prepare(dir, {u"VisibleWindow=0"_s});
        QPointer<MainWindow> m = guiutil::start();
        QVERIFY(m);
        QVERIFY(withOptions([&] { m->showOptions(); },
                            [&](OptionsDialog *d) {
                                d->colorButton(2)->click();
                                QCOMPARE(m_colorDialogs, 1);
                                QCOMPARE(d->colorString(2), u"255000000"_s);
                                d->saveAndClose();
                            }));
        QCOMPARE(guiutil::settings().value(Settings::GraphPoint).toString(), u"255000000"_s);
        QVERIFY(guiutil::finish(m));
    }

    void savingWithTheGraphWindowClosedLeavesItClosed()
    {
        testutil::ProgramDir dir;
        prepare(dir, {u"VisibleWindow=0"_s});
        QPointer<MainWindow> m = guiutil::start();
        QVERIFY(m);
        m_chosen = QColor(0, 0, 255);
        QVERIFY(withOptions([&] { m->toolbarButton(u"Customize"_s)->trigger(); },
                            [&](OptionsDialog *d) {
                                d->colorButton(0)->click();
                                d->autoCalcCheck()->setChecked(true);
                                QTest::keyClick(d, Qt::Key_Return);
                            }));
        QVERIFY(!guiutil::mainWindow()->graphWindow().isShown());
        QVERIFY(m->mdiArea()->subWindowList().isEmpty());
        QCOMPARE(guiutil::settings().value(Settings::GraphFore).toString(), u"000000255"_s);
        QCOMPARE(guiutil::settings().value(Settings::AutoCalc).toBool(), true);
        QVERIFY(guiutil::finish(m));
        const QString written = cp932::decode(testutil::readAll(dir.file(u"norva.ini"_s)));
        QVERIFY(written.contains(u"\r\nAutoCalc=True\r\n"_s));
        QVERIFY(written.contains(u"\r\nGraphFore=000000255\r\n"_s));
    }

    // The graph window is reopened where it stood, at its size and with its
    // selection, drawn in the new colours.
    void savingWithTheGraphWindowOpenReopensIt()
    {
        testutil::ProgramDir dir;
        prepare(dir, {u"VisibleWindow=16"_s, u"GraphDisp=1"_s});
        QPointer<MainWindow> m = guiutil::start();
        QVERIFY(m);
        GraphWindow &g = guiutil::mainWindow()->graphWindow();
        QPointer<QMdiSubWindow> before = g.subWindow();
        before->setGeometry(20, 10, 330, 220);
        QTest::qWait(50);
        g.graphToggle(3)->click(); // score and rating

        m_chosen = QColor(0, 0, 255);
        QVERIFY(withOptions([&] { m->showOptions(); },
                            [&](OptionsDialog *d) {
                                d->colorButton(2)->click();
                                d->saveAndClose();
                            }));
        QCOMPARE(guiutil::settings().value(Settings::GraphPoint).toString(), u"000000255"_s);
        QCOMPARE(guiutil::settings().value(Settings::GraphDisp).toInt(), 9);
        QCOMPARE(guiutil::settings().value(Settings::GraphWidth).toInt(), 4950);
        QCOMPARE(guiutil::settings().value(Settings::GraphHeight).toInt(), 3300);

        QTRY_VERIFY(!before);
        QVERIFY(g.isShown());
        QMdiSubWindow *after = g.subWindow();
        QCOMPARE(after->geometry(), QRect(20, 10, 330, 220));
        QCOMPARE(g.state().shownGraphs, 9);
        QCOMPARE(g.graphToggle(0)->isChecked(), false);
        QCOMPARE(g.graphToggle(1)->isChecked(), true);
        QCOMPARE(g.graphToggle(3)->isChecked(), false);
        QCOMPARE(g.graphToggle(0)->palette().color(QPalette::Window), QColor(0, 0, 255));
        QCOMPARE(g.graphToggle(0)->palette().color(QPalette::WindowText), QColor(255, 255, 0));
        bool blue = false, red = false;
        const QImage picture = g.picture();
        for (int y = 0; y < picture.height(); ++y) {
            for (int x = 0; x < picture.width(); ++x) {
                blue |= picture.pixelColor(x, y) == QColor(0, 0, 255);
                red |= picture.pixelColor(x, y) == QColor(255, 0, 0);
            }
        }
        QVERIFY(blue);
        QVERIFY(!red);
        QVERIFY(guiutil::finish(m));
    }
};

QTEST_MAIN(TestOptions)
#include "tst_options.moc"
