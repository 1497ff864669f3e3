#include "guiutil.h"

#include "core/calc/calcresults.h"
#include "core/common/convert.h"
#include "core/common/datetime.h"
#include "core/settings/settings.h"
#include "gui/widgets/fixedlayout.h"
#include "gui/windows/mainwindow.h"
#include "gui/windows/userwindow.h"

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMimeData>
#include <QStyle>
#include <QStyleFactory>
#include <QUrl>

using namespace norva;
using namespace Qt::StringLiterals;

// The calculation settings window and File > Score file.
class TestSettingsWindow : public QObject
{
    Q_OBJECT

    std::unique_ptr<testutil::ProgramDir> m_dir;
    QPointer<MainWindow> m_main;

    // The ten date and time boxes.
    static QStringList dateBoxNames()
    {
        return {u"txtStartDate(0)"_s, u"txtStartDate(1)"_s, u"txtStartDate(2)"_s,
                u"txtStartTime(0)"_s, u"txtStartTime(1)"_s, u"txtEndDate(0)"_s,
                u"txtEndDate(1)"_s,   u"txtEndDate(2)"_s,   u"txtEndTime(0)"_s,
                u"txtEndTime(1)"_s};
    }
    // Starts the program with the settings window open (unless the settings
    // say otherwise), the small fixture log and these settings and tables.
    void startWith(const QStringList &settings, const QStringList &tables = {})
    {
        m_dir = std::make_unique<testutil::ProgramDir>();
        if (tables.isEmpty())
            guiutil::copyTables(*m_dir);
        else
            QVERIFY(
                testutil::writeAll(m_dir->file(u"norva.dat"_s),
                                   testutil::cp932Lines(QStringList{u"[計算情報]"_s} + tables)));
        QVERIFY(QFile::copy(QStringLiteral(NORVA_TEST_DATA "/calc-small.log"),
                            m_dir->file(u"MjScore.txt"_s)));
        guiutil::writeSettings(*m_dir, QStringList{u"VisibleWindow=1"_s} + settings);
        m_main = guiutil::start();
        QVERIFY(m_main);
        QVERIFY(QTest::qWaitForWindowActive(m_main));
    }
    template<typename T = QWidget>
    static T *control(const QString &name)
    {
        QWidget *form = guiutil::mainWindow()->userWindow().client();
        return form ? form->findChild<T *>(name) : nullptr;
    }
    static QString text(const QString &name) { return control<QLineEdit>(name)->text(); }
    static void type(const QString &name, const QString &keys)
    {
        QLineEdit *box = control<QLineEdit>(name);
        box->setFocus();
        box->selectAll();
        // Typed key by key; keys beyond ASCII arrive as their text alone.
        for (const QChar c : keys) {
            if (c.unicode() < 0x7f)
                QTest::keyClick(box, char(c.unicode()));
            else
                QTest::sendKeyEvent(QTest::Click, box, Qt::Key_unknown, QString(c), {});
        }
    }
    static void closeWindow() { guiutil::mainWindow()->userWindow().subWindow()->close(); }
    static QVariant setting(const QString &key)
    {
        return guiutil::settings().value(*Settings::keyNamed(key));
    }
    static QString param(const QString &key) { return variantToText(setting(key)); }
    static QDate paramDate(const QString &key) { return setting(key).toDateTime().date(); }
    static QTime paramTime(const QString &key) { return setting(key).toDateTime().time(); }

private slots:
    void initTestCase() { guiutil::answerWithDefaults(); }
    void init() { msgbox::clearShownBoxes(); }
    void cleanup()
    {
        guiutil::dialogs().file = nullptr;
        QVERIFY(guiutil::finish(m_main));
        m_dir.reset();
    }

