#include "guiutil.h"

#include "core/common/error.h"
#include "core/common/textfile.h"
#include "gui/windows/aboutdialog.h"
#include "gui/windows/statuswindow.h"

#include "norva_version.h"

#include <QDesktopServices>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QLocale>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QUrl>
#include <QWindow>

#include <memory>

using namespace norva;
using namespace Qt::StringLiterals;

// Stands in for the system's viewer.
class UrlCatcher : public QObject
{
    Q_OBJECT

public:
    QList<QUrl> urls;

public slots:
    void open(const QUrl &url) { urls << url; }
};

class TestShellWindows : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        guiutil::answerWithDefaults();
        msgbox::clearShownBoxes();
    }

    void messageBoxDefaultAndEscape_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("answer");
        QTest::newRow("Enter takes the default No") << int(Qt::Key_Return) << int(QMessageBox::No);
        QTest::newRow("Escape answers No") << int(Qt::Key_Escape) << int(QMessageBox::No);
        QTest::newRow("Y answers Yes") << int(Qt::Key_Y) << int(QMessageBox::Yes);
    }
    void messageBoxDefaultAndEscape()
    {
        QFETCH(int, key);
        QFETCH(int, answer);
        msgbox::setResponderForTests({});
        QMessageBox::StandardButton result = QMessageBox::NoButton;
        QVERIFY(guiutil::withModal(
            [&] {
                result =
                    showMessage(nullptr, QMessageBox::Question, u"norva"_s, u"上書きしますか？"_s,
                                QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
            },
            [&](QWidget *w) {
                auto *box = qobject_cast<QMessageBox *>(w);
                QVERIFY(box);
                QCOMPARE(box->windowTitle(), u"norva"_s);
                QCOMPARE(box->text(), u"上書きしますか？"_s);
                QCOMPARE(box->icon(), QMessageBox::Question);
                if (key == Qt::Key_Y)
                    box->button(QMessageBox::Yes)->click();
                else
                    QTest::keyClick(box, Qt::Key(key));
            }));
        QCOMPARE(int(result), answer);
        // Shown boxes are recorded as well as answered ones.
        QCOMPARE(msgbox::shownBoxes().size(), 1);
        QCOMPARE(msgbox::shownBoxes().first().defaultButton, QMessageBox::No);
    }

    void retryPromptRetriesUntilCancel()
    {
        testutil::ProgramDir dir;
        const QString path = dir.file(u"out.txt"_s);
        int asked = 0;
        msgbox::setResponderForTests([&](const ShownBox &) {
            return ++asked < 3 ? QMessageBox::Retry : QMessageBox::Cancel;
        });
        setWriteFailureForTests([] { return true; });
        const bool written = writeFileSafely(
            path, "x", retryCancelPrompt(nullptr, u"ファイルの書き込みに失敗しました。"_s, path));
        setWriteFailureForTests({});
        QVERIFY(!written);
        QCOMPARE(asked, 3);
        const ShownBox box = msgbox::shownBoxes().last();
        QCOMPARE(box.icon, QMessageBox::Critical);
        QCOMPARE(box.title, u"エラー"_s);
        QCOMPARE(box.text, u"ファイルの書き込みに失敗しました。\r\n"_s + path
                               + u"\r\nディスクの空き容量が不足しています。"_s);
        QCOMPARE(box.buttons, QMessageBox::Retry | QMessageBox::Cancel);
        QCOMPARE(box.defaultButton, QMessageBox::Retry);
        QVERIFY(!QFile::exists(path));
    }

    void versionText_data()
    {
        QTest::addColumn<int>("major");
        QTest::addColumn<int>("minor");
        QTest::addColumn<int>("build");
        QTest::addColumn<QString>("text");
        QTest::newRow("3.5.7") << 3 << 5 << 7 << u"Version 3.5 (Build: 7)"_s;
        QTest::newRow("2.5.31") << 2 << 5 << 31 << u"Version 2.5 (Build: 31)"_s;
        QTest::newRow("no leading zeros") << 10 << 0 << 0 << u"Version 10.0 (Build: 0)"_s;
    }
    void versionText()
    {
        QFETCH(int, major);
        QFETCH(int, minor);
        QFETCH(int, build);
        QFETCH(QString, text);
        QCOMPARE(norva::versionText(major, minor, build), text);
    }

    void aboutBox()
    {
        testutil::ProgramDir dir;
        guiutil::copyTables(dir);
        QPointer<MainWindow> m = guiutil::start();
        for (int round = 0; round < 2; ++round) { // from the menu, then the button
            QVERIFY(guiutil::withModal(
                [&] {
                    if (round == 0)
                        m->menuAction(u"mnuHelpAbout"_s)->trigger();
                    else
                        m->toolbarButton(u"AboutNorva"_s)->trigger();
                },
                [&](QWidget *w) {
                    QCOMPARE(w->objectName(), u"frmAbout"_s);
                    QCOMPARE(w->windowTitle(), u"バージョン情報"_s);
                    QCOMPARE(w->parentWidget(), m.data());
                    QVERIFY(w->isModal());
                    auto label = [w](const QString &name) {
                        auto *l = w->findChild<QLabel *>(name);
                        return l ? l->text() : u"(missing)"_s;
                    };
                    QCOMPARE(label(u"lblTitle"_s), u"Kelvo結果計算"_s);
                    QCOMPARE(label(u"lblVersion"_s),
                             norva::versionText(NORVA_VERSION_MAJOR, NORVA_VERSION_MINOR,
                                                NORVA_VERSION_PATCH));
                    // Japanese throughout, whatever the system's language.
                    QCOMPARE(label(u"lblCopyright"_s).split(u'\n').value(2),
                             u"無断で複製・転載することを禁じます。"_s);
                    QCOMPARE(QLocale().language(), QLocale::Japanese);
                    QVERIFY(!w->findChild<QLabel *>(u"picIcon"_s)->pixmap().isNull());
                    QCOMPARE(w->findChild<QLabel *>(u"lblTitle"_s)->font().family(),
                             u"ＭＳ ゴシック"_s);
                    w->findChild<QPushButton *>(u"cmdOK"_s)->click();
                }));
            QTRY_VERIFY(!m->findChild<AboutDialog *>());
        }
        QVERIFY(guiutil::finish(m));
    }

    void helpContents_data()
    {
        QTest::addColumn<QString>("manual"); // "file", "folder" or "" for none
        QTest::addColumn<bool>("viewer");    // the desktop has a viewer for it
        QTest::newRow("present") << u"file"_s << true;
        QTest::newRow("present, no viewer") << u"file"_s << false;
        QTest::newRow("missing") << QString() << true;
        QTest::newRow("a folder of that name") << u"folder"_s << true;
    }
    void helpContents()
    {
        QFETCH(QString, manual);
        QFETCH(bool, viewer);
        testutil::ProgramDir dir;
        guiutil::copyTables(dir);
        const QString path = dir.file(u"Readme.txt"_s);
        if (manual == u"file")
            QVERIFY(testutil::writeAll(path, testutil::cp932Lines({u"説明書"_s, u"二行目"_s})));
        else if (manual == u"folder")
            QVERIFY(QDir(dir.path()).mkdir(u"Readme.txt"_s));
        UrlCatcher catcher;
        // The test platform has no viewer of its own.
        if (viewer)
            QDesktopServices::setUrlHandler(u"file"_s, &catcher, "open");
        QPointer<MainWindow> m = guiutil::start();
        msgbox::clearShownBoxes();
        m->menuAction(u"mnuHelpContents"_s)->trigger();
        QDesktopServices::unsetUrlHandler(u"file"_s);

        auto *text = m->findChild<QPlainTextEdit *>(u"txtManual"_s);
        if (manual == u"file") {
            QCOMPARE(catcher.urls, viewer ? QList<QUrl>{QUrl::fromLocalFile(path)} : QList<QUrl>{});
            QVERIFY(msgbox::shownBoxes().isEmpty());
            // Without a viewer, the manual in a window of the program's own.
            QCOMPARE(text != nullptr, !viewer);
            if (text) {
                QCOMPARE(text->toPlainText(), u"説明書\n二行目"_s);
                QVERIFY(text->isReadOnly());
                QVERIFY(text->window()->isVisible());
            }
        } else {
            QVERIFY(!text);
            QVERIFY(catcher.urls.isEmpty());
            QCOMPARE(msgbox::shownBoxes().size(), 1);
            const ShownBox box = msgbox::shownBoxes().first();
            QCOMPARE(box.icon, QMessageBox::Critical);
            QCOMPARE(box.title, u"エラー"_s);
            QCOMPARE(box.text, u"ヘルプファイルが見つかりません\r\n"_s + path);
            QCOMPARE(box.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        }
        QVERIFY(guiutil::finish(m));
    }

    void statusWindow()
    {
        testutil::ProgramDir dir;
        guiutil::copyTables(dir);
        QPointer<MainWindow> m = guiutil::start();
        QVERIFY(!m->findChild<StatusWindow *>());
        auto window = std::make_unique<StatusWindow>(m);
        StatusWindow &st = *window;
        QCOMPARE(st.objectName(), u"frmStatus"_s);
        QCOMPARE(st.windowTitle(), u"処理状況"_s);
        QCOMPARE(st.parentWidget(), m.data());
        QVERIFY(!st.isModal());
        QCOMPARE(st.size(), QSize(297, 55));
        QCOMPARE(st.messageLabel()->objectName(), u"lblStatus"_s);
        QCOMPARE(st.messageLabel()->geometry(), QRect(16, 8, 257, 17));
        QCOMPARE(st.messageLabel()->font().family(), u"ＭＳ Ｐゴシック"_s);
        QVERIFY(st.messageLabel()->font().bold());
        QCOMPARE(st.messageLabel()->font().pointSizeF(), 9.75);
        QCOMPARE(st.progressBar()->objectName(), u"pbrStatus"_s);
        QCOMPARE(st.progressBar()->geometry(), QRect(16, 24, 265, 17));
        QCOMPARE(st.progressBar()->minimum(), 0);
        QCOMPARE(st.progressBar()->maximum(), 100);
        st.show();

        st.begin(10, u"結果計算中"_s);
        // On the screen before any event loop has run.
        QVERIFY(st.windowHandle() && st.windowHandle()->isExposed());
        QCOMPARE(st.messageLabel()->text(), u"結果計算中"_s);
        QCOMPARE(st.progressBar()->value(), 0);
        QCOMPARE(st.progressBar()->maximum(), 10);
        for (qint16 v = 1; v <= 10; ++v) {
            st.setProgress(v);
            QCOMPARE(st.progressBar()->value(), int(v));
        }
        st.setMessage(u"集計中"_s);
        QCOMPARE(st.messageLabel()->text(), u"集計中"_s);
        QCOMPARE(st.progressBar()->value(), 10);
        // A log that grew since it was counted: the bar stretches.
        st.setProgress(12);
        QCOMPARE(st.progressBar()->maximum(), 12);
        QCOMPARE(st.progressBar()->value(), 12);
        // A new run with less to do starts from 0.
        st.begin(3, u"結果計算中"_s);
        QCOMPARE(st.progressBar()->value(), 0);
        QCOMPARE(st.progressBar()->maximum(), 3);
        // A maximum of 0 still leaves a working bar.
        st.begin(0, QString());
        QVERIFY(st.progressBar()->maximum() >= 1);

        // A pass reports far more often than the eye can follow: the bar is
        // painted when what it shows changes, about 30 times a second at most.
        struct PaintCount : QObject
        {
            int paints = 0;
            bool eventFilter(QObject *, QEvent *e) override
            {
                paints += e->type() == QEvent::Paint;
                return false;
            }
        } count;
        st.begin(30000, u"結果計算中"_s);
        st.progressBar()->installEventFilter(&count);
        QElapsedTimer clock;
        clock.start();
        for (qint16 v = 1; v <= 30000; ++v)
            st.setProgress(v);
        const qint64 elapsed = clock.elapsed();
        QCOMPARE(st.progressBar()->value(), 30000);
        QVERIFY2(count.paints <= elapsed / 30 + 2,
                 qPrintable(u"%1 paints in %2 ms"_s.arg(count.paints).arg(elapsed)));
        st.progressBar()->removeEventFilter(&count);

        window.reset();
        QVERIFY(!m->findChild<StatusWindow *>());
        // Each run gets a fresh window; updates on one that was never shown
        // work too.
        const QPointer<StatusWindow> fresh = new StatusWindow(m);
        StatusWindow &again = *fresh;
        QCOMPARE(again.progressBar()->value(), 0);
        QCOMPARE(again.messageLabel()->text(), QString());
        again.setProgress(5);
        QCOMPARE(again.progressBar()->value(), 5);
        QVERIFY(!again.isVisible());
        QVERIFY(guiutil::finish(m));
        // It goes with the main window.
        QVERIFY(!fresh);
    }
};

QTEST_MAIN(TestShellWindows)
#include "tst_shellwindows.moc"
