// The File menu's commands that work on the results: saving the report, page
// setup and printing.

#include "frmMain.h"
#include "msgbox.h"

#include "calc/basCalc.h"
#include "calc/frmUser.h"
#include "common/error.h"
#include "common/fileops.h"
#include "common/messages.h"
#include "graph/frmGraph.h"
#include "settings/basParam.h"
#include "tables/basTableInfo.h"

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

frmMain::PrintDialogHook &printDialogHook()
{
    static frmMain::PrintDialogHook hook;
    return hook;
}

frmMain::PageSetupDialogHook &pageSetupDialogHook()
{
    static frmMain::PageSetupDialogHook hook;
    return hook;
}

frmMain::SaveDialogHook &saveDialogHook()
{
    static frmMain::SaveDialogHook hook;
    return hook;
}

QString overwriteQuestion(const QString &path)
{
    return path + msg::crlf() + QStringLiteral("このファイルはすでに存在します。") + msg::crlf()
           + msg::crlf() + QStringLiteral("上書きしますか？");
}

} // namespace

void frmMain::setPrintDialogForTests(PrintDialogHook hook)
{
    printDialogHook() = std::move(hook);
}

void frmMain::setPageSetupDialogForTests(PageSetupDialogHook hook)
{
    pageSetupDialogHook() = std::move(hook);
}

void frmMain::setSaveDialogForTests(SaveDialogHook hook)
{
    saveDialogHook() = std::move(hook);
}

QPrinter &frmMain::printer()
{
    if (!m_printer)
        m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return *m_printer;
}

QStringList frmMain::runFiles() const
{
    QStringList files{GetParamValue(QStringLiteral("ScoreFile")).toString(), paramFilePath(),
                      tableInfoFilePath()};
    if (frmUser::instance().truShowMe())
        files << frmUser::instance().txtFileName()->text();
    return files;
}

bool frmMain::refuseTarget(const QString &path)
{
    try {
        fileops::checkWriteTarget(path, runFiles());
        return false;
    } catch (const Error &e) {
        if (e.kind() == ErrorKind::ProtectedFile) {
            showError(this, path + msg::crlf() + msg::targetIsRunFile());
            return true;
        }
        if (e.kind() == ErrorKind::NotRegularFile) {
            showError(this, path + msg::crlf() + msg::targetNotRegular());
            return true;
        }
        return false; // the write itself reports it, with Retry
    }
}

QString frmMain::askReportPath()
{
    QString path;
    try {
        // On the heap, as the main window may be told to close while it is up.
        QPointer<QFileDialog> dialog = new QFileDialog(this);
        dialog->setObjectName(QStringLiteral("dlgCommonDialog"));
        dialog->setWindowTitle(QStringLiteral("試合結果保存"));
        dialog->setAcceptMode(QFileDialog::AcceptSave);
        dialog->setFileMode(QFileDialog::AnyFile);
        // The program asks about an existing file itself.
        dialog->setOption(QFileDialog::DontConfirmOverwrite);
        const QStringList filters{QStringLiteral("テキストファイル (*.txt)"),
                                  QStringLiteral("すべてのファイル (*.*)")};
        dialog->setNameFilters(filters);
        dialog->selectNameFilter(filters.first());
        // A name typed without an extension under the text file filter gets ".txt".
        dialog->setDefaultSuffix(QStringLiteral("txt"));
        QObject::connect(dialog, &QFileDialog::filterSelected, dialog,
                         [d = dialog.data(), filters](const QString &filter) {
                             d->setDefaultSuffix(filter == filters.first() ? QStringLiteral("txt")
                                                                           : QString());
                         });
        // The folder of the last report saved, at first the score log's.
        QString folder = m_lastSaveFolder;
        if (folder.isEmpty())
            folder =
                QFileInfo(GetParamValue(QStringLiteral("ScoreFile")).toString()).absolutePath();
        if (QFileInfo(folder).isDir())
            dialog->setDirectory(folder);

        if (saveDialogHook())
            path = saveDialogHook()(*dialog);
        else if (dialog->exec() == QDialog::Accepted && dialog)
            path = dialog->selectedFiles().value(0);
        delete dialog.data();
    } catch (const std::exception &) {
        return QString();
    }
    return path;
}

void frmMain::mnuFileSave_Click()
{
    QString path;
    // The score log and the program's own files are never replaced by a
    // report, nor is a pipe or a folder: the user chooses another file.
    do {
        path = askReportPath();
        if (path.isEmpty() || hasExited())
            return;
    } while (refuseTarget(path));

    if (IsFileAttr(path, 0)
        && showMessage(this, QMessageBox::Question, productName(), overwriteQuestion(path),
                       QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
               != QMessageBox::Yes)
        return;
    m_lastSaveFolder = QFileInfo(path).absolutePath();
    SaveResultsFile(path, retryCancelPrompt(this, msg::fileWriteFailed(), path), runFiles());
}

void frmMain::mnuFilePageSetup_Click()
{
    try {
        QPointer<QPageSetupDialog> dialog = new QPageSetupDialog(&printer(), this);
        dialog->setObjectName(QStringLiteral("dlgCommonDialog"));
        // Accepted settings go to the printer; a cancel changes nothing.
        if (pageSetupDialogHook())
            pageSetupDialogHook()(*dialog);
        else
            dialog->exec();
        delete dialog.data();
    } catch (const std::exception &) {
    }
}

void frmMain::mnuFilePrint_Click()
{
    try {
        QPrinter &page = printer();
        QString file;
        // A printout to a file never replaces the score log, the program's
        // own files, a pipe or a folder: the dialog comes back for another.
        do {
            QPointer<QPrintDialog> dialog = new QPrintDialog(&page, this);
            dialog->setObjectName(QStringLiteral("dlgCommonDialog"));
            dialog->setOption(QAbstractPrintDialog::PrintSelection, false);
            // Printing to a file is left out where a printer exists; a machine
            // without any printer keeps it, or it could not print at all.
            dialog->setOption(QAbstractPrintDialog::PrintToFile,
                              QPrinterInfo::availablePrinterNames().isEmpty());
            // The dialog leaves the printer, the number of copies and the other
            // choices of the user in the printer.
            const bool accepted = printDialogHook() ? printDialogHook()(*dialog)
                                                    : dialog->exec() == QDialog::Accepted;
            delete dialog.data();
            if (!accepted || hasExited())
                return;
            file = page.outputFormat() == QPrinter::PdfFormat ? page.outputFileName() : QString();
        } while (!file.isEmpty() && refuseTarget(file));

        // The page is laid out like the screen, wider than high.
        page.setPageOrientation(QPageLayout::Landscape);
        if (file.isEmpty()) {
            frmGraph::instance().trGraphPrint(page);
            return;
        }
        // A file is printed beside its place and takes it only when complete.
        try {
            fileops::writeWholeThrough(file, runFiles(), [&](const QString &name) {
                page.setOutputFileName(name);
                const bool printed = frmGraph::instance().trGraphPrint(page);
                page.setOutputFileName(file);
                return printed;
            });
        } catch (const Error &) {
            page.setOutputFileName(file);
            showError(this, msg::fileWriteFailed() + msg::crlf() + file);
        }
    } catch (const std::exception &) {
        // Printing fails without a message of its own.
    }
}

} // namespace norva
