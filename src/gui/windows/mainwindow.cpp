#include "gui/windows/mainwindow.h"

#include "core/calc/calcresults.h"
#include "core/calc/calculation.h"
#include "core/calc/session.h"
#include "core/common/convert.h"
#include "core/common/error.h"
#include "core/common/exitsignals.h"
#include "core/common/fileops.h"
#include "core/common/messages.h"
#include "core/settings/settings.h"
#include "core/tables/tableinfo.h"
#include "gui/print/printpage.h"
#include "gui/widgets/childwindow.h"
#include "gui/widgets/dialogrunner.h"
#include "gui/widgets/icons.h"
#include "gui/widgets/messagebox.h"
#include "gui/windows/aboutdialog.h"
#include "gui/windows/graphwindow.h"
#include "gui/windows/manualwindow.h"
#include "gui/windows/optionsdialog.h"
#include "gui/windows/rankwindow.h"
#include "gui/windows/stagewindow.h"
#include "gui/windows/statuswindow.h"
#include "gui/windows/userwindow.h"
#include "gui/windows/winwindow.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPageSetupDialog>
#include <QPointer>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QScopedValueRollback>
#include <QScreen>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QUrl>
#include <algorithm>
#include <exception>
#include <limits>
#include <optional>

namespace norva {

namespace {

using Handler = void (MainWindow::*)();

struct MenuItem
{
    const char16_t *name;
    const char16_t *caption; // "-" for a separator
    const char16_t *shortcut;
    Handler handler;
};

struct MenuDef
{
    const char16_t *name;
    const char16_t *caption;
    std::initializer_list<MenuItem> items;
};

struct ButtonDef
{
    const char16_t *key;
    const char16_t *tooltip;
    Handler handler;
    bool separatorAfter;
};

// The toolbar's buttons, in order, by key.
constexpr ButtonDef Buttons[] = {
    {u"ScoreFileOpen", u"スコアファイル指定", &MainWindow::openScoreFile, false},
    {u"ResultsSave", u"結果保存", &MainWindow::saveReport, false},
    {u"Printer", u"印刷", &MainWindow::print, false},
    {u"Exit", u"終了", &MainWindow::quit, true},
    {u"NvCalc", u"結果計算", &MainWindow::calculate, true},
    {u"UserWindow", u"計算情報表示", &MainWindow::showUserWindow, false},
    {u"RankWindow", u"順位表示", &MainWindow::showRankWindow, false},
    {u"StageWindow", u"局表示", &MainWindow::showStageWindow, false},
    {u"WinWindow", u"役表示", &MainWindow::showWinWindow, false},
    {u"GraphWindow", u"グラフ表示", &MainWindow::showGraphWindow, true},
    {u"Customize", u"オプション設定", &MainWindow::showOptions, true},
    {u"AboutNorva", u"バージョン情報", &MainWindow::showAbout, false},
};

// The hourglass for the length of a run, whatever way the run ends.
class BusyCursor
{
public:
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
};

// The status window of a calculation, shown once the run knows that the log
// is longer than one progress step.
class StatusProgress final : public CalcProgress
{
public:
    explicit StatusProgress(QWidget *owner)
        : m_owner(owner)
    {}