    void controlsLayout()
    {
        startWith({});
        QWidget *form = guiutil::mainWindow()->userWindow().client();
        QCOMPARE(guiutil::mainWindow()->userWindow().subWindow()->windowTitle(), u"計算情報"_s);
        QCOMPARE(form->font().family(), u"ＭＳ Ｐゴシック"_s);

        // Tab order from the score file box through every box to the second
        // table kind box, and the longest text each date box takes.
        const QStringList order =
            QStringList{u"txtFileName"_s, u"txtUserName"_s, u"chkSpecifyDate"_s} + dateBoxNames()
            + QStringList{u"cmbTableInfo(1)"_s, u"cmbTableInfo(2)"_s};
        QStringList walked;
        QWidget *w = control(u"txtFileName"_s);
        for (int i = 0; i < order.size(); ++i) {
            walked << w->objectName();
            do
                w = w->nextInFocusChain();
            while (!(w->focusPolicy() & Qt::TabFocus) || !form->isAncestorOf(w));
        }
        QCOMPARE(walked, order);
        for (const QString &name : dateBoxNames())
            QCOMPARE(control<QLineEdit>(name)->maxLength(), name.endsWith(u"Date(0)"_s) ? 4 : 2);
        QCOMPARE(control(u"txtStartDate(2)"_s)->property("index").toInt(), 2);
        QCOMPARE(control(u"cmbTableInfo(2)"_s)->property("index").toInt(), 2);

        QCOMPARE(control(u"txtFileName"_s)->geometry(), twipsRect(240, 360, 4695, 270));
        QCOMPARE(control(u"txtEndTime(1)"_s)->geometry(), twipsRect(4320, 2040, 495, 270));
        QCOMPARE(control(u"txtStartDate(0)"_s)->geometry(), twipsRect(1080, 1680, 735, 270));
        QCOMPARE(control(u"cmbTableInfo(2)"_s)->geometry(), twipsRect(2640, 2520, 2175, 300));
        QCOMPARE(control<QLabel>(u"lblEndMinute"_s)->text(), u"分"_s);
        QCOMPARE(control(u"lblEndMinute"_s)->geometry(), twipsRect(4800, 2160, 255, 255));
        // The check box keeps its row, grown only as far as its box needs.
        auto *check = control<QCheckBox>(u"chkSpecifyDate"_s);
        QVERIFY(qAbs(check->geometry().center().y() - twipsRect(240, 1440, 2175, 180).center().y())
                <= 1);
        QVERIFY(check->height() >= check->sizeHint().height());
        QCOMPARE(check->text(), u"計算日付を指定しない。"_s);

        // The window opens with the focus in the score file box.
        QTRY_COMPARE(QApplication::focusWidget(), control(u"txtFileName"_s));
    }

    void storedValuesFillTheBoxes()
    {
        startWith({u"ScoreFile=/logs/mjscore.txt"_s, u"UserName=かもめ"_s, u"StartDate=2009/4/1"_s,
                   u"StartTime=9:5"_s, u"EndDate=2010/12/31"_s, u"EndTime=23:59"_s});
        QCOMPARE(text(u"txtFileName"_s), u"/logs/mjscore.txt"_s);
        QCOMPARE(text(u"txtUserName"_s), u"かもめ"_s);
        QStringList shown;
        for (const QString &name : dateBoxNames())
            shown << text(name);
        QCOMPARE(shown, (QStringList{u"2009"_s, u"4"_s, u"1"_s, u"9"_s, u"5"_s, u"2010"_s, u"12"_s,
                                     u"31"_s, u"23"_s, u"59"_s}));
        QVERIFY(!control<QCheckBox>(u"chkSpecifyDate"_s)->isChecked());
        QVERIFY(control(u"txtEndTime(1)"_s)->isEnabled());

        // Closed, the window hands the same values back.
        closeWindow();
        QCOMPARE(paramTime(u"StartTime"_s), QTime(9, 5));
        QCOMPARE(paramDate(u"EndDate"_s), QDate(2010, 12, 31));
        QVERIFY(guiutil::finish(m_main));
        const QString ini = cp932::decode(testutil::readAll(m_dir->file(u"norva.ini"_s)));
        QVERIFY(ini.contains(u"\r\nStartTime=9:5\r\n"_s));
        QVERIFY(ini.contains(u"\r\nScoreFile=/logs/mjscore.txt\r\n"_s));
    }

