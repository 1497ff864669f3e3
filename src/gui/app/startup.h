#pragma once

#include <QPointer>

namespace norva {

class GraphSource;
class MainWindow;
class Session;

// Requests for the Japanese fonts of the design find the IPA fonts.
void installFontSubstitutions();

// The start procedure: creates the main window over session (window receives
// it), reads the settings and the table definitions, sizes, loads and shows
// the main window, and lets the termination signals close it through its exit
// path. False when the program was told to end before its main window came
// up; what is left of the window is then the caller's to delete. The graph
// window draws graphs, the figures of the session's results unless given.
bool startProgram(Session &session, QPointer<MainWindow> &window,
                  const GraphSource *graphs = nullptr);

} // namespace norva
