#include "gui/windows/resultcommands.h"

#include "core/calc/gamescsv.h"
#include "core/calc/session.h"
#include "core/common/error.h"
#include "core/common/fileops.h"
#include "core/common/locations.h"
#include "core/common/messages.h"
#include "gui/print/printpage.h"
#include "gui/widgets/dialogrunner.h"
#include "gui/widgets/messagebox.h"
#include "gui/windows/commandhost.h"
#include "gui/windows/graphwindow.h"
#include "gui/windows/userwindow.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QPageSetupDialog>
#include <QPointer>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>

#include <exception>

namespace norva {

namespace {

// True when path names no file yet, or the user answers Yes to writing over
// it (No is the default).
bool mayWriteOver(QWidget *parent, const QString &path)
{
    return !fileops::hasAttributes(path, 0)
           || showMessage(parent, QMessageBox::Question, productName(),
                          path + msg::crlf() + QStringLiteral("このファイルはすでに存在します。")
                              + msg::crlf() + msg::crlf() + QStringLiteral("上書きしますか？"),
                          QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
                  == QMessageBox::Yes;
}

} // namespace

ResultCommands::ResultCommands(CommandHost &host)
    : m_host(host)
{}

ResultCommands::~ResultCommands() = default;

QPrinter &ResultCommands::printer()
{
    if (!m_printer)
        m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return *m_printer;
}

QStringList ResultCommands::runFiles() const
{
    QStringList files = m_host.session().runFiles();
    if (m_host.userWindow().isOpen())
        files << m_host.userWindow().fileNameEdit()->text();
    return files;
}

bool ResultCommands::refuseTarget(const QString &path)
{
    try {
        fileops::checkWriteTarget(path, runFiles());
        return false;
    } catch (const Error &e) {
        if (e.kind() == ErrorKind::ProtectedFile) {
            showError(m_host.frameWidget(), path + msg::crlf() + msg::targetIsRunFile());
            return true;
        }
        if (e.kind() == ErrorKind::NotRegularFile) {
            showError(m_host.frameWidget(), path + msg::crlf() + msg::targetNotRegular());
            return true;
        }
        return false; // the write itself reports it, with Retry
    }
}

QString ResultCommands::askSavePath(const QString &title, const QStringList &filters,
                                    const QString &suffix, qsizetype *filter)
{
    QString path;
    try {
        // On the heap, as the main window may be told to close while it is up.
        QPointer<QFileDialog> dialog = new QFileDialog(m_host.frameWidget());
        dialog->setObjectName(QStringLiteral("dlgCommonDialog"));
        dialog->setWindowTitle(title);
        dialog->setAcceptMode(QFileDialog::AcceptSave);
        dialog->setFileMode(QFileDialog::AnyFile);
        // The program asks about an existing file itself.
        dialog->setOption(QFileDialog::DontConfirmOverwrite);
        dialog->setNameFilters(filters);
        dialog->selectNameFilter(filters.first());
        dialog->setDefaultSuffix(suffix);
        QObject::connect(dialog, &QFileDialog::filterSelected, dialog,
                         [d = dialog.data(), suffix](const QString &chosen) {
                             d->setDefaultSuffix(chosen == allFilesFilter() ? QString() : suffix);
                         });
        // The folder of the last file saved, at first the score log's.
        QString folder = m_lastSaveFolder;
        if (folder.isEmpty())
            folder = QFileInfo(m_host.session().settings().scoreFile()).absolutePath();
        if (QFileInfo(folder).isDir())
            dialog->setDirectory(folder);

        path = m_host.dialogs().chooseFile(*dialog);
        if (filter)
            *filter = dialog ? filters.indexOf(dialog->selectedNameFilter()) : -1;
        delete dialog.data();
    } catch (const std::exception &) {
        return QString();
    }
    return path;
}

QString ResultCommands::chooseTarget(const QString &title, const QStringList &filters,
                                     const QString &suffix, qsizetype *filter)
{
    QString path;
    // The score log and the program's own files are never replaced, nor is
    // a pipe or a folder: the user chooses another file.
    do {
        path = askSavePath(title, filters, suffix, filter);
        if (path.isEmpty() || m_host.hasExited())
            return QString();
    } while (refuseTarget(path));
    if (!mayWriteOver(m_host.frameWidget(), path))
        return QString();
    m_lastSaveFolder = QFileInfo(path).absolutePath();
    return path;
}

void ResultCommands::saveReport()
{
    // A name typed without an extension under a text file filter gets ".txt".
    qsizetype filter = 0;
    const QString path =
        chooseTarget(QStringLiteral("試合結果保存"),
                     {QStringLiteral("テキストファイル (*.txt)"),
                      QStringLiteral("テキストファイル UTF-8、LF 改行 (*.txt)"), allFilesFilter()},
                     QStringLiteral("txt"), &filter);
    if (path.isEmpty())
        return;
    const RetryPrompt retry = retryCancelPrompt(m_host.frameWidget(), msg::fileWriteFailed(), path);
    if (filter != 1) {
        m_host.session().report().save(path, retry, runFiles());
        return;
    }
    // For editors that take UTF-8 and line feeds: the same lines.
    try {
        writeFileSafely(path, (m_host.session().report().lines().join(u'\n') + u'\n').toUtf8(),
                        retry, runFiles());
    } catch (const Error &) {
        // The report could not be made: the program's form says why (Retry).
        m_host.session().report().save(path, retry, runFiles());
    }
}

void ResultCommands::exportGames()
{
    exportCsv(QStringLiteral("試合一覧 CSV"), csv::gamesText(m_host.session().results().games()));
}

void ResultCommands::exportTotals()
{
    exportCsv(QStringLiteral("集計 CSV"), csv::totalsText(m_host.session().results()));
}

void ResultCommands::exportCsv(const QString &title, const QString &text)
{
    qsizetype filter = 0;
    const QString path =
        chooseTarget(title,
                     {QStringLiteral("CSV ファイル UTF-8 (*.csv)"),
                      QStringLiteral("CSV ファイル Shift_JIS (*.csv)"), allFilesFilter()},
                     QStringLiteral("csv"), &filter);
    if (path.isEmpty())
        return;
    const csv::Bytes bytes =
        csv::encode(text, filter == 1 ? csv::Encoding::ShiftJis : csv::Encoding::Utf8WithMark);
    if (writeFileSafely(path, bytes.data,
                        retryCancelPrompt(m_host.frameWidget(), msg::fileWriteFailed(), path),
                        runFiles())
        && bytes.lossy)
        showMessage(m_host.frameWidget(), QMessageBox::Information, productName(),
                    msg::csvLossy() + msg::crlf() + path);
}

void ResultCommands::pageSetup()
{
    try {
        QPointer<QPageSetupDialog> dialog = new QPageSetupDialog(&printer(), m_host.frameWidget());
        dialog->setObjectName(QStringLiteral("dlgCommonDialog"));
        // Accepted settings go to the printer; a cancel changes nothing.
        m_host.dialogs().run(*dialog);
        delete dialog.data();
    } catch (const std::exception &) {
    }
}

void ResultCommands::guardPrintFile(QPrintDialog &dialog)
{
    // Qt's print dialog checks a file name as it is accepted by opening the
    // file for writing: a pipe keeps it waiting for ever, a device is opened,
    // a new name is made. The program checks the name itself instead, and
    // opens nothing; a name refused leaves the dialog up for another one. A
    // printer chosen keeps the dialog's own checks.
    auto *buttons = dialog.findChild<QDialogButtonBox *>(QString(), Qt::FindDirectChildrenOnly);
    auto *name = dialog.findChild<QLineEdit *>(QStringLiteral("filename"));
    if (!buttons || !name)
        return;
    QObject::disconnect(buttons, SIGNAL(accepted()), &dialog, nullptr);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog,
                     [this, d = QPointer<QPrintDialog>(&dialog), name] {
                         if (!name->isEnabled()) {
                             if (!QMetaObject::invokeMethod(d, "_q_checkFields"))
                                 d->accept();
                             return;
                         }
                         // A relative name is taken from the home folder, as
                         // the dialog takes it.
                         QString path = name->text();
                         if (QDir::isRelativePath(path))
                             path = QDir::homePath() + QDir::separator() + path;
                         if (refuseTarget(path) || !d || m_host.hasExited()
                             || !mayWriteOver(d, path))
                             return;
                         if (d)
                             d->accept();
                     });
}

void ResultCommands::print()
{
    try {
        QPrinter &page = printer();
        QString file;
        // A printout to a file never replaces the score log, the program's
        // own files, a pipe or a folder: the dialog comes back for another.
        do {
            QPointer<QPrintDialog> dialog = new QPrintDialog(&page, m_host.frameWidget());
            dialog->setObjectName(QStringLiteral("dlgCommonDialog"));
            dialog->setOption(QAbstractPrintDialog::PrintSelection, false);
            // Printing to a file is left out where a printer exists; a machine
            // without any printer keeps it, or it could not print at all.
            dialog->setOption(QAbstractPrintDialog::PrintToFile,
                              QPrinterInfo::availablePrinterNames().isEmpty());
            guardPrintFile(*dialog);
            // The dialog leaves the printer, the number of copies and the other
            // choices of the user in the printer.
            const bool accepted = m_host.dialogs().run(*dialog);
            delete dialog.data();
            if (!accepted || m_host.hasExited())
                return;
            file = page.outputFormat() == QPrinter::PdfFormat ? page.outputFileName() : QString();
        } while (!file.isEmpty() && refuseTarget(file));

        // The page is laid out like the screen, wider than high.
        page.setPageOrientation(QPageLayout::Landscape);
        QList<PrintLine> lines;
        try {
            lines = m_host.session().report().printLines();
        } catch (const Error &) {
            // The column stays empty; the graph is still printed.
        }
        GraphWindow &graph = m_host.graphWindow();
        if (file.isEmpty()) {
            graph.print(page, lines);
            return;
        }
        // A file is made in memory and written as a whole, so that it is
        // complete or not written at all (the printer's own file output
        // ignores failed writes); the old file stays on a failure, and the
        // user hears why.
        const QByteArray pdf =
            pdfLike(page, [&](QPagedPaintDevice &pdfPage) { return graph.print(pdfPage, lines); });
        if (pdf.isEmpty())
            return;
        writeFileSafely(file, pdf,
                        retryCancelPrompt(m_host.frameWidget(), msg::fileWriteFailed(), file),
                        runFiles());
    } catch (const std::exception &) {
        // Printing fails without a message of its own.
    }
}

} // namespace norva