    void impossibleDateOnCloseKeepsTheOldValue()
    {
        startWith({u"StartDate=2009/4/1"_s, u"EndDate=2009/4/30"_s, u"UserName=かもめ"_s});
        type(u"txtEndDate(1)"_s, u"13"_s);
        type(u"txtStartDate(2)"_s, u"5"_s);
        type(u"txtEndTime(0)"_s, u"18"_s);
        type(u"txtUserName"_s, u"ねこまた"_s);
        control<QComboBox>(u"cmbTableInfo(2)"_s)->setCurrentIndex(2);
        closeWindow();
        QVERIFY(!guiutil::mainWindow()->userWindow().isOpen());
        QVERIFY(msgbox::shownBoxes().isEmpty());
        QCOMPARE(paramDate(u"EndDate"_s), QDate(2009, 4, 30));
        // The steps before and after the refused one ran.
        QCOMPARE(paramDate(u"StartDate"_s), QDate(2009, 4, 5));
        QCOMPARE(param(u"UserName"_s), u"ねこまた"_s);
        QCOMPARE(paramTime(u"EndTime"_s).hour(), 18);
        QCOMPARE(param(u"TableKind2"_s), u"4"_s);
    }

    void impossibleDateStopsTheCalculation()
    {
        startWith({u"SpecifyDate=False"_s, u"UserName=かもめ"_s, u"StartDate=2009/4/1"_s,
                   u"TableKind1=4"_s});
        const QString otherLog = m_dir->file(u"other.txt"_s);
        QVERIFY(QFile::copy(m_dir->file(u"MjScore.txt"_s), otherLog));
        QTest::mouseClick(control(u"chkSpecifyDate"_s), Qt::LeftButton, {}, QPoint(6, 6));
        QVERIFY(!control<QCheckBox>(u"chkSpecifyDate"_s)->isChecked());
        control<QLineEdit>(u"txtFileName"_s)->setText(otherLog);
        type(u"txtUserName"_s, u" ねこまた "_s);
        type(u"txtStartDate(1)"_s, u"13"_s);
        control<QComboBox>(u"cmbTableInfo(1)"_s)->setCurrentIndex(1);

        QTest::keyClick(m_main, Qt::Key_L, Qt::ControlModifier);
        QCOMPARE(msgbox::shownBoxes().size(), 1);
        const ShownBox box = msgbox::shownBoxes()[0];
        QCOMPARE(box.title, u"エラー"_s);
        QCOMPARE(box.icon, QMessageBox::Critical);
        QCOMPARE(box.text,
                 u"計算できませんでした。\r\n設定情報を確認してください。（不正な日付など）"_s);
        // Taken over up to the refused date, nothing after it.
        QCOMPARE(param(u"ScoreFile"_s), otherLog);
        QCOMPARE(param(u"UserName"_s), u"ねこまた"_s);
        QCOMPARE(param(u"SpecifyDate"_s), u"True"_s);
        QCOMPARE(paramDate(u"StartDate"_s), QDate(2009, 4, 1));
        QCOMPARE(param(u"TableKind1"_s), u"4"_s);
        QCOMPARE(guiutil::session().results().value(0).toInt(), 0);
        QVERIFY(!m_main->menuAction(u"mnuFileSave"_s)->isEnabled());
    }

    void userNameTrimmedByTheRunOnly()
    {
        startWith({u"SpecifyDate=False"_s});
        type(u"txtUserName"_s, u"  かもめ  "_s);
        m_main->calculation().calculate();
        QCOMPARE(param(u"UserName"_s), u"かもめ"_s);
        QVERIFY(msgbox::shownBoxes().isEmpty());
        QVERIFY(guiutil::session().results().value(0).toInt() > 0);
        QCOMPARE(text(u"txtUserName"_s), u"  かもめ  "_s);
        closeWindow();
        QCOMPARE(param(u"UserName"_s), u"  かもめ  "_s);
    }

