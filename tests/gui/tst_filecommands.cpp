#include "guiutil.h"

#include <QPrinterInfo>

#include "core/calc/calcresults.h"
#include "core/settings/settings.h"
#include "core/tables/tableinfo.h"
#include "gui/windows/graphwindow.h"

#include <QAction>
#include <QFileDialog>
#include <QMdiSubWindow>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>

using namespace norva;
using namespace Qt::StringLiterals;

namespace {

QString run(const char *program, const QStringList &arguments)
{
    QProcess p;
    p.start(QString::fromLatin1(program), arguments);
    if (!p.waitForFinished() || p.exitCode() != 0)
        return {};
    return QString::fromUtf8(p.readAllStandardOutput());
}

struct Word
{
    QString text;
    double left = -1, right = -1;
};

QList<Word> bboxWords(const QString &html)
{
    static const QRegularExpression re(QStringLiteral(
        R"re(<word xMin="([\d.]+)" yMin="[\d.]+" xMax="([\d.]+)" yMax="[\d.]+">([^<]*)</word>)re"));
    QList<Word> out;
    for (const QRegularExpressionMatch &m : re.globalMatch(html))
        out.append({m.captured(3), m.captured(1).toDouble(), m.captured(2).toDouble()});
    return out;
}

int imageCount(const QString &pdf)
{
    // A header of two lines, then one line per image.
    const QStringList lines = run("pdfimages", {u"-list"_s, pdf}).split(u'\n', Qt::SkipEmptyParts);
    int n = 0;
    for (const QString &l : lines.mid(2))
        n += l.split(u' ', Qt::SkipEmptyParts).value(2) == u"image"_s;
    return lines.size() < 2 ? -1 : n;
}

// pdftotext turns the distances between words into blanks and gives the wave
// dash for the full-width tilde (the font draws both alike): compare without
// blanks.
QString squeezed(const QString &line)
{
    QString out;
    for (QChar c : line) {
        if (!c.isSpace() && c != u'\f')
            out.append(c == u'\u301C' ? QChar(u'\uFF5E') : c);
    }
    return out;
}

} // namespace

class TestFileCommands : public QObject
{
    Q_OBJECT

    QTemporaryDir m_out;
    int m_printDialogs = 0;
    int m_saveDialogs = 0;
    QString m_pdf;
    QString m_savePath;