    void begin(qint32 lines, qint32 checkLine) override
    {
        m_window = std::make_unique<StatusWindow>(m_owner);
        m_window->show();
        // The bar's maximum only scales the bar: a log too long for it is
        // left to the pass, which reports it in its own words.
        const double steps = double(lines) / double(checkLine);
        m_window->begin(toInt16(std::min(steps, double(std::numeric_limits<qint16>::max()))),
                        msg::calcInProgress());
    }
    void step(qint16 value) override
    {
        if (m_window)
            m_window->setProgress(value);
    }
    void close() { m_window.reset(); }

private:
    QWidget *m_owner;
    std::unique_ptr<StatusWindow> m_window;
};

QString str(const char16_t *s)
{
    return QString::fromUtf16(s);
}

} // namespace

MainWindow::MainWindow(Session &session, const GraphSource *graphs)
    : m_session(session)
    , m_dialogs(&DialogRunner::interactive())
    , m_graphSource(session.results(), session.tables())
    , m_mdiArea(new QMdiArea(this))
    , m_userWindow(std::make_unique<UserWindow>(m_mdiArea, session.settings(), session.tables()))
    , m_rankWindow(std::make_unique<RankWindow>(m_mdiArea, session.results()))
    , m_stageWindow(std::make_unique<StageWindow>(m_mdiArea, session.results()))
    , m_winWindow(std::make_unique<WinWindow>(m_mdiArea, session.results(), session.tables()))
    , m_graphWindow(std::make_unique<GraphWindow>(m_mdiArea, session.settings(),
                                                  graphs ? *graphs : m_graphSource))
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Kelvo結果計算"));
    setWindowIcon(programIcon());
    setAttribute(Qt::WA_DeleteOnClose);
    // The toolbar is shown and hidden through the View menu only, so that the
    // stored setting always matches what is seen.
    setContextMenuPolicy(Qt::NoContextMenu);

    m_mdiArea->setObjectName(QStringLiteral("mdiArea"));
    m_mdiArea->setBackground(palette().dark());
    // A child window partly outside the area stays within reach.
    m_mdiArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_mdiArea->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(m_mdiArea);

    createMenus();
    createToolBar();
}

MainWindow::~MainWindow() = default;

void MainWindow::createMenus()
{
    const MenuDef menus[] = {
        {u"mnuFile",
         u"ファイル(&F)",
         {
             {u"mnuFileOpen", u"スコアファイル(&O)...", nullptr, &MainWindow::openScoreFile},
             {u"mnuFileSave", u"試合結果保存(&S)...", u"Ctrl+S", &MainWindow::saveReport},
             {u"mnuFileBar1", u"-", nullptr, nullptr},
             {u"mnuFilePageSetup", u"ページ設定(&U)...", nullptr, &MainWindow::pageSetup},
             {u"mnuFilePrint", u"印刷(&P)...", u"Ctrl+P", &MainWindow::print},
             {u"mnuFileBar2", u"-", nullptr, nullptr},
             {u"mnuFileExit", u"終了(&X)", nullptr, &MainWindow::quit},
         }},
        {u"mnuEdit",
         u"編集(&E)",
         {
             {u"mnuEditCalc", u"計算(&C)", u"Ctrl+L", &MainWindow::calculate},
         }},
        {u"mnuView",
         u"表示(&V)",
         {
             {u"mnuViewToolbar", u"ツールバー(&T)", nullptr, &MainWindow::toggleToolBar},
             {u"mnuViewBar1", u"-", nullptr, nullptr},
             {u"mnuViewUser", u"計算情報(&U)...", u"Ctrl+U", &MainWindow::showUserWindow},
             {u"mnuViewRank", u"順位(&R)...", u"Ctrl+R", &MainWindow::showRankWindow},
             {u"mnuViewStage", u"局(&A)...", u"Ctrl+A", &MainWindow::showStageWindow},
             {u"mnuViewWin", u"役(&W)...", u"Ctrl+W", &MainWindow::showWinWindow},
             {u"mnuViewGraph", u"グラフ(&G)...", u"Ctrl+G", &MainWindow::showGraphWindow},
             {u"mnuViewBar2", u"-", nullptr, nullptr},
             {u"mnuViewOptions", u"オプション(&O)...", u"Ctrl+O", &MainWindow::showOptions},
         }},
        {u"mnuWindow",
         u"ウィンドウ(&W)",
         {
             {u"mnuWindowCascade", u"重ねて表示(&C)", nullptr, &MainWindow::cascade},
             {u"mnuWindowTileHorizontal", u"上下に並べて表示(&H)", nullptr,
              &MainWindow::tileHorizontally},
             {u"mnuWindowTileVertical", u"左右に並べて表示(&V)", nullptr,
              &MainWindow::tileVertically},
             {u"mnuWindowArrangeIcons", u"アイコンの整列(&A)", nullptr, &MainWindow::arrangeIcons},
         }},
        {u"mnuHelp",
         u"ヘルプ(&H)",
         {
             {u"mnuHelpContents", u"説明(&C)...", nullptr, &MainWindow::showManual},
             {u"mnuHelpBar1", u"-", nullptr, nullptr},
             {u"mnuHelpAbout", u"バージョン情報(&A)...", nullptr, &MainWindow::showAbout},
         }},
    };

    for (const MenuDef &def : menus) {
        QMenu *menu = menuBar()->addMenu(str(def.caption));
        menu->setObjectName(str(def.name));
        for (const MenuItem &item : def.items) {
            QAction *action = nullptr;
            if (str(item.caption) == u"-") {
                action = menu->addSeparator();
            } else {
                action = menu->addAction(str(item.caption));
                if (item.shortcut)
                    action->setShortcut(QKeySequence(str(item.shortcut)));
                const Handler h = item.handler;
                connect(action, &QAction::triggered, this, [this, h] { (this->*h)(); });
            }
            action->setObjectName(str(item.name));
            m_menuActions.insert(action->objectName(), action);
        }
        if (str(def.name) == u"mnuWindow") {
            m_windowMenu = menu;
            connect(menu, &QMenu::aboutToShow, this, &MainWindow::rebuildWindowList);
        }
    }
    QAction *toolbarItem = m_menuActions.value(QStringLiteral("mnuViewToolbar"));
    toolbarItem->setCheckable(true);
    toolbarItem->setChecked(true);
}

