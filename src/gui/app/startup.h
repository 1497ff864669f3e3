#pragma once

#include <QPointer>
#include <QString>

namespace norva {

class DialogRunner;
class GraphSource;
class MainWindow;
class Session;

// The program's Japanese interface, whatever the system's language: the
// forms' Windows fonts (ＭＳ ゴシック, ＭＳ Ｐゴシック) drawn with the IPA fonts,
// Japanese dates and numbers in Qt's dialogs.
void installJapaneseInterface();

// What a start is told from outside.
struct StartOptions
{
    // A score log to calculate in this run (the file the program was opened
    // with), or empty.
    QString scoreFile;
    // The figures the graph window draws; null: the session's results.
    const GraphSource *graphs = nullptr;
    // Where the dialogs are run from the start on (a test answers them);
    // null: shown to the user.
    DialogRunner *dialogs = nullptr;
};

// The start procedure: creates the main window over session (window receives
// it), reads the settings and the table definitions, sizes and shows the main
// window, loads it (the calculation at start-up, the child windows), and lets
// the termination signals close it through its exit path. A score file given
// is calculated at once when the settings name a user. False when the
// program was told to end before its main window came up; what is left of
// the window is then the caller's to delete.
bool startProgram(Session &session, QPointer<MainWindow> &window, const StartOptions &options = {});

// The score log named on the command line (the arguments without the
// program's name), or an empty text; names that are no UTF-8 are kept.
QString scoreFileArgument(const QStringList &arguments);

} // namespace norva
