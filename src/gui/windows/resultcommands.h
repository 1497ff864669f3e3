#pragma once

#include <QString>
#include <QStringList>

#include <memory>

class QPrintDialog;
class QPrinter;

namespace norva {

class CommandHost;

// The File menu's commands on the results of the last calculation: the report
// saved, page set-up, the printout. Saving and printing are enabled only
// while a calculation has found data (the command table marks them); a
// command that writes the results to a file chooses it with chooseTarget and
// writes it through the one safe write, as these do.
class ResultCommands
{
public:
    // host outlives the object.
    explicit ResultCommands(CommandHost &host);
    ~ResultCommands();

    // The report to a file the user chooses; an existing one is replaced
    // only when the user says so. Its form is the program's (Shift_JIS, CR
    // LF) unless the user chooses UTF-8 with LF line ends.
    void saveReport();
    // The counted games, or the totals of the record, as CSV to a file the
    // user chooses: UTF-8 with a byte-order mark unless the user chooses
    // Shift_JIS.
    void exportGames();
    void exportTotals();
    // Printer, paper and orientation for the printouts that follow.
    void pageSetup();
    // The results column and the graph on one page, on a printer or into a
    // file the user chooses.
    void print();

    // The printer that page setup prepares and the print command prints on;
    // it keeps its settings for the rest of the session.
    QPrinter &printer();

private:
    // The file the user chooses in a save dialog with this title and these
    // name filters (under each but the one for all files a name without an
    // extension gets suffix), asked again while it is one that may not be
    // written, and confirmed where it exists; or an empty text. filter, where
    // given, tells the place of the filter chosen.
    QString chooseTarget(const QString &title, const QStringList &filters, const QString &suffix,
                         qsizetype *filter = nullptr);
    QString askSavePath(const QString &title, const QStringList &filters, const QString &suffix,
                        qsizetype *filter);
    // A CSV text to a file the user chooses.
    void exportCsv(const QString &title, const QString &text);
    // The files of this run that nothing written may replace: the score log
    // (stored, and as typed in the settings window), the settings and the
    // table definitions.
    QStringList runFiles() const;
    // True, after telling the user, when path may not be written: one of the
    // run's files, or no regular file.
    bool refuseTarget(const QString &path);
    // Makes dialog check a file to print to as refuseTarget does, before
    // anything opens it.
    void guardPrintFile(QPrintDialog &dialog);

    CommandHost &m_host;
    std::unique_ptr<QPrinter> m_printer;
    QString m_lastSaveFolder;
};

} // namespace norva