void MainWindow::createToolBar()
{
    m_toolBar = addToolBar(QStringLiteral("tbToolBar"));
    m_toolBar->setObjectName(QStringLiteral("tbToolBar"));
    m_toolBar->setMovable(false);
    m_toolBar->setFloatable(false);
    m_toolBar->setIconSize(QSize(16, 16));
    m_toolBar->toggleViewAction()->setVisible(false);
    int separator = 0;
    for (const ButtonDef &b : Buttons) {
        const QString key = str(b.key);
        QAction *button = m_toolBar->addAction(toolbarIcon(key), str(b.tooltip));
        button->setObjectName(key);
        button->setToolTip(str(b.tooltip));
        connect(button, &QAction::triggered, this, [this, key] { runToolbarButton(key); });
        m_toolbarButtons.insert(key, button);
        if (b.separatorAfter)
            m_toolBar->addSeparator()->setObjectName(
                QStringLiteral("tbSeparator%1").arg(++separator));
    }
}

void MainWindow::runToolbarButton(const QString &key)
{
    for (const ButtonDef &d : Buttons) {
        if (key == QStringView(d.key)) {
            // A disabled button runs nothing, however it is reached.
            if (QAction *b = toolbarButton(key); b && !b->isEnabled())
                return;
            (this->*d.handler)();
            return;
        }
    }
}

void MainWindow::setSizeTwips(qint64 widthTwips, qint64 heightTwips)
{
    QSize size(twipsToPixels(widthTwips), twipsToPixels(heightTwips));
    // A size stored on a larger screen must not leave the window's edges out
    // of reach.
    if (const QScreen *s = screen())
        size = size.boundedTo(s->availableSize());
    resize(size.expandedTo(QSize(1, 1)));
    m_twips.set(widthTwips, heightTwips, this->size());
}

qint64 MainWindow::widthTwips() const
{
    return m_twips.width(width());
}

qint64 MainWindow::heightTwips() const
{
    return m_twips.height(height());
}

