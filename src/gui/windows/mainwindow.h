#pragma once

#include "core/graph/graphsource.h"
#include "gui/widgets/fixedlayout.h"

#include <QMainWindow>
#include <QMap>
#include <QPointer>

#include <memory>

class QAction;
class QMdiArea;
class QMenu;
class QPrintDialog;
class QPrinter;
class QToolBar;

namespace norva {

class DialogRunner;
class GraphWindow;
class RankWindow;
class Session;
class StageWindow;
class UserWindow;
class WinWindow;

// The name filters of the score log's open dialog; the first is selected.
QStringList scoreFileFilters();

// The main window: a frame whose client area holds the child windows, with the
// program's menus and toolbar. It works on one session (settings, table
// definitions, results) and keeps its child windows. Closing it, by whatever
// way, runs one exit path: recordOpenWindows, the child windows closed,
// saveOnExit.
class MainWindow final : public QMainWindow
{
    Q_OBJECT

public:
    // session outlives the window. The graph window draws graphs, the
    // figures of the session's results unless given.
    explicit MainWindow(Session &session, const GraphSource *graphs = nullptr);
    ~MainWindow() override;

    Session &session() const { return m_session; }
    // Where the file, printer, page and colour dialogs are run: the user, or
    // a test that answers them. runner outlives the window.
    void setDialogRunner(DialogRunner &runner) { m_dialogs = &runner; }

    QMdiArea *mdiArea() const { return m_mdiArea; }
    QToolBar *toolBar() const { return m_toolBar; }
    // A menu item or toolbar button by its object name, or null.
    QAction *menuAction(const QString &name) const { return m_menuActions.value(name); }
    QAction *toolbarButton(const QString &key) const { return m_toolbarButtons.value(key); }

    // The child windows, open or not.
    UserWindow &userWindow() const { return *m_userWindow; }
    RankWindow &rankWindow() const { return *m_rankWindow; }
    StageWindow &stageWindow() const { return *m_stageWindow; }
    WinWindow &winWindow() const { return *m_winWindow; }
    GraphWindow &graphWindow() const { return *m_graphWindow; }

    // The window's size in twips. A size set in twips reads back unchanged
    // until the window is resized, although the screen shows it to the
    // nearest pixel.
    void setSizeTwips(qint64 widthTwips, qint64 heightTwips);
    qint64 widthTwips() const;
    qint64 heightTwips() const;

    // Save and Print, as menu items and toolbar buttons, together.
    void enableResultCommands(bool enabled);

    // Runs once, as the window is first shown: result commands off, toolbar
    // as stored, the calculation when the settings or calculate ask for it,
    // the child windows of the last session.
    void load(bool calculate = false);
    // Records which child windows are open as VisibleWindow.
    void recordOpenWindows();
    // Stores the window's size (unless minimised or maximised) and writes the
    // settings file.
    void saveOnExit();

    // True once the exit path has run.
    bool hasExited() const { return m_exited; }
    // True once a signal has asked the window to close.
    bool closeRequested() const { return m_closeRequested; }

    // Runs the command of the toolbar button with exactly this key.
    void runToolbarButton(const QString &key);

    void openScoreFile();
    void saveReport();
    void pageSetup();
    void print();
    void quit();
    void calculate();
    void toggleToolBar();
    void showUserWindow();
    void showRankWindow();
    void showStageWindow();
    void showWinWindow();
    void showGraphWindow();
    void showOptions();
    void cascade();
    void tileHorizontally();
    void tileVertically();
    void arrangeIcons();
    void showManual();
    void showAbout();

    // Closes the window as a signal asks: open modal dialogs are dismissed
    // first, then the normal exit path runs. A calculation under way stops at
    // once (it watches the signal's flag); the window closes once it has
    // returned.
    void closeFromSignal();

    // The printer that page setup prepares and the print command prints on;
    // it keeps its settings for the rest of the session.
    QPrinter &printer();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    // The files of this run that no report or printout may replace: the score
    // log (stored, and as typed in the settings window), the settings and the
    // table definitions.
    QStringList runFiles() const;
    // True, after telling the user, when path may not be written: one of the
    // run's files, or no regular file.
    bool refuseTarget(const QString &path);
    // The report file the user chooses, or an empty text.
    QString askReportPath();
    // Makes dialog check a file to print to as refuseTarget does, before
    // anything opens it.
    void guardPrintFile(QPrintDialog &dialog);
    void createMenus();
    void createToolBar();
    void rebuildWindowList();
    // Lines the minimised child windows up along the bottom of the client
    // area; returns the height their rows take.
    int lineUpIcons();
    void tile(Qt::Orientation orientation);
    void closeChildWindows();

    Session &m_session;
    DialogRunner *m_dialogs;
    ResultsGraphSource m_graphSource;
    QMdiArea *m_mdiArea;
    std::unique_ptr<UserWindow> m_userWindow;
    std::unique_ptr<RankWindow> m_rankWindow;
    std::unique_ptr<StageWindow> m_stageWindow;
    std::unique_ptr<WinWindow> m_winWindow;
    std::unique_ptr<GraphWindow> m_graphWindow;
    QToolBar *m_toolBar = nullptr;
    QMenu *m_windowMenu = nullptr;
    QList<QAction *> m_windowListActions;
    QMap<QString, QAction *> m_menuActions;
    QMap<QString, QAction *> m_toolbarButtons;
    TwipsSize m_twips;
    std::unique_ptr<QPrinter> m_printer;
    QPointer<QWidget> m_manualWindow;
    QString m_lastSaveFolder;
    bool m_exited = false;
    bool m_closeRequested = false;
    bool m_formLoaded = false;
    // True while the calculation command runs; a signal then waits for its end.
    bool m_calculating = false;
    int m_signalRetries = 0;
};

} // namespace norva
