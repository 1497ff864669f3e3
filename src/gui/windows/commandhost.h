#pragma once

class QString;
class QWidget;

namespace norva {

class DialogRunner;
class GraphWindow;
class Session;
class UserWindow;

// What the command classes of the main window need of the frame they run in,
// without knowing it: the main window implements this and outlives them.
class CommandHost
{
public:
    virtual ~CommandHost() = default;

    // The owner of the commands' message boxes, dialogs and status window.
    virtual QWidget *frameWidget() = 0;
    virtual Session &session() const = 0;
    // Where the commands' file, printer and page dialogs are run.
    virtual DialogRunner &dialogs() const = 0;
    // True once the frame has closed: a command that comes back from a
    // dialog or a message box then ends without touching anything.
    virtual bool hasExited() const = 0;
    virtual UserWindow &userWindow() const = 0;
    virtual GraphWindow &graphWindow() const = 0;
    // The commands on the results, as menu items and toolbar buttons, together.
    virtual void enableResultCommands(bool enabled) = 0;
    // Every open window that shows results shows the current ones.
    virtual void refreshResultWindows() = 0;
    // What the program has to say about the followed score log, where it
    // takes no answer (the status bar); empty: nothing.
    virtual void showLogNotice(const QString &text) = 0;
};

} // namespace norva