void MainWindow::enableResultCommands(bool enabled)
{
    m_menuActions.value(QStringLiteral("mnuFileSave"))->setEnabled(enabled);
    m_toolbarButtons.value(QStringLiteral("ResultsSave"))->setEnabled(enabled);
    m_menuActions.value(QStringLiteral("mnuFilePrint"))->setEnabled(enabled);
    m_toolbarButtons.value(QStringLiteral("Printer"))->setEnabled(enabled);
}

// ---------------------------------------------------------------- lifecycle

void MainWindow::load(bool calculateNow)
{
    const Settings &settings = m_session.settings();
    const int mask = settings.visibleWindow();
    m_formLoaded = true;
    enableResultCommands(false);
    if (!settings.mainToolbar())
        toggleToolBar();
    if (settings.autoCalc() || calculateNow)
        calculate();
    // The calculation settings window opens last and so ends up in front.
    if (mask & Settings::GraphWindowBit)
        m_graphWindow->show();
    if (mask & Settings::WinWindowBit)
        m_winWindow->show();
    if (mask & Settings::StageWindowBit)
        m_stageWindow->show();
    if (mask & Settings::RankWindowBit)
        m_rankWindow->show();
    if (mask & Settings::UserWindowBit)
        m_userWindow->show();
}

void MainWindow::recordOpenWindows()
{
    // Closed before it ever loaded (a signal during start-up): what was read
    // at start stays as it was.
    if (!m_formLoaded)
        return;
    // Taken before any child window unloads: afterwards all of them say closed.
    qint16 mask = 0;
    if (m_userWindow->isOpen())
        mask |= Settings::UserWindowBit;
    if (m_rankWindow->isOpen())
        mask |= Settings::RankWindowBit;
    if (m_stageWindow->isOpen())
        mask |= Settings::StageWindowBit;
    if (m_winWindow->isOpen())
        mask |= Settings::WinWindowBit;
    if (m_graphWindow->isShown())
        mask |= Settings::GraphWindowBit;
    m_session.settings().setValue(Settings::VisibleWindow, QVariant::fromValue<qint16>(mask));
}

void MainWindow::closeChildWindows()
{
    for (QMdiSubWindow *sub : m_mdiArea->subWindowList())
        sub->close();
}

void MainWindow::saveOnExit()
{
    // A minimised or maximised window writes back the normal size read at
    // start-up, so the next start opens as the user last arranged it.
    const Qt::WindowStates state = windowState();
    if (m_formLoaded
        && !(state & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen))) {
        Settings &settings = m_session.settings();
        try {
            settings.setValue(Settings::MainWidth, widthTwips());
        } catch (const Error &) {
        }
        try {
            settings.setValue(Settings::MainHeight, heightTwips());
        } catch (const Error &) {
        }
    }
    const QString path = m_session.files().settingsFile;
    const RetryPrompt retry = retryCancelPrompt(this, msg::settingsWriteFailed(), path);
    m_session.saveSettings([this, retry, path](const Error &e) {
        // A settings file that leads to the score log or another file of the
        // run stays unwritten, whatever the answer: said once.
        if (e.kind() != ErrorKind::ProtectedFile)
            return retry(e);
        showError(this, msg::settingsWriteFailed() + msg::crlf() + path + msg::crlf()
                            + msg::settingsLeadToRunFile());
        return false;
    });
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    // Closing is never refused, and the exit path runs only once.
    if (!m_exited) {
        m_exited = true;
        recordOpenWindows();
        closeChildWindows();
        saveOnExit();
    }
    event->accept();
}

