#include "gui/windows/mainwindow.h"

#include "core/calc/calcresults.h"
#include "core/common/convert.h"
#include "core/common/error.h"
#include "core/common/exitsignals.h"
#include "core/common/fileops.h"
#include "core/common/messages.h"
#include "core/common/paths.h"
#include "core/settings/settings.h"
#include "core/tables/tableinfo.h"
#include "gui/widgets/childwindow.h"
#include "gui/widgets/icons.h"
#include "gui/widgets/messagebox.h"
#include "gui/windows/aboutdialog.h"
#include "gui/windows/graphwindow.h"
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

MainWindow *g_main = nullptr;

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

QString str(const char16_t *s)
{
    return QString::fromUtf16(s);
}

} // namespace

MainWindow::MainWindow()
    : m_mdiArea(new QMdiArea(this))
{
    Q_ASSERT(!g_main);
    g_main = this;
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
    ChildWindow::setMdiArea(m_mdiArea);

    createMenus();
    createToolBar();
}

MainWindow::~MainWindow()
{
    if (g_main == this)
        g_main = nullptr;
}

MainWindow *MainWindow::instance()
{
    return g_main;
}

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
    const ButtonDef buttons[] = {
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

    m_toolBar = addToolBar(QStringLiteral("tbToolBar"));
    m_toolBar->setObjectName(QStringLiteral("tbToolBar"));
    m_toolBar->setMovable(false);
    m_toolBar->setFloatable(false);
    m_toolBar->setIconSize(QSize(16, 16));
    m_toolBar->toggleViewAction()->setVisible(false);
    int separator = 0;
    for (const ButtonDef &b : buttons) {
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
    struct Dispatch
    {
        const char16_t *key;
        Handler handler;
    };
    static const Dispatch table[] = {
        {u"ScoreFileOpen", &MainWindow::openScoreFile},
        {u"ResultsSave", &MainWindow::saveReport},
        {u"Printer", &MainWindow::print},
        {u"Exit", &MainWindow::quit},
        {u"NvCalc", &MainWindow::calculate},
        {u"UserWindow", &MainWindow::showUserWindow},
        {u"RankWindow", &MainWindow::showRankWindow},
        {u"StageWindow", &MainWindow::showStageWindow},
        {u"WinWindow", &MainWindow::showWinWindow},
        {u"GraphWindow", &MainWindow::showGraphWindow},
        {u"Customize", &MainWindow::showOptions},
        {u"AboutNorva", &MainWindow::showAbout},
    };
    for (const Dispatch &d : table) {
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
    m_setPixels = this->size();
    m_setTwips = QSize(m_setPixels.width() == twipsToPixels(widthTwips)
                           ? int(widthTwips)
                           : int(pixelsToTwips(m_setPixels.width())),
                       m_setPixels.height() == twipsToPixels(heightTwips)
                           ? int(heightTwips)
                           : int(pixelsToTwips(m_setPixels.height())));
}

qint64 MainWindow::widthTwips() const
{
    return width() == m_setPixels.width() ? m_setTwips.width() : pixelsToTwips(width());
}

qint64 MainWindow::heightTwips() const
{
    return height() == m_setPixels.height() ? m_setTwips.height() : pixelsToTwips(height());
}

void MainWindow::enableResultCommands(bool enabled)
{
    m_menuActions.value(QStringLiteral("mnuFileSave"))->setEnabled(enabled);
    m_toolbarButtons.value(QStringLiteral("ResultsSave"))->setEnabled(enabled);
    m_menuActions.value(QStringLiteral("mnuFilePrint"))->setEnabled(enabled);
    m_toolbarButtons.value(QStringLiteral("Printer"))->setEnabled(enabled);
}

// ---------------------------------------------------------------- lifecycle

void MainWindow::load()
{
    const int mask = GetParamValue(QStringLiteral("VisibleWindow")).toInt();
    m_formLoaded = true;
    enableResultCommands(false);
    if (!GetParamValue(QStringLiteral("MainToolbar")).toBool())
        toggleToolBar();
    if (GetParamValue(QStringLiteral("AutoCalc")).toBool())
        calculate();
    // The calculation settings window opens last and so ends up in front.
    if (mask & 16)
        GraphWindow::instance().show();
    if (mask & 8)
        WinWindow::instance().show();
    if (mask & 4)
        StageWindow::instance().show();
    if (mask & 2)
        RankWindow::instance().show();
    if (mask & 1)
        UserWindow::instance().show();
}

void MainWindow::recordOpenWindows()
{
    // Closed before it ever loaded (a signal during start-up): what was read
    // at start stays as it was.
    if (!m_formLoaded)
        return;
    // Taken before any child window unloads: afterwards all of them say closed.
    qint16 mask = 0;
    if (UserWindow::instance().isOpen())
        mask |= 1;
    if (RankWindow::instance().isOpen())
        mask |= 2;
    if (StageWindow::instance().isOpen())
        mask |= 4;
    if (WinWindow::instance().isOpen())
        mask |= 8;
    if (GraphWindow::instance().isShown())
        mask |= 16;
    try {
        SetParamValue(QStringLiteral("VisibleWindow"), QVariant::fromValue<qint16>(mask));
    } catch (const Error &) {
    }
}

void MainWindow::unloadChildWindows()
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
        try {
            SetParamValue(QStringLiteral("MainWidth"), widthTwips());
        } catch (const Error &) {
        }
        try {
            SetParamValue(QStringLiteral("MainHeight"), heightTwips());
        } catch (const Error &) {
        }
    }
    SaveParamFile(retryCancelPrompt(this, msg::settingsWriteFailed(), paramFilePath()));
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    // Closing is never refused, and the exit path runs only once.
    if (!m_exited) {
        m_exited = true;
        recordOpenWindows();
        unloadChildWindows();
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

// ------------------------------------------------------------- Edit menu

// ------------------------------------------------------------- View menu

void MainWindow::toggleToolBar()
{
    const bool show = m_toolBar->isHidden();
    m_toolBar->setVisible(show);
    m_menuActions.value(QStringLiteral("mnuViewToolbar"))->setChecked(show);
    try {
        SetParamValue(QStringLiteral("MainToolbar"), show);
    } catch (const Error &) {
    }
}

void MainWindow::showUserWindow()
{
    UserWindow::instance().show();
}

void MainWindow::showRankWindow()
{
    RankWindow::instance().show();
}

void MainWindow::showStageWindow()
{
    StageWindow::instance().show();
}

void MainWindow::showWinWindow()
{
    WinWindow::instance().show();
}

void MainWindow::showGraphWindow()
{
    GraphWindow::instance().show();
}

void MainWindow::showOptions()
{
    OptionsDialog::showModal(this);
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
    const QString path = besideExecutable(QStringLiteral("Readme.txt"));
    const QFileInfo fi(path);
    if (fi.isFile() && !fi.isHidden()) {
        // The viewer reports its own troubles; the program does not wait for it.
        QDesktopServices::openUrl(QUrl::fromLocalFile(fi.absoluteFilePath()));
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

MainWindow::PrintDialogHook &printDialogHook()
{
    static MainWindow::PrintDialogHook hook;
    return hook;
}

MainWindow::PageSetupDialogHook &pageSetupDialogHook()
{
    static MainWindow::PageSetupDialogHook hook;
    return hook;
}

MainWindow::SaveDialogHook &saveDialogHook()
{
    static MainWindow::SaveDialogHook hook;
    return hook;
}

QString overwriteQuestion(const QString &path)
{
    return path + msg::crlf() + QStringLiteral("このファイルはすでに存在します。") + msg::crlf()
           + msg::crlf() + QStringLiteral("上書きしますか？");
}

} // namespace

void MainWindow::setPrintDialogForTests(PrintDialogHook hook)
{
    printDialogHook() = std::move(hook);
}

void MainWindow::setPageSetupDialogForTests(PageSetupDialogHook hook)
{
    pageSetupDialogHook() = std::move(hook);
}

void MainWindow::setSaveDialogForTests(SaveDialogHook hook)
{
    saveDialogHook() = std::move(hook);
}

QPrinter &MainWindow::printer()
{
    if (!m_printer)
        m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return *m_printer;
}

QStringList MainWindow::runFiles() const
{
    QStringList files{GetParamValue(QStringLiteral("ScoreFile")).toString(), paramFilePath(),
                      tableInfoFilePath()};
    if (UserWindow::instance().isOpen())
        files << UserWindow::instance().fileNameEdit()->text();
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

    if (IsFileAttr(path, 0)
        && showMessage(this, QMessageBox::Question, productName(), overwriteQuestion(path),
                       QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
               != QMessageBox::Yes)
        return;
    m_lastSaveFolder = QFileInfo(path).absolutePath();
    saveResultsFile(path, retryCancelPrompt(this, msg::fileWriteFailed(), path), runFiles());
}

void MainWindow::pageSetup()
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
            GraphWindow::instance().print(page);
            return;
        }
        // A file is printed beside its place and takes it only when complete.
        try {
            fileops::writeWholeThrough(file, runFiles(), [&](const QString &name) {
                page.setOutputFileName(name);
                const bool printed = GraphWindow::instance().print(page);
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

// ------------------------------------------------------------
// The calculation command of the main window: takes the settings over from the
// settings window, checks the score log and the table definitions, runs the
// pass with the status window and refreshes the open result windows.

namespace {

// The hourglass for the length of a run, whatever way the run ends.
class BusyCursor
{
public:
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
};

} // namespace

void MainWindow::calculate()
{
    // A signal to quit waits for the end of the run (closeFromSignal).
    const QScopedValueRollback<bool> calculating(m_calculating, true);
    std::optional<BusyCursor> busy;
    try {
        UserWindow &user = UserWindow::instance();
        if (user.isOpen())
            user.takeOver();

        const QString scoreFile = GetParamValue(QStringLiteral("ScoreFile")).toString();
        if (!IsFileAttr(scoreFile, 0)) {
            ClearCalcValues();
            showError(this, msg::scoreFileNotFound() + msg::crlf() + scoreFile);
            if (user.isOpen())
                user.focusFileName();
            enableResultCommands(false);
            return;
        }
        if (TableStringList(1).isEmpty() || TableStringList(2).isEmpty()) {
            ClearCalcValues();
            showError(this, msg::selectTableKinds());
            enableResultCommands(false);
            return;
        }

        busy.emplace();
        // An exit signal stops the run where it is: counting or reading.
        const CancelFlag *cancel = exitRequestedFlag();
        const qint32 lines = CountScoreFileLines(cancel);
        const qint32 checkLine = GetParamValue(QStringLiteral("CheckLine")).toInt();
        if (lines > checkLine) {
            StatusWindow &status = StatusWindow::instance();
            status.show();
            // The bar's maximum only scales the bar: a log too long for it is
            // left to the pass, which reports it in its own words.
            const double steps = double(lines) / double(checkLine);
            status.begin(toInt16(std::min(steps, double(std::numeric_limits<qint16>::max()))),
                         msg::calcInProgress());
        }

        PassHooks hooks;
        hooks.cancel = cancel;
        hooks.statusChange = [](qint16 value) {
            StatusWindow::instance().setProgress(value);
        };
        bool cancelled = false;
        hooks.reportError = [this, &busy, &cancelled](const Error &error, qint64) {
            if (error.kind() == ErrorKind::Cancelled) {
                cancelled = true;
                return;
            }
            busy.reset(); // no hourglass over a message box
            showMessage(this, QMessageBox::Critical, msg::titleCalcError(), error.description());
        };
        const bool ok = CalcScoreFile(hooks);
        if (cancelled) {
            // The program is on its way out: what the pass gathered is
            // neither shown nor kept.
            ClearCalcValues();
            enableResultCommands(false);
            StatusWindow::unload();
            return;
        }

        if (!ok || GetCalcValue(0).toInt() < 1) {
            ClearCalcValues();
            busy.reset();
            showMessage(this, QMessageBox::Warning, msg::titleConfirm(), msg::noValidData());
            enableResultCommands(false);
        } else {
            enableResultCommands(true);
        }

        if (RankWindow::instance().isOpen())
            RankWindow::instance().refresh();
        if (StageWindow::instance().isOpen())
            StageWindow::instance().refresh();
        if (WinWindow::instance().isOpen())
            WinWindow::instance().refresh();
        if (GraphWindow::instance().isShown())
            GraphWindow::instance().redraw();

        StatusWindow::unload();
    } catch (const Error &) {
        busy.reset();
        showError(this, msg::calcFailed() + msg::crlf() + msg::checkSettings());
        StatusWindow::unload();
        enableResultCommands(false);
    }
}

// ------------------------------------------------------------
// File > Score file: the open dialog for the score log, whose choice goes into
// the calculation settings window.

namespace {

FileDialogHook &hook()
{
    static FileDialogHook h;
    return h;
}

QString allFilesFilter()
{
    return QStringLiteral("すべてのファイル (*.*)");
}

// The folder the dialog opens in: that of the path in the settings window, or
// of the stored score log.
QString startFolder()
{
    QString path;
    if (QLineEdit *box = UserWindow::instance().fileNameEdit())
        path = box->text();
    else
        path = GetParamValue(QStringLiteral("ScoreFile")).toString();
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

void setScoreFileDialogForTests(FileDialogHook h)
{
    hook() = std::move(h);
}

void MainWindow::openScoreFile()
{
    QFileDialog dialog(this);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setWindowTitle(QStringLiteral("開く"));
    dialog.setNameFilters(scoreFileFilters());
    dialog.selectNameFilter(scoreFileFilters().first());
    if (const QString folder = startFolder(); !folder.isEmpty())
        dialog.setDirectory(folder);
    // "*.*" means every file, also one without a dot in its name.
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString &f) {
        if (f != allFilesFilter())
            return;
        if (auto *model = dialog.findChild<QFileSystemModel *>())
            model->setNameFilters({QStringLiteral("*")});
    });

    QString path;
    if (hook()) {
        path = hook()(dialog);
    } else {
        if (dialog.exec() != QDialog::Accepted)
            return;
        const QStringList chosen = dialog.selectedFiles();
        if (!chosen.isEmpty())
            path = chosen.first();
    }
    if (path.isEmpty())
        return;
    UserWindow::instance().setFileName(QDir::toNativeSeparators(path));
}

} // namespace norva