    // The bundled table definitions, the small fixture log and settings that
    // name かもめ without a date range.
    static void prepare(const testutil::ProgramDir &dir, const QStringList &extra,
                        const QString &log = QStringLiteral(NORVA_TEST_DATA "/calc-small.log"))
    {
        guiutil::copyTables(dir);
        QVERIFY(QFile::copy(log, dir.file(u"MjScore.txt"_s)));
        guiutil::writeSettings(dir, QStringList{u"UserName=かもめ"_s, u"SpecifyDate=False"_s,
                                                u"StartDate=2002/7/1"_s, u"StartTime=0:0"_s,
                                                u"EndDate=2002/7/5"_s, u"EndTime=23:59"_s}
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
    QString printedLayout() const { return run("pdftotext", {u"-layout"_s, m_pdf, u"-"_s}); }

private slots:
    void initTestCase()
    {
        m_pdf = m_out.filePath(u"page.pdf"_s);
        guiutil::dialogs().print = ([this](QPrintDialog &dialog) {
            ++m_printDialogs;
            // Only the whole page can be printed, and to a file only where no
            // printer exists (as on the test machine).
            [&] {
                QVERIFY(!dialog.testOption(QAbstractPrintDialog::PrintSelection));
                QCOMPARE(dialog.testOption(QAbstractPrintDialog::PrintToFile),
                         QPrinterInfo::availablePrinterNames().isEmpty());
            }();
            if (m_pdf.isEmpty())
                return false; // Cancel
            dialog.printer()->setOutputFormat(QPrinter::PdfFormat);
            dialog.printer()->setOutputFileName(m_pdf);
            return true;
        });
        guiutil::dialogs().file = ([this](QFileDialog &dialog) {
            ++m_saveDialogs;
            [&] {
                QCOMPARE(dialog.acceptMode(), QFileDialog::AcceptSave);
                QCOMPARE(dialog.nameFilters(),
                         (QStringList{u"テキストファイル (*.txt)"_s,
                                      u"テキストファイル UTF-8、LF 改行 (*.txt)"_s,
                                      u"すべてのファイル (*.*)"_s}));
                QCOMPARE(dialog.selectedNameFilter(), u"テキストファイル (*.txt)"_s);
                QVERIFY(dialog.testOption(QFileDialog::DontConfirmOverwrite));
            }();
            return m_savePath;
        });
    }
    void init()
    {
        guiutil::answerWithDefaults();
        msgbox::clearShownBoxes();
        m_printDialogs = m_saveDialogs = 0;
        QFile::remove(m_pdf);
    }

    // The graph window never opened in this run: the page carries the graph
    // all the same, in the stored colours and selection (the score graph
    // alone, in blue).
    void printingWithoutTheGraphWindow()
    {
        testutil::ProgramDir dir;
        prepare(dir, {u"AutoCalc=True"_s, u"VisibleWindow=0"_s, u"GraphDisp=1"_s,
                      u"GraphPoint=000000255"_s});
        QPointer<MainWindow> m = guiutil::start();
        QVERIFY(m);
        QVERIFY(resultsEnabled(m));
        QTest::keyClick(m, Qt::Key_P, Qt::ControlModifier);
        QCOMPARE(m_printDialogs, 1);
        QVERIFY(QFile::exists(m_pdf));
        QCOMPARE(imageCount(m_pdf), 1);
        QVERIFY(squeezed(printedLayout()).contains(u"総あがり数："_s));
        QVERIFY(!guiutil::mainWindow()->graphWindow().isShown());
        run("pdftoppm",
            {u"-r"_s, u"100"_s, u"-png"_s, u"-singlefile"_s, m_pdf, m_out.filePath(u"page"_s)});
        const QImage page(m_out.filePath(u"page.png"_s));
        QVERIFY(!page.isNull());
        int blue = 0;
        int red = 0;
        for (int y = 0; y < page.height(); ++y)
            for (int x = 0; x < page.width(); ++x) {
                const QColor c = page.pixelColor(x, y);
                blue += c.blue() > 200 && c.red() < 60 && c.green() < 60;
                red += c.red() > 200 && c.green() < 60 && c.blue() < 60;
            }
        QVERIFY2(blue > 50 && red == 0, qPrintable(u"%1 blue, %2 red"_s.arg(blue).arg(red)));
        QVERIFY(msgbox::shownBoxes().isEmpty());
        QVERIFY(guiutil::finish(m));
    }

    // The bundled sample log: a year of games.
    void printedPageHoldsTheResultsColumnAndTheGraph()
    {
        testutil::ProgramDir dir;
        prepare(dir, {u"AutoCalc=True"_s, u"VisibleWindow=16"_s},
                QStringLiteral(NORVA_SOURCE_DATA "/MjScore.txt"));
        QPointer<MainWindow> m = guiutil::start();
        QVERIFY(m);
        QVERIFY(guiutil::session().results().value(0).toInt() > 100);
        m->toolbarButton(u"Printer"_s)->trigger();
        if (qEnvironmentVariableIsSet("NORVA_KEEP_PDF"))
            QFile::copy(m_pdf, qEnvironmentVariable("NORVA_KEEP_PDF"));
        QCOMPARE(m_printDialogs, 1);
        QCOMPARE(imageCount(m_pdf), 1);
        QCOMPARE(m->resultCommands().printer().pageLayout().orientation(), QPageLayout::Landscape);
        QVERIFY(run("pdfinfo", {m_pdf}).contains(QRegularExpression(u"Pages: +1\n"_s)));

        // The column's lines in order, a blank line where the report has an
        // empty one; the range is switched off, and the page says so.
        const QList<PrintLine> lines = guiutil::session().report().printLines();
        QStringList expected;
        for (const PrintLine &l : lines)
            expected << (l.gap ? QString() : squeezed(l.text));
        QVERIFY(expected.contains(u"計算日付：指定なし"_s));
        QVERIFY(!expected.join(u'\n').contains(u"～"_s));
        const QStringList layout = printedLayout().split(u'\n');
        QStringList printed;
        for (const QString &l : layout)
            printed << squeezed(l);
        while (!printed.isEmpty() && printed.first().isEmpty())
            printed.removeFirst();
        while (!printed.isEmpty() && printed.last().isEmpty())
            printed.removeLast();
        QCOMPARE(printed, expected);

        // Each han class line stands two ASCII spaces right of the column's
        // edge: as far as the name stands from the label in the first line.
        const QList<Word> words = bboxWords(run("pdftotext", {u"-bbox"_s, m_pdf, u"-"_s}));
        const auto word = [&](const QString &text) {
            for (const Word &w : words) {
                if (w.text == text)
                    return w;
            }
            qWarning() << "missing" << text;
            return Word{};
        };
        const double edge = word(u"総あがり数："_s).left;
        QCOMPARE(word(u"ユーザー名："_s).left, edge);
        const double space = word(u"かもめ"_s).left - word(u"ユーザー名："_s).right;
        QVERIFY(space > 3 && space < 6); // half of 9 points
        const qint16 yakuLast = guiutil::session().tables().value(0).value<qint16>();
        QVERIFY(yakuLast >= 1);
        for (qint16 i = 0; i <= yakuLast; ++i) {
            const QString name = guiutil::session().tables().value(1, i).toString().trimmed();
            QVERIFY2(qAbs(word(name).left - (edge + 2 * space)) < 0.01, qPrintable(name));
        }
        QVERIFY(guiutil::finish(m));
    }

    // Page setup changes the printer the print command uses; Cancel of the
    // printer dialog prints nothing.
    void pageSetupAndCancel()
    {
        testutil::ProgramDir dir;
        prepare(dir, {u"AutoCalc=True"_s, u"VisibleWindow=0"_s});
        QPointer<MainWindow> m = guiutil::start();
        QVERIFY(m);
        int setups = 0;
        guiutil::dialogs().pageSetup = ([&](QPageSetupDialog &dialog) {
            ++setups;
            dialog.printer()->setPageSize(QPageSize(QPageSize::A5));
            return true;
        });
        m->menuAction(u"mnuFilePageSetup"_s)->trigger();
        guiutil::dialogs().pageSetup = nullptr;
        QCOMPARE(setups, 1);
        QCOMPARE(m->resultCommands().printer().pageLayout().pageSize().id(), QPageSize::A5);

        m->menuAction(u"mnuFilePrint"_s)->trigger();
        // A5 in landscape: 595 x 420 points.
        QVERIFY2(
            run("pdfinfo", {m_pdf}).contains(QRegularExpression(u"Page size: +595 x 420 pts"_s)),
            qPrintable(run("pdfinfo", {m_pdf})));

        QFile::remove(m_pdf);
        const QString pdf = m_pdf;
        m_pdf.clear();
        m->menuAction(u"mnuFilePrint"_s)->trigger();
        m_pdf = pdf;
        QCOMPARE(m_printDialogs, 2);
        QVERIFY(!QFile::exists(m_pdf));
        QVERIFY(msgbox::shownBoxes().isEmpty());
        QVERIFY(guiutil::finish(m));
    }

    // Save and Print need results: disabled before a calculation, enabled after
    // one that found games, disabled again after one that found none.
    void saveAndPrintFollowTheResults()
    {
        testutil::ProgramDir dir;
        prepare(dir, {u"VisibleWindow=0"_s});
        QPointer<MainWindow> m = guiutil::start();
        QVERIFY(m);
        m_savePath.clear(); // Cancel
        const auto tryAll = [&] {
            QTest::keyClick(m, Qt::Key_S, Qt::ControlModifier);
            QTest::keyClick(m, Qt::Key_P, Qt::ControlModifier);
            m->toolbarButton(u"ResultsSave"_s)->trigger();
            m->toolbarButton(u"Printer"_s)->trigger();
            m->runToolbarButton(u"ResultsSave"_s);
            m->runToolbarButton(u"Printer"_s);
        };
        QVERIFY(!resultsEnabled(m));
        tryAll();
        QCOMPARE(m_saveDialogs, 0);
        QCOMPARE(m_printDialogs, 0);

        m->calculation().calculate();
        QVERIFY(resultsEnabled(m));
        tryAll();
        QCOMPARE(m_saveDialogs, 3);
        QCOMPARE(m_printDialogs, 3);

        guiutil::settings().setValue(Settings::UserName, u"だれでもない"_s);
        m->calculation().calculate();
        QVERIFY(!resultsEnabled(m));
        tryAll();
        QCOMPARE(m_saveDialogs, 3);
        QCOMPARE(m_printDialogs, 3);
        QVERIFY(guiutil::finish(m));
    }

    void savingOntoAnExistingFileAsksFirst()
    {
        testutil::ProgramDir dir;
        prepare(dir, {u"AutoCalc=True"_s, u"VisibleWindow=0"_s});
        QPointer<MainWindow> m = guiutil::start();
        QVERIFY(m);
        const QByteArray report = guiutil::session().report().bytes();
        QVERIFY(report.startsWith(cp932::encodeLossy(u"ユーザー名： かもめ\r\n"_s)));

        // A new file is written without a question.
        m_savePath = dir.file(u"report.txt"_s);
        m->menuAction(u"mnuFileSave"_s)->trigger();
        QCOMPARE(m_saveDialogs, 1);
        QVERIFY(msgbox::shownBoxes().isEmpty());
        QCOMPARE(testutil::readAll(m_savePath), report);

        // An existing one: No, the default answer, keeps it.
        QVERIFY(testutil::writeAll(m_savePath, "old\r\n"));
        m->menuAction(u"mnuFileSave"_s)->trigger();
        QCOMPARE(msgbox::shownBoxes().size(), 1);
        const ShownBox box = msgbox::shownBoxes().first();
        QCOMPARE(box.icon, QMessageBox::Question);
        QCOMPARE(box.title, u"norva"_s);
        QCOMPARE(box.text,
                 m_savePath + u"\r\nこのファイルはすでに存在します。\r\n\r\n上書きしますか？"_s);
        QCOMPARE(box.buttons, QMessageBox::Yes | QMessageBox::No);
        QCOMPARE(box.defaultButton, QMessageBox::No);
        QCOMPARE(testutil::readAll(m_savePath), QByteArray("old\r\n"));

        // Yes replaces it.
        msgbox::setResponderForTests([](const ShownBox &) { return QMessageBox::Yes; });
        m->menuAction(u"mnuFileSave"_s)->trigger();
        QCOMPARE(testutil::readAll(m_savePath), report);

        // Cancel in the file dialog does nothing.
        msgbox::clearShownBoxes();
        QVERIFY(testutil::writeAll(m_savePath, "old\r\n"));
        m_savePath.clear();
        m->menuAction(u"mnuFileSave"_s)->trigger();
        QVERIFY(msgbox::shownBoxes().isEmpty());
        QCOMPARE(testutil::readAll(dir.file(u"report.txt"_s)), QByteArray("old\r\n"));
        QVERIFY(guiutil::finish(m));
    }

    // The question box itself: Enter answers No.
    void enterAnswersNo()
    {
        testutil::ProgramDir dir;
        prepare(dir, {u"AutoCalc=True"_s, u"VisibleWindow=0"_s});
        QPointer<MainWindow> m = guiutil::start();
        QVERIFY(m);
        m_savePath = dir.file(u"report.txt"_s);
        QVERIFY(testutil::writeAll(m_savePath, "old\r\n"));
        msgbox::setResponderForTests({});
        QVERIFY(guiutil::withModal([&] { m->resultCommands().saveReport(); },
                                   [](QWidget *box) {
                                       QVERIFY(qobject_cast<QMessageBox *>(box));
                                       QTest::keyClick(box, Qt::Key_Return);
                                   }));
        QCOMPARE(testutil::readAll(m_savePath), QByteArray("old\r\n"));
        guiutil::answerWithDefaults();
        QVERIFY(guiutil::finish(m));
    }

    // A report that cannot be written is reported with Retry and Cancel.
    void saveFailureIsReported()
    {
        testutil::ProgramDir dir;
        prepare(dir, {u"AutoCalc=True"_s, u"VisibleWindow=0"_s});
        QPointer<MainWindow> m = guiutil::start();
        QVERIFY(m);
        m_savePath = dir.file(u"no-such-folder/report.txt"_s);
        m->resultCommands().saveReport();
        QCOMPARE(msgbox::shownBoxes().size(), 1);
        const ShownBox box = msgbox::shownBoxes().first();
        QCOMPARE(box.title, u"エラー"_s);
        QCOMPARE(box.buttons, QMessageBox::Retry | QMessageBox::Cancel);
        // The reason as norva-calc gives it: no such folder.
        QCOMPARE(box.text, u"ファイルの書き込みに失敗しました。\r\n"_s + m_savePath
                               + u"\r\nパス名またはファイル名が無効です。"_s);
        QVERIFY(guiutil::finish(m));
    }
};

QTEST_MAIN(TestFileCommands)
#include "tst_filecommands.moc"
