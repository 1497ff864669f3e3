#include "frmMain.h"

#include "childform.h"
#include "frmAbout.h"
#include "icons.h"
#include "msgbox.h"

#include "calc/frmUser.h"
#include "common/error.h"
#include "common/messages.h"
#include "common/paths.h"
#include "graph/frmCustom.h"
#include "graph/frmGraph.h"
#include "settings/basParam.h"
#include "views/frmRank.h"
#include "views/frmStage.h"
#include "views/frmWin.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPrinter>
#include <QScreen>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QUrl>

#include <algorithm>

namespace norva {

namespace {

frmMain *g_main = nullptr;

using Handler = void (frmMain::*)();

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

frmMain::frmMain()
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
    ChildForm::setMdiArea(m_mdiArea);

    createMenus();
    createToolBar();
}

frmMain::~frmMain()
{
    if (g_main == this)
        g_main = nullptr;
}

frmMain *frmMain::instance()
{
    return g_main;
}

void frmMain::createMenus()
{
    const MenuDef menus[] = {
        {u"mnuFile",
         u"ファイル(&F)",
         {
             {u"mnuFileOpen", u"スコアファイル(&O)...", nullptr, &frmMain::mnuFileOpen_Click},
             {u"mnuFileSave", u"試合結果保存(&S)...", u"Ctrl+S", &frmMain::mnuFileSave_Click},
             {u"mnuFileBar1", u"-", nullptr, nullptr},
             {u"mnuFilePageSetup", u"ページ設定(&U)...", nullptr, &frmMain::mnuFilePageSetup_Click},
             {u"mnuFilePrint", u"印刷(&P)...", u"Ctrl+P", &frmMain::mnuFilePrint_Click},
             {u"mnuFileBar2", u"-", nullptr, nullptr},
             {u"mnuFileExit", u"終了(&X)", nullptr, &frmMain::mnuFileExit_Click},
         }},
        {u"mnuEdit",
         u"編集(&E)",
         {
             {u"mnuEditCalc", u"計算(&C)", u"Ctrl+L", &frmMain::mnuEditCalc_Click},
         }},
        {u"mnuView",
         u"表示(&V)",
         {
             {u"mnuViewToolbar", u"ツールバー(&T)", nullptr, &frmMain::mnuViewToolbar_Click},
             {u"mnuViewBar1", u"-", nullptr, nullptr},
             {u"mnuViewUser", u"計算情報(&U)...", u"Ctrl+U", &frmMain::mnuViewUser_Click},
             {u"mnuViewRank", u"順位(&R)...", u"Ctrl+R", &frmMain::mnuViewRank_Click},
             {u"mnuViewStage", u"局(&A)...", u"Ctrl+A", &frmMain::mnuViewStage_Click},
             {u"mnuViewWin", u"役(&W)...", u"Ctrl+W", &frmMain::mnuViewWin_Click},
             {u"mnuViewGraph", u"グラフ(&G)...", u"Ctrl+G", &frmMain::mnuViewGraph_Click},
             {u"mnuViewBar2", u"-", nullptr, nullptr},
             {u"mnuViewOptions", u"オプション(&O)...", u"Ctrl+O", &frmMain::mnuViewOptions_Click},
         }},
        {u"mnuWindow",
         u"ウィンドウ(&W)",
         {
             {u"mnuWindowCascade", u"重ねて表示(&C)", nullptr, &frmMain::mnuWindowCascade_Click},
             {u"mnuWindowTileHorizontal", u"上下に並べて表示(&H)", nullptr,
              &frmMain::mnuWindowTileHorizontal_Click},
             {u"mnuWindowTileVertical", u"左右に並べて表示(&V)", nullptr,
              &frmMain::mnuWindowTileVertical_Click},
             {u"mnuWindowArrangeIcons", u"アイコンの整列(&A)", nullptr,
              &frmMain::mnuWindowArrangeIcons_Click},
         }},
        {u"mnuHelp",
         u"ヘルプ(&H)",
         {
             {u"mnuHelpContents", u"説明(&C)...", nullptr, &frmMain::mnuHelpContents_Click},
             {u"mnuHelpBar1", u"-", nullptr, nullptr},
             {u"mnuHelpAbout", u"バージョン情報(&A)...", nullptr, &frmMain::mnuHelpAbout_Click},
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
            m_mnuWindow = menu;
            connect(menu, &QMenu::aboutToShow, this, &frmMain::rebuildWindowList);
        }
    }
    QAction *toolbarItem = m_menuActions.value(QStringLiteral("mnuViewToolbar"));
    toolbarItem->setCheckable(true);
    toolbarItem->setChecked(true);
}

void frmMain::createToolBar()
{
    const ButtonDef buttons[] = {
        {u"ScoreFileOpen", u"スコアファイル指定", &frmMain::mnuFileOpen_Click, false},
        {u"ResultsSave", u"結果保存", &frmMain::mnuFileSave_Click, false},
        {u"Printer", u"印刷", &frmMain::mnuFilePrint_Click, false},
        {u"Exit", u"終了", &frmMain::mnuFileExit_Click, true},
        {u"NvCalc", u"結果計算", &frmMain::mnuEditCalc_Click, true},
        {u"UserWindow", u"計算情報表示", &frmMain::mnuViewUser_Click, false},
        {u"RankWindow", u"順位表示", &frmMain::mnuViewRank_Click, false},
        {u"StageWindow", u"局表示", &frmMain::mnuViewStage_Click, false},
        {u"WinWindow", u"役表示", &frmMain::mnuViewWin_Click, false},
        {u"GraphWindow", u"グラフ表示", &frmMain::mnuViewGraph_Click, true},
        {u"Customize", u"オプション設定", &frmMain::mnuViewOptions_Click, true},
        {u"AboutNorva", u"バージョン情報", &frmMain::mnuHelpAbout_Click, false},
    };

    m_tbToolBar = addToolBar(QStringLiteral("tbToolBar"));
    m_tbToolBar->setObjectName(QStringLiteral("tbToolBar"));
    m_tbToolBar->setMovable(false);
    m_tbToolBar->setFloatable(false);
    m_tbToolBar->setIconSize(QSize(16, 16));
    m_tbToolBar->toggleViewAction()->setVisible(false);
    int separator = 0;
    for (const ButtonDef &b : buttons) {
        const QString key = str(b.key);
        QAction *button = m_tbToolBar->addAction(toolbarIcon(key), str(b.tooltip));
        button->setObjectName(key);
        button->setToolTip(str(b.tooltip));
        connect(button, &QAction::triggered, this, [this, key] { tbToolBar_ButtonClick(key); });
        m_toolbarButtons.insert(key, button);
        if (b.separatorAfter)
            m_tbToolBar->addSeparator()->setObjectName(
                QStringLiteral("tbSeparator%1").arg(++separator));
    }
}

void frmMain::tbToolBar_ButtonClick(const QString &key)
{
    struct Dispatch
    {
        const char16_t *key;
        Handler handler;
    };
    static const Dispatch table[] = {
        {u"ScoreFileOpen", &frmMain::mnuFileOpen_Click},
        {u"ResultsSave", &frmMain::mnuFileSave_Click},
        {u"Printer", &frmMain::mnuFilePrint_Click},
        {u"Exit", &frmMain::mnuFileExit_Click},
        {u"NvCalc", &frmMain::mnuEditCalc_Click},
        {u"UserWindow", &frmMain::mnuViewUser_Click},
        {u"RankWindow", &frmMain::mnuViewRank_Click},
        {u"StageWindow", &frmMain::mnuViewStage_Click},
        {u"WinWindow", &frmMain::mnuViewWin_Click},
        {u"GraphWindow", &frmMain::mnuViewGraph_Click},
        {u"Customize", &frmMain::mnuViewOptions_Click},
        {u"AboutNorva", &frmMain::mnuHelpAbout_Click},
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

void frmMain::setSizeTwips(qint64 widthTwips, qint64 heightTwips)
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

qint64 frmMain::widthTwips() const
{
    return width() == m_setPixels.width() ? m_setTwips.width() : pixelsToTwips(width());
}

qint64 frmMain::heightTwips() const
{
    return height() == m_setPixels.height() ? m_setTwips.height() : pixelsToTwips(height());
}

void frmMain::EnableResultCommands(bool enabled)
{
    m_menuActions.value(QStringLiteral("mnuFileSave"))->setEnabled(enabled);
    m_toolbarButtons.value(QStringLiteral("ResultsSave"))->setEnabled(enabled);
    m_menuActions.value(QStringLiteral("mnuFilePrint"))->setEnabled(enabled);
    m_toolbarButtons.value(QStringLiteral("Printer"))->setEnabled(enabled);
}

// ---------------------------------------------------------------- lifecycle

void frmMain::MDIForm_Load()
{
    const int mask = GetParamValue(QStringLiteral("VisibleWindow")).toInt();
    m_formLoaded = true;
    EnableResultCommands(false);
    if (!GetParamValue(QStringLiteral("MainToolbar")).toBool())
        mnuViewToolbar_Click();
    if (GetParamValue(QStringLiteral("AutoCalc")).toBool())
        mnuEditCalc_Click();
    // The calculation settings window opens last and so ends up in front.
    if (mask & 16)
        frmGraph::instance().show();
    if (mask & 8)
        frmWin::instance().show();
    if (mask & 4)
        frmStage::instance().show();
    if (mask & 2)
        frmRank::instance().show();
    if (mask & 1)
        frmUser::instance().show();
}

void frmMain::MDIForm_QueryUnload()
{
    // Closed before it ever loaded (a signal during start-up): what was read
    // at start stays as it was.
    if (!m_formLoaded)
        return;
    // Taken before any child window unloads: afterwards all of them say closed.
    qint16 mask = 0;
    if (frmUser::instance().truShowMe())
        mask |= 1;
    if (frmRank::instance().trrShowMe())
        mask |= 2;
    if (frmStage::instance().trsShowMe())
        mask |= 4;
    if (frmWin::instance().trwShowMe())
        mask |= 8;
    if (frmGraph::instance().trgShowMe())
        mask |= 16;
    try {
        SetParamValue(QStringLiteral("VisibleWindow"), QVariant::fromValue<qint16>(mask));
    } catch (const Error &) {
    }
}

void frmMain::unloadChildWindows()
{
    for (QMdiSubWindow *sub : m_mdiArea->subWindowList())
        sub->close();
}

void frmMain::MDIForm_Unload()
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

void frmMain::closeEvent(QCloseEvent *event)
{
    // Closing is never refused, and the exit path runs only once.
    if (!m_exited) {
        m_exited = true;
        MDIForm_QueryUnload();
        unloadChildWindows();
        MDIForm_Unload();
    }
    event->accept();
}

void frmMain::closeFromSignal()
{
    m_closeRequested = true;
    if (m_calculating) {
        // A message box of the calculation runs a loop of its own: answer it
        // with its escape button and look again until the calculation is over.
        if (QWidget *modal = QApplication::activeModalWidget(); modal && modal != this)
            modal->close();
        QTimer::singleShot(50, this, &frmMain::closeFromSignal);
        return;
    }
    // A modal box or dialog runs a loop of its own over this window: dismiss it
    // (a box answers with its escape button) and come back once it has gone.
    if (QWidget *modal = QApplication::activeModalWidget();
        modal && modal != this && m_signalRetries < 50) {
        ++m_signalRetries;
        modal->close();
        QTimer::singleShot(50, this, &frmMain::closeFromSignal);
        return;
    }
    m_signalRetries = 0;
    close();
}

// ------------------------------------------------------------- File menu

void frmMain::mnuFileExit_Click()
{
    close();
}

// ------------------------------------------------------------- Edit menu

// ------------------------------------------------------------- View menu

void frmMain::mnuViewToolbar_Click()
{
    const bool show = m_tbToolBar->isHidden();
    m_tbToolBar->setVisible(show);
    m_menuActions.value(QStringLiteral("mnuViewToolbar"))->setChecked(show);
    try {
        SetParamValue(QStringLiteral("MainToolbar"), show);
    } catch (const Error &) {
    }
}

void frmMain::mnuViewUser_Click()
{
    frmUser::instance().show();
}

void frmMain::mnuViewRank_Click()
{
    frmRank::instance().show();
}

void frmMain::mnuViewStage_Click()
{
    frmStage::instance().show();
}

void frmMain::mnuViewWin_Click()
{
    frmWin::instance().show();
}

void frmMain::mnuViewGraph_Click()
{
    frmGraph::instance().show();
}

void frmMain::mnuViewOptions_Click()
{
    frmCustom::showModal(this);
}

// ----------------------------------------------------------- Window menu

void frmMain::rebuildWindowList()
{
    for (QAction *a : std::as_const(m_windowListActions)) {
        m_mnuWindow->removeAction(a);
        delete a;
    }
    m_windowListActions.clear();

    const QList<QMdiSubWindow *> windows = m_mdiArea->subWindowList();
    if (windows.isEmpty())
        return;
    m_windowListActions.append(m_mnuWindow->addSeparator());
    QMdiSubWindow *active = m_mdiArea->activeSubWindow();
    int n = 0;
    for (QMdiSubWindow *sub : windows) {
        ++n;
        // The first nine get their number as access key.
        const QString caption = n < 10 ? QStringLiteral("&%1 %2").arg(n).arg(sub->windowTitle())
                                       : QStringLiteral("%1 %2").arg(n).arg(sub->windowTitle());
        QAction *a = m_mnuWindow->addAction(caption);
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

void frmMain::mnuWindowCascade_Click()
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

void frmMain::mnuWindowTileHorizontal_Click()
{
    tile(Qt::Vertical);
}

void frmMain::mnuWindowTileVertical_Click()
{
    tile(Qt::Horizontal);
}

void frmMain::mnuWindowArrangeIcons_Click()
{
    arrangeIcons();
}

int frmMain::arrangeIcons()
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
void frmMain::tile(Qt::Orientation orientation)
{
    const int iconRows = arrangeIcons();
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

void frmMain::mnuHelpContents_Click()
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

void frmMain::mnuHelpAbout_Click()
{
    frmAbout::showModal(this);
}

} // namespace norva