void MainWindow::closeFromSignal()
{
    m_closeRequested = true;
    if (m_calculating) {
        // A message box of the calculation runs a loop of its own: answer it
        // with its escape button and look again until the calculation is over.
        if (QWidget *modal = QApplication::activeModalWidget(); modal && modal != this)
            modal->close();
        QTimer::singleShot(50, this, &MainWindow::closeFromSignal);
        return;
    }
    // A modal box or dialog runs a loop of its own over this window: dismiss it
    // (a box answers with its escape button) and come back once it has gone.
    if (QWidget *modal = QApplication::activeModalWidget();
        modal && modal != this && m_signalRetries < 50) {
        ++m_signalRetries;
        modal->close();
        QTimer::singleShot(50, this, &MainWindow::closeFromSignal);
        return;
    }
    m_signalRetries = 0;
    close();
}

// ------------------------------------------------------------- File menu

void MainWindow::quit()
{
    close();
}

// ------------------------------------------------------------- View menu

void MainWindow::toggleToolBar()
{
    const bool show = m_toolBar->isHidden();
    m_toolBar->setVisible(show);
    m_menuActions.value(QStringLiteral("mnuViewToolbar"))->setChecked(show);
    m_session.settings().setValue(Settings::MainToolbar, show);
}

void MainWindow::showUserWindow()
{
    m_userWindow->show();
}

void MainWindow::showRankWindow()
{
    m_rankWindow->show();
}

void MainWindow::showStageWindow()
{
    m_stageWindow->show();
}

void MainWindow::showWinWindow()
{
    m_winWindow->show();
}

void MainWindow::showGraphWindow()
{
    m_graphWindow->show();
}

void MainWindow::showOptions()
{
    OptionsDialog::showModal(m_session.settings(), m_graphWindow.get(), *m_dialogs, this);
}

// ----------------------------------------------------------- Window menu

void MainWindow::rebuildWindowList()
{
    for (QAction *a : std::as_const(m_windowListActions)) {
        m_windowMenu->removeAction(a);
        delete a;
    }
    m_windowListActions.clear();

    const QList<QMdiSubWindow *> windows = m_mdiArea->subWindowList();
    if (windows.isEmpty())
        return;
    m_windowListActions.append(m_windowMenu->addSeparator());
    QMdiSubWindow *active = m_mdiArea->activeSubWindow();
    int n = 0;
    for (QMdiSubWindow *sub : windows) {
        ++n;
        // The first nine get their number as access key.
        const QString caption = n < 10 ? QStringLiteral("&%1 %2").arg(n).arg(sub->windowTitle())
                                       : QStringLiteral("%1 %2").arg(n).arg(sub->windowTitle());
        QAction *a = m_windowMenu->addAction(caption);
        a->setCheckable(true);
        a->setChecked(sub == active);
        const QPointer<QMdiSubWindow> target(sub);
        connect(a, &QAction::triggered, this, [this, target] {
            if (!target)
                return;
            if (target->isMinimized())
                target->showNormal();
            m_mdiArea->setActiveSubWindow(target);
        });
        m_windowListActions.append(a);
    }
}

void MainWindow::cascade()
{
    // Each window keeps its size; only the positions step down and to the
    // right by a title bar's height, the front window last. Where a title bar
    // would leave the area, a new run starts from its top-left corner; what
    // reaches past the area's edges is within reach of its scroll bars.
    QList<QMdiSubWindow *> windows;
    for (QMdiSubWindow *sub : m_mdiArea->subWindowList(QMdiArea::StackingOrder))
        if (sub->isVisible() && !sub->isMinimized())
            windows.append(sub);
    if (windows.isEmpty())
        return;
    const QRect area = m_mdiArea->viewport()->rect();
    const int step = qMax(1, windows.first()->style()->pixelMetric(QStyle::PM_TitleBarHeight,
                                                                   nullptr, windows.first()));
    QPoint at = area.topLeft();
    for (QMdiSubWindow *sub : std::as_const(windows)) {
        if (sub->isMaximized())
            sub->showNormal();
        if (at.x() + step > area.right() || at.y() + step > area.bottom())
            at = area.topLeft();
        sub->move(at);
        sub->raise();
        at += QPoint(step, step);
    }
}

