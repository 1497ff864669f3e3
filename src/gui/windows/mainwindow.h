#pragma once

#include <QMainWindow>
#include <QMap>

#include <functional>
#include <memory>

class QAction;
class QFileDialog;
class QMdiArea;
class QMenu;
class QPageSetupDialog;
class QPrintDialog;
class QPrinter;
class QToolBar;

namespace norva {

// The name filters of the score log's open dialog; the first is selected.
QStringList scoreFileFilters();

// Test hook: runs in place of the open dialog of File > Score file. It sees
// the dialog as it was set up and returns the chosen path, or an empty text
// for Cancel. An empty hook brings the real dialog back.
using FileDialogHook = std::function<QString(QFileDialog &dialog)>;
void setScoreFileDialogForTests(FileDialogHook hook);

class ChildWindow;

// The main window: a frame whose client area holds the child windows, with the
// program's menus and toolbar. Closing it, by whatever way, runs one exit path:
// recordOpenWindows, the child windows unloaded, saveOnExit.
class MainWindow final : public QMainWindow
{
    Q_OBJECT

public:
    MainWindow();
    ~MainWindow() override;

    // The one main window while it exists, else null.
    static MainWindow *instance();

    QMdiArea *mdiArea() const { return m_mdiArea; }
    QToolBar *toolBar() const { return m_toolBar; }
    // A menu item or toolbar button by its object name, or null.
    QAction *menuAction(const QString &name) const { return m_menuActions.value(name); }
    QAction *toolbarButton(const QString &key) const { return m_toolbarButtons.value(key); }

    // The window's size in twips. A size set in twips reads back unchanged
    // until the window is resized, although the screen shows it to the
    // nearest pixel.
    void setSizeTwips(qint64 widthTwips, qint64 heightTwips);
    qint64 widthTwips() const;
    qint64 heightTwips() const;

    // Save and Print, as menu items and toolbar buttons, together.
    void enableResultCommands(bool enabled);

    // Runs once before the window is first shown: result commands off, toolbar
    // as stored, the calculation when asked for, the child windows of the last
    // session.
    void load();
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
    // first, then the normal exit path runs. During a calculation the window
    // closes only once the calculation has ended (its message boxes are
    // dismissed as they come up), so that its results are complete and no
    // window it refreshes goes away under it.
    void closeFromSignal();

    // The printer that page setup prepares and the print command prints on;
    // it keeps its settings for the rest of the session.
    QPrinter &printer();

    // Test hooks: each stands in for a dialog of the File menu. It receives
    // the dialog as the command set it up and answers for the user: true for
    // OK (the print and page setup hooks may change the printer), or the
    // chosen path (empty for Cancel).
    using PrintDialogHook = std::function<bool(QPrintDialog &)>;
    using PageSetupDialogHook = std::function<bool(QPageSetupDialog &)>;
    using SaveDialogHook = std::function<QString(QFileDialog &)>;
    static void setPrintDialogForTests(PrintDialogHook hook);
    static void setPageSetupDialogForTests(PageSetupDialogHook hook);
    static void setSaveDialogForTests(SaveDialogHook hook);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    // The files of this run that no report or printout may replace: the score
    // log, the settings and the table definitions.
    QStringList runFiles() const;
    // True, after telling the user, when path may not be written: one of the
    // run's files, or no regular file.
    bool refuseTarget(const QString &path);
    // The report file the user chooses, or an empty text.
    QString askReportPath();
    void createMenus();
    void createToolBar();
    void rebuildWindowList();
    // Lines the minimised child windows up along the bottom of the client
    // area; returns the height their rows take.
    int lineUpIcons();
    void tile(Qt::Orientation orientation);
    void unloadChildWindows();

    QMdiArea *m_mdiArea;
    QToolBar *m_toolBar = nullptr;
    QMenu *m_windowMenu = nullptr;
    QList<QAction *> m_windowListActions;
    QMap<QString, QAction *> m_menuActions;
    QMap<QString, QAction *> m_toolbarButtons;
    QSize m_setTwips;
    QSize m_setPixels;
    std::unique_ptr<QPrinter> m_printer;
    QString m_lastSaveFolder;
    bool m_exited = false;
    bool m_closeRequested = false;
    bool m_formLoaded = false;
    // True while the calculation command runs; a signal then waits for its end.
    bool m_calculating = false;
    int m_signalRetries = 0;
};

} // namespace norva