    void digitsOnly_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("shown");
        QTest::newRow("letters between digits") << u"txtStartDate(1)"_s << u"a1b2c"_s << u"12"_s;
        QTest::newRow("year") << u"txtEndDate(0)"_s << u"20x09"_s << u"2009"_s;
        QTest::newRow("too long") << u"txtEndTime(1)"_s << u"123"_s << u"12"_s;
        QTest::newRow("signs and blanks") << u"txtStartTime(0)"_s << u"-1 +2."_s << u"12"_s;
        QTest::newRow("full-width digits") << u"txtStartDate(2)"_s << u"１2"_s << u"2"_s;
    }
    void digitsOnly()
    {
        QFETCH(QString, box);
        QFETCH(QString, keys);
        QFETCH(QString, shown);
        startWith({});
        type(box, keys);
        QCOMPARE(text(box), shown);
    }

    void editingKeysAndPasteInDateBoxes()
    {
        startWith({});
        auto *box = control<QLineEdit>(u"txtEndDate(0)"_s);
        type(u"txtEndDate(0)"_s, u"2009"_s);
        QTest::keyClick(box, Qt::Key_Backspace);
        QCOMPARE(box->text(), u"200"_s);
        QTest::keyClick(box, Qt::Key_Home);
        QTest::keyClick(box, Qt::Key_Delete);
        QCOMPARE(box->text(), u"00"_s);

        box->selectAll();
        QGuiApplication::clipboard()->setText(u"12ab"_s);
        box->paste();
        QCOMPARE(box->text(), u"00"_s);
        QGuiApplication::clipboard()->setText(u"1999"_s);
        box->paste();
        QCOMPARE(box->text(), u"1999"_s);
    }

    void selectsAllOnFocus()
    {
        startWith({u"UserName=かもめ"_s, u"StartDate=2009/4/1"_s});
        auto *name = control<QLineEdit>(u"txtUserName"_s);
        auto *year = control<QLineEdit>(u"txtStartDate(0)"_s);
        name->setFocus(Qt::OtherFocusReason);
        QTRY_VERIFY(name->hasFocus());
        QCOMPARE(name->selectedText(), u"かもめ"_s);
        year->setFocus(Qt::MouseFocusReason);
        QTRY_VERIFY(year->hasFocus());
        QCOMPARE(year->selectedText(), u"2009"_s);
    }

    void droppedFiles()
    {
        startWith({});
        auto *box = control<QLineEdit>(u"txtFileName"_s);
        const QString first = m_dir->file(u"first log.txt"_s);
        const QString second = m_dir->file(u"second.txt"_s);
        auto drop = [box](QMimeData *data) {
            QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, data, Qt::LeftButton, {});
            QCoreApplication::sendEvent(box, &enter);
            QDropEvent dropped(QPointF(5, 5), Qt::CopyAction, data, Qt::LeftButton, {});
            QCoreApplication::sendEvent(box, &dropped);
            return enter.isAccepted();
        };

        QMimeData files;
        files.setUrls({QUrl::fromLocalFile(first), QUrl::fromLocalFile(second)});
        QVERIFY(drop(&files));
        QCOMPARE(box->text(), first);

        // Anything but files is refused.
        QMimeData plain;
        plain.setText(u"/tmp/typed.txt"_s);
        QVERIFY(!drop(&plain));
        QCOMPARE(box->text(), first);
        QMimeData web;
        web.setUrls({QUrl(u"https://example.org/mjscore.txt"_s)});
        QVERIFY(!drop(&web));
        QCOMPARE(box->text(), first);
    }

    void checkBoxSwitchesTheDatesOff()
    {
        startWith({u"StartDate=2009/4/1"_s, u"EndDate=2009/4/30"_s});
        auto *check = control<QCheckBox>(u"chkSpecifyDate"_s);
        auto enabledBoxes = [] {
            int n = 0;
            for (const QString &name : dateBoxNames())
                n += control(name)->isEnabled();
            return n;
        };
        QCOMPARE(enabledBoxes(), 10);
        type(u"txtStartDate(2)"_s, u"3"_s);
        QTest::mouseClick(check, Qt::LeftButton, {}, QPoint(6, 6));
        QVERIFY(check->isChecked());
        QCOMPARE(enabledBoxes(), 0);
        QTest::keyClick(check, Qt::Key_Space);
        QCOMPARE(enabledBoxes(), 10);
        QTest::keyClick(check, Qt::Key_Space);

        // Closed while checked: no date filter, the dates still as shown.
        closeWindow();
        QCOMPARE(param(u"SpecifyDate"_s), u"False"_s);
        QCOMPARE(paramDate(u"StartDate"_s), QDate(2009, 4, 3));

        // Opened again: checked from the setting, dates off.
        m_main->userWindow().show();
        QVERIFY(control<QCheckBox>(u"chkSpecifyDate"_s)->isChecked());
        QCOMPARE(enabledBoxes(), 0);
    }

    void tableKindChoice_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<int>("selected");
        QTest::newRow("the later of two") << u"1"_s << 2;
        QTest::newRow("single") << u"4"_s << 1;
        QTest::newRow("none matches") << u"99"_s << 0;
    }
    void tableKindChoice()
    {
        QFETCH(QString, stored);
        QFETCH(int, selected);
        startWith({u"TableKind1="_s + stored},
                  {u"TableString1=1,東風戦"_s, u"TableString2=1,一般卓"_s, u"TableInfo1=5,すべて"_s,
                   u"TableInfo1=4,東南戦"_s, u"TableInfo1=1,東風戦"_s, u"TableInfo2=1,一般卓"_s});
        auto *box = control<QComboBox>(u"cmbTableInfo(1)"_s);
        QCOMPARE(box->count(), 3);
        QCOMPARE(box->currentIndex(), selected);
        QCOMPARE(box->itemText(1), u"東南戦"_s);
        QCOMPARE(box->itemData(1).toInt(), 4);

        box->setCurrentIndex(1);
        closeWindow();
        QCOMPARE(param(u"TableKind1"_s), u"4"_s);
    }

    void emptyTableGroup()
    {
        startWith(
            {u"TableKind2=5"_s, u"SpecifyDate=False"_s, u"UserName=かもめ"_s},
            {u"TableString1=1,東風戦"_s, u"TableString2=1,一般卓"_s, u"TableInfo1=1,東風戦"_s});
        auto *box = control<QComboBox>(u"cmbTableInfo(2)"_s);
        QCOMPARE(box->count(), 1);
        QCOMPARE(box->currentText(), u"情報がありません"_s);
        QVERIFY(!box->isEnabled());
        QVERIFY(control(u"cmbTableInfo(1)"_s)->isEnabled());

        m_main->calculation().calculate();
        QCOMPARE(param(u"TableKind2"_s), u"5"_s);
        closeWindow();
        QCOMPARE(param(u"TableKind2"_s), u"5"_s);
        QCOMPARE(param(u"TableKind1"_s), u"1"_s);
    }

    // An open list reaches 1000 pixels down from the top of the box, so a
    // long list shows far more than the usual ten lines.
    void longDropDownList()
    {
        QStringList tables{u"TableString1=1,東風戦"_s, u"TableString2=1,一般卓"_s};
        for (int i = 0; i < 60; ++i)
            tables << u"TableInfo1=%1,卓%1"_s.arg(i);
        startWith({}, tables);
        auto *box = control<QComboBox>(u"cmbTableInfo(1)"_s);
        // A style whose lists drop down below the box, as on Windows (others lay the whole list
        // over the box).
        const std::unique_ptr<QStyle> style(QStyleFactory::create(u"Windows"_s));
        QVERIFY(style);
        QVERIFY(!style->styleHint(QStyle::SH_ComboBox_Popup));
        box->setStyle(style.get());
        box->showPopup();
        QWidget *popup = box->view()->window();
        QTRY_VERIFY(popup->isVisible());
        const int row = box->view()->sizeHintForRow(0);
        QVERIFY(popup->height() > 20 * row);
        QVERIFY(popup->height() <= 1000 - box->height());
        box->hidePopup();
        box->setStyle(nullptr);
    }

    void missingScoreFileFocusesTheBox()
    {
        startWith({u"SpecifyDate=False"_s});
        const QString missing = m_dir->file(u"nothing.txt"_s);
        control<QLineEdit>(u"txtFileName"_s)->setText(missing);
        control(u"txtUserName"_s)->setFocus();
        m_main->calculation().calculate();
        QCOMPARE(msgbox::shownBoxes().size(), 1);
        QVERIFY(msgbox::shownBoxes()[0].text.startsWith(u"スコアファイルが見つかりません。\r\n"_s
                                                        + missing + u"\r\n"_s));
        QTRY_COMPARE(QApplication::focusWidget(), control(u"txtFileName"_s));
        QCOMPARE(control<QLineEdit>(u"txtFileName"_s)->selectedText(), missing);
    }

    // In a text box its editing keys act on the text (Ctrl+A must not open the
    // stage window, Ctrl+W deletes a word rather than open the win window);
    // the other shortcuts are the menus', F1 and Ctrl+Q too.
    void textBoxKeysAndMenuShortcuts()
    {
        startWith({u"UserName=かもめ"_s, u"VisibleWindow=1"_s});
        auto *name = control<QLineEdit>(u"txtUserName"_s);
        name->setFocus();
        QTRY_VERIFY(name->hasFocus());
        name->end(false);
        const auto key = [name](Qt::Key k, Qt::KeyboardModifiers mod = Qt::ControlModifier) {
            QTest::keyClick(name, k, mod);
        };
        key(Qt::Key_A);
        QCOMPARE(name->selectedText(), u"かもめ"_s);
        key(Qt::Key_C);
        QCOMPARE(QGuiApplication::clipboard()->text(), u"かもめ"_s);
        key(Qt::Key_X);
        QCOMPARE(name->text(), QString());
        key(Qt::Key_Z);
        QCOMPARE(name->text(), u"かもめ"_s);
        name->end(false);
        key(Qt::Key_V);
        QCOMPARE(name->text(), u"かもめかもめ"_s);
        key(Qt::Key_Home, Qt::NoModifier);
        key(Qt::Key_Delete, Qt::NoModifier);
        QCOMPARE(name->text(), u"もめかもめ"_s);
        name->setText(u"かもめ Kumo-7"_s);
        name->end(false);
        key(Qt::Key_W);
        QCOMPARE(name->text(), u"かもめ "_s);
        QCOMPARE(m_main->mdiArea()->subWindowList().size(), 1);

        QStringList opened;
        for (Qt::Key k : {Qt::Key_R, Qt::Key_U}) {
            name->setFocus();
            key(k);
            opened << m_main->mdiArea()->activeSubWindow()->objectName();
        }
        QCOMPARE(opened, (QStringList{u"frmRank"_s, u"frmUser"_s}));
        // No manual in the program folder: F1 says so.
        key(Qt::Key_F1, Qt::NoModifier);
        QCOMPARE(msgbox::shownBoxes().size(), 1);
        QVERIFY(msgbox::shownBoxes()[0].text.startsWith(u"ヘルプファイルが見つかりません"_s));
        key(Qt::Key_Q);
        QTRY_VERIFY(!m_main);
    }

    void exitStoresTheFields()
    {
        startWith({});
        type(u"txtUserName"_s, u"ねこまた"_s);
        QVERIFY(guiutil::finish(m_main));
        const QString ini = cp932::decode(testutil::readAll(m_dir->file(u"norva.ini"_s)));
        QVERIFY(ini.contains(u"\r\nUserName=ねこまた\r\n"_s));
        QVERIFY(ini.contains(u"\r\nVisibleWindow=1\r\n"_s));
    }

    void scoreFileCommand_data()
    {
        QTest::addColumn<bool>("open");    // the settings window open before
        QTest::addColumn<bool>("toolbar"); // through the toolbar button
        QTest::newRow("window closed") << false << false;
        QTest::newRow("window open") << true << false;
        QTest::newRow("toolbar") << false << true;
    }
    void scoreFileCommand()
    {
        QFETCH(bool, open);
        QFETCH(bool, toolbar);
        startWith({u"UserName=かもめ"_s, open ? u"VisibleWindow=1"_s : u"VisibleWindow=0"_s});
        const QString stored = param(u"ScoreFile"_s);
        const QString chosen = m_dir->file(u"MjScore.txt"_s);
        if (open)
            type(u"txtUserName"_s, u"ねこまた"_s);

        int asked = 0;
        guiutil::dialogs().file = ([&](QFileDialog &dialog) {
            ++asked;
            [&] {
                QCOMPARE(dialog.nameFilters(),
                         (QStringList{u"スコアファイル(mjscore.txt)"_s,
                                      u"テキストファイル (*.txt)"_s, u"すべてのファイル (*.*)"_s}));
                QCOMPARE(dialog.selectedNameFilter(), u"スコアファイル(mjscore.txt)"_s);
                QCOMPARE(dialog.fileMode(), QFileDialog::ExistingFile);
                QCOMPARE(dialog.acceptMode(), QFileDialog::AcceptOpen);
                QCOMPARE(QDir(dialog.directory()), QDir(m_dir->path()));
            }();
            return chosen;
        });
        if (toolbar)
            m_main->runToolbarButton(u"ScoreFileOpen"_s);
        else
            m_main->menuAction(u"mnuFileOpen"_s)->trigger();
        QCOMPARE(asked, 1);
        QVERIFY(guiutil::mainWindow()->userWindow().isOpen());
        QCOMPARE(m_main->mdiArea()->activeSubWindow(),
                 guiutil::mainWindow()->userWindow().subWindow());
        QCOMPARE(text(u"txtFileName"_s), chosen);
        if (open)
            QCOMPARE(text(u"txtUserName"_s), u"ねこまた"_s);
        // Nothing stored, nothing calculated.
        QCOMPARE(param(u"ScoreFile"_s), stored);
        QCOMPARE(param(u"UserName"_s), u"かもめ"_s);
        QCOMPARE(guiutil::session().results().value(0).toInt(), 0);
        QVERIFY(msgbox::shownBoxes().isEmpty());
    }

    void scoreFileCommandCancelled()
    {
        startWith({u"VisibleWindow=0"_s});
        guiutil::dialogs().file = ([](QFileDialog &) { return QString(); });
        m_main->calculation().openScoreFile();
        QVERIFY(!guiutil::mainWindow()->userWindow().isOpen());
        QVERIFY(m_main->mdiArea()->subWindowList().isEmpty());
        QVERIFY(msgbox::shownBoxes().isEmpty());
    }

    // "*.*" stands for every file, also one whose name has no dot.
    void allFilesFilterTakesEveryName()
    {
        startWith({});
        QStringList filters;
        guiutil::dialogs().file = ([&](QFileDialog &dialog) {
            auto *types = dialog.findChild<QComboBox *>(u"fileTypeCombo"_s);
            auto *model = dialog.findChild<QFileSystemModel *>();
            if (!types || !model)
                return QString();
            types->setCurrentIndex(2);
            emit types->activated(2);
            emit types->textActivated(types->currentText());
            filters = model->nameFilters();
            return QString();
        });
        m_main->calculation().openScoreFile();
        QCOMPARE(filters, QStringList{u"*"_s});
    }
};

QTEST_MAIN(TestSettingsWindow)
#include "tst_settingswindow.moc"