void MainWindow::tileHorizontally()
{
    tile(Qt::Vertical);
}

void MainWindow::tileVertically()
{
    tile(Qt::Horizontal);
}

void MainWindow::arrangeIcons()
{
    lineUpIcons();
}

int MainWindow::lineUpIcons()
{
    const QRect area = m_mdiArea->viewport()->rect();
    int x = area.left();
    int bottom = area.bottom() + 1; // bottom edge of the current row
    int rowHeight = 0;
    int used = 0;
    for (QMdiSubWindow *sub : m_mdiArea->subWindowList()) {
        if (!sub->isVisible() || !sub->isMinimized())
            continue;
        const QSize s = sub->size();
        if (x > area.left() && x + s.width() > area.right() + 1) {
            bottom -= rowHeight;
            x = area.left();
            rowHeight = 0;
        }
        sub->move(x, bottom - s.height());
        x += s.width();
        rowHeight = std::max(rowHeight, s.height());
        used = area.bottom() + 1 - (bottom - rowHeight);
    }
    return used;
}

// Lays the open, not minimised child windows out in one column (orientation
// Vertical: one above another, each as wide as the client area) or one row
// (Horizontal: side by side, each as high as the client area), the front
// window first. Minimised windows keep a row along the bottom.
void MainWindow::tile(Qt::Orientation orientation)
{
    const int iconRows = lineUpIcons();
    QList<QMdiSubWindow *> windows;
    const QList<QMdiSubWindow *> stacking = m_mdiArea->subWindowList(QMdiArea::StackingOrder);
    for (auto it = stacking.crbegin(); it != stacking.crend(); ++it)
        if ((*it)->isVisible() && !(*it)->isMinimized())
            windows.append(*it);
    if (windows.isEmpty())
        return;

    QRect area = m_mdiArea->viewport()->rect();
    area.setBottom(area.bottom() - iconRows);
    const int n = int(windows.size());
    const int extent = orientation == Qt::Vertical ? area.height() : area.width();
    for (int i = 0; i < n; ++i) {
        QMdiSubWindow *sub = windows[i];
        if (sub->isMaximized())
            sub->showNormal();
        const int from = extent * i / n;
        const int to = extent * (i + 1) / n;
        if (orientation == Qt::Vertical)
            sub->setGeometry(area.left(), area.top() + from, area.width(), to - from);
        else
            sub->setGeometry(area.left() + from, area.top(), to - from, area.height());
    }
}

// ------------------------------------------------------------- Help menu

void MainWindow::showManual()
{
    const QString path = m_session.files().manualFile;
    const QFileInfo fi(path);
    if (fi.isFile() && !fi.isHidden()) {
        // The viewer reports its own troubles; the program does not wait for
        // it. Where the desktop has none, the program shows the text itself.
        if (QDesktopServices::openUrl(QUrl::fromLocalFile(fi.absoluteFilePath())))
            return;
        if (!m_manualWindow)
            m_manualWindow = new ManualWindow(path, this);
        m_manualWindow->show();
        m_manualWindow->raise();
        m_manualWindow->activateWindow();
        return;
    }
    showError(this, msg::helpFileNotFound() + msg::crlf() + path);
}

void MainWindow::showAbout()
{
    AboutDialog::showModal(this);
}

// ------------------------------------------------------------
// The File menu's commands that work on the results: saving the report, page
// setup and printing.

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

QPrinter &MainWindow::printer()
{
    if (!m_printer)
        m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return *m_printer;
}

QStringList MainWindow::runFiles() const
{
    QStringList files = m_session.runFiles();
    if (m_userWindow->isOpen())
        files << m_userWindow->fileNameEdit()->text();
    return files;
}

bool MainWindow::refuseTarget(const QString &path)
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

