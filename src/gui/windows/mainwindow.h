#pragma once

#include "core/graph/graphsource.h"
#include "core/settings/settings.h"
#include "gui/widgets/fixedlayout.h"
#include "gui/windows/commandhost.h"
#include "gui/windows/commandtable.h"

#include <QList>
#include <QMainWindow>
#include <QPointer>

#include <memory>
#include <optional>

class QAction;
class QLabel;
class QMdiArea;
class QToolBar;

namespace norva {

class CalculationCommand;
class ChildWindow;
class GamesWindow;
class GraphWindow;
class RankWindow;
class ResultCommands;
class StageWindow;
class StatsWindow;
class WindowArrangement;
class WinWindow;

// The main window: a frame whose client area holds the child windows, with
// the menus and the toolbar of the command table. It works on one session
// (settings, table definitions, results), keeps its child windows and the
// objects its commands run on, and hands each command to its object. Closing
// it, by whatever way, runs one exit path: recordOpenWindows, the child
// windows closed, saveOnExit.
class MainWindow final : public QMainWindow, public CommandHost
{
    Q_OBJECT

public:
    // session outlives the window. The graph window draws graphs, the
    // figures of the session's results unless given.
    explicit MainWindow(Session &session, const GraphSource *graphs = nullptr);
    ~MainWindow() override;

    QWidget *frameWidget() override { return this; }
    Session &session() const override { return m_session; }
    // Where the file, printer, page and colour dialogs are run: the user, or
    // a test that answers them. runner outlives the window.
    void setDialogRunner(DialogRunner &runner) { m_dialogs = &runner; }
    DialogRunner &dialogs() const override { return *m_dialogs; }

    QMdiArea *mdiArea() const { return m_mdiArea; }
    QToolBar *toolBar() const { return m_toolBar; }
    // A command's menu item and toolbar button (null where it has none).
    QAction *menuAction(Command command) const;
    QAction *toolbarButton(Command command) const;
    // A menu item or toolbar button by its object name, or null.
    QAction *menuAction(const QString &name) const;
    QAction *toolbarButton(const QString &key) const;

    // The child windows, open or not.
    UserWindow &userWindow() const override { return *m_userWindow; }
    RankWindow &rankWindow() const { return *m_rankWindow; }
    StageWindow &stageWindow() const { return *m_stageWindow; }
    WinWindow &winWindow() const { return *m_winWindow; }
    GraphWindow &graphWindow() const override { return *m_graphWindow; }
    StatsWindow &statsWindow() const { return *m_statsWindow; }
    GamesWindow &gamesWindow() const { return *m_gamesWindow; }

    // The objects the commands run on.
    ResultCommands &resultCommands() const { return *m_resultCommands; }
    CalculationCommand &calculation() const { return *m_calculation; }
    WindowArrangement &arrangement() const { return *m_arrangement; }

    // Runs a command as its menu item does: a disabled one runs nothing.
    void run(Command command);
    // Runs the command of the toolbar button with exactly this key.
    void runToolbarButton(const QString &key);

    // The window's size in twips. A size set in twips reads back unchanged
    // until the window is resized, although the screen shows it to the
    // nearest pixel.
    void setSizeTwips(qint64 widthTwips, qint64 heightTwips);
    qint64 widthTwips() const;
    qint64 heightTwips() const;

    // The commands the table marks as needing results (save and print), as
    // menu items and toolbar buttons, together.
    void enableResultCommands(bool enabled) override;
    // Every open child window shows the current results.
    void refreshResultWindows() override;
    // A line in the status bar, which shows only while it has one to show.
    void showLogNotice(const QString &text) override;

    // Runs once, as the window is first shown: result commands off, toolbar
    // as stored, the calculation when the settings ask for it or a score log
    // was given (logGiven; without a user name the user is asked for one
    // first), the child windows of the last session; then, unless a
    // calculation ran, a score log that is not there is reported with the
    // offer to choose one.
    void load(bool logGiven = false);
    // Records which child windows are open as VisibleWindow.
    void recordOpenWindows();
    // Stores the window's size (unless minimised or maximised) and writes the
    // settings file.
    void saveOnExit();

    // True once the exit path has run.
    bool hasExited() const override { return m_exited; }
    // True once a signal has asked the window to close.
    bool closeRequested() const { return m_closeRequested; }

    // The frame's own commands.
    void toggleToolBar();
    // View > Follow the log: switches the FollowLog setting.
    void toggleFollowLog();
    void showOptions();
    void showManual();
    void showAbout();

    // Closes the window as a signal asks: open modal dialogs are dismissed
    // first, then the normal exit path runs. A calculation under way stops at
    // once (it watches the signal's flag); the window closes once it has
    // returned.
    void closeFromSignal();

protected:
    void closeEvent(QCloseEvent *event) override;
    // A score log dropped anywhere on the window becomes the run's log.
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    // A child window with the bit that remembers it open in VisibleWindow,
    // or the setting of its own that does (the windows beyond the five).
    struct View
    {
        ChildWindow *window;
        qint16 visibleBit;
        std::optional<Settings::Key> ownKey = std::nullopt;
    };
    // The child windows in the order of the View menu.
    QList<View> views() const;
    void createMenus();
    void createToolBar();

    Session &m_session;
    DialogRunner *m_dialogs;
    ResultsGraphSource m_graphSource;
    QMdiArea *m_mdiArea;
    std::unique_ptr<UserWindow> m_userWindow;
    std::unique_ptr<RankWindow> m_rankWindow;
    std::unique_ptr<StageWindow> m_stageWindow;
    std::unique_ptr<WinWindow> m_winWindow;
    std::unique_ptr<GraphWindow> m_graphWindow;
    std::unique_ptr<StatsWindow> m_statsWindow;
    std::unique_ptr<GamesWindow> m_gamesWindow;
    std::unique_ptr<ResultCommands> m_resultCommands;
    std::unique_ptr<CalculationCommand> m_calculation;
    std::unique_ptr<WindowArrangement> m_arrangement;
    QToolBar *m_toolBar = nullptr;
    // Each command's menu item and toolbar button, in the command table's order.
    QList<QAction *> m_menuItems;
    QList<QAction *> m_buttons;
    TwipsSize m_twips;
    QPointer<QWidget> m_manualWindow;
    QLabel *m_logNotice = nullptr;
    bool m_exited = false;
    bool m_closeRequested = false;
    bool m_formLoaded = false;
    int m_signalRetries = 0;
};

} // namespace norva