QString MainWindow::askReportPath()
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
            folder = QFileInfo(m_session.settings().scoreFile()).absolutePath();
        if (QFileInfo(folder).isDir())
            dialog->setDirectory(folder);

        path = m_dialogs->chooseFile(*dialog);
        delete dialog.data();
    } catch (const std::exception &) {
        return QString();
    }
    return path;
}

void MainWindow::saveReport()
{
    QString path;
    // The score log and the program's own files are never replaced by a
    // report, nor is a pipe or a folder: the user chooses another file.
    do {
        path = askReportPath();
        if (path.isEmpty() || hasExited())
            return;
    } while (refuseTarget(path));

    if (!mayWriteOver(this, path))
        return;
    m_lastSaveFolder = QFileInfo(path).absolutePath();
    m_session.report().save(path, retryCancelPrompt(this, msg::fileWriteFailed(), path),
                            runFiles());
}

void MainWindow::pageSetup()
{
    try {
        QPointer<QPageSetupDialog> dialog = new QPageSetupDialog(&printer(), this);
        dialog->setObjectName(QStringLiteral("dlgCommonDialog"));
        // Accepted settings go to the printer; a cancel changes nothing.
        m_dialogs->run(*dialog);
        delete dialog.data();
    } catch (const std::exception &) {
    }
}

void MainWindow::guardPrintFile(QPrintDialog &dialog)
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
    connect(buttons, &QDialogButtonBox::accepted, &dialog,
            [this, d = QPointer<QPrintDialog>(&dialog), name] {
                if (!name->isEnabled()) {
                    if (!QMetaObject::invokeMethod(d, "_q_checkFields"))
                        d->accept();
                    return;
                }
                // A relative name is taken from the home folder, as the dialog
                // takes it.
                QString path = name->text();
                if (QDir::isRelativePath(path))
                    path = QDir::homePath() + QDir::separator() + path;
                if (refuseTarget(path) || !d || hasExited() || !mayWriteOver(d, path))
                    return;
                if (d)
                    d->accept();
            });
}

void MainWindow::print()
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
            guardPrintFile(*dialog);
            // The dialog leaves the printer, the number of copies and the other
            // choices of the user in the printer.
            const bool accepted = m_dialogs->run(*dialog);
            delete dialog.data();
            if (!accepted || hasExited())
                return;
            file = page.outputFormat() == QPrinter::PdfFormat ? page.outputFileName() : QString();
        } while (!file.isEmpty() && refuseTarget(file));

        // The page is laid out like the screen, wider than high.
        page.setPageOrientation(QPageLayout::Landscape);
        QList<PrintLine> lines;
        try {
            lines = m_session.report().printLines();
        } catch (const Error &) {
            // The column stays empty; the graph is still printed.
        }
        if (file.isEmpty()) {
            m_graphWindow->print(page, lines);
            return;
        }
        // A file is made in memory and written as a whole, so that it is
        // complete or not written at all (the printer's own file output
        // ignores failed writes); the old file stays on a failure, and the
        // user hears why.
        const QByteArray pdf = pdfLike(
            page, [&](QPagedPaintDevice &pdfPage) { return m_graphWindow->print(pdfPage, lines); });
        if (pdf.isEmpty())
            return;
        writeFileSafely(file, pdf, retryCancelPrompt(this, msg::fileWriteFailed(), file),
                        runFiles());
    } catch (const std::exception &) {
        // Printing fails without a message of its own.
    }
}

// ------------------------------------------------------------
// The calculation command of the main window: takes the settings over from the
// settings window, checks the score log and the table definitions, runs the
// pass with the status window and refreshes the open result windows.

void MainWindow::calculate()
{
    // A signal to quit waits for the end of the run (closeFromSignal), which
    // comes at once: the run watches the signal's flag.
    const QScopedValueRollback<bool> calculating(m_calculating, true);
    std::optional<BusyCursor> busy;
    StatusProgress progress(this);
    try {
        if (m_userWindow->isOpen())
            m_userWindow->takeOver();

        busy.emplace();
        const CalcOutcome outcome =
            runCalculation(m_session.settings(), m_session.tables(), m_session.results(), &progress,
                           exitRequestedFlag());
        busy.reset(); // no hourglass over a message box
        switch (outcome.status) {
        case CalcOutcome::Status::ScoreFileMissing:
            showError(this,
                      msg::scoreFileNotFound() + msg::crlf() + m_session.settings().scoreFile());
            if (m_userWindow->isOpen())
                m_userWindow->focusFileName();
            enableResultCommands(false);
            return;
        case CalcOutcome::Status::NoTableKinds:
            showError(this, msg::selectTableKinds());
            enableResultCommands(false);
            return;
        case CalcOutcome::Status::Cancelled:
            // The program is on its way out: what the pass gathered is
            // neither shown nor kept.
            enableResultCommands(false);
            return;
        case CalcOutcome::Status::NoValidData:
            if (outcome.passError)
                showMessage(this, QMessageBox::Critical, msg::titleCalcError(),
                            outcome.passError->description());
            showMessage(this, QMessageBox::Warning, msg::titleConfirm(), msg::noValidData());
            enableResultCommands(false);
            break;
        case CalcOutcome::Status::Counted:
            enableResultCommands(true);
            break;
        }

        if (m_rankWindow->isOpen())
            m_rankWindow->refresh();
        if (m_stageWindow->isOpen())
            m_stageWindow->refresh();
        if (m_winWindow->isOpen())
            m_winWindow->refresh();
        if (m_graphWindow->isShown())
            m_graphWindow->redraw();
        progress.close();
    } catch (const Error &) {
        busy.reset();
        showError(this, msg::calcFailed() + msg::crlf() + msg::checkSettings());
        progress.close();
        enableResultCommands(false);
    }
}

// ------------------------------------------------------------
// File > Score file: the open dialog for the score log, whose choice goes into
// the calculation settings window.

namespace {

QString allFilesFilter()
{
    return QStringLiteral("すべてのファイル (*.*)");
}

// The folder the open dialog starts in for path, the score log as typed or
// stored.
QString startFolder(const QString &path)
{
    const QFileInfo fi(path);
    if (fi.isDir())
        return fi.absoluteFilePath();
    if (!path.isEmpty() && fi.absoluteDir().exists())
        return fi.absolutePath();
    return {};
}

} // namespace

QStringList scoreFileFilters()
{
    return {QStringLiteral("スコアファイル(mjscore.txt)"),
            QStringLiteral("テキストファイル (*.txt)"), allFilesFilter()};
}

void MainWindow::openScoreFile()
{
    // On the heap, as the main window may be told to close while it is up.
    QPointer<QFileDialog> dialog = new QFileDialog(this);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setFileMode(QFileDialog::ExistingFile);
    dialog->setWindowTitle(QStringLiteral("開く"));
    dialog->setNameFilters(scoreFileFilters());
    dialog->selectNameFilter(scoreFileFilters().first());
    // That of the path in the settings window, or of the stored score log.
    const QLineEdit *box = m_userWindow->fileNameEdit();
    if (const QString folder = startFolder(box ? box->text() : m_session.settings().scoreFile());
        !folder.isEmpty())
        dialog->setDirectory(folder);
    // "*.*" means every file, also one without a dot in its name.
    QObject::connect(dialog, &QFileDialog::filterSelected, dialog,
                     [d = dialog.data()](const QString &f) {
                         if (f != allFilesFilter())
                             return;
                         if (auto *model = d->findChild<QFileSystemModel *>())
                             model->setNameFilters({QStringLiteral("*")});
                     });
    const QString path = m_dialogs->chooseFile(*dialog);
    delete dialog.data();
    if (path.isEmpty() || hasExited())
        return;
    m_userWindow->setFileName(QDir::toNativeSeparators(path));
}

} // namespace norva
