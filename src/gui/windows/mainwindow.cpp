#include "gui/windows/mainwindow.h"

#include "core/calc/session.h"
#include "core/common/error.h"
#include "core/common/messages.h"
#include "core/settings/settings.h"
#include "gui/widgets/childwindow.h"
#include "gui/widgets/dialogrunner.h"
#include "gui/widgets/icons.h"
#include "gui/widgets/messagebox.h"
#include "gui/widgets/textboxes.h"
#include "gui/windows/aboutdialog.h"
#include "gui/windows/calculationcommand.h"
#include "gui/windows/gameswindow.h"
#include "gui/windows/graphwindow.h"
#include "gui/windows/manualwindow.h"
#include "gui/windows/optionsdialog.h"
#include "gui/windows/rankwindow.h"
#include "gui/windows/resultcommands.h"
#include "gui/windows/stagewindow.h"
#include "gui/windows/statswindow.h"
#include "gui/windows/userwindow.h"
#include "gui/windows/windowarrangement.h"
#include "gui/windows/winwindow.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QScreen>
#include <QScrollBar>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>

#include <optional>

namespace norva {

namespace {

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
    , m_statsWindow(std::make_unique<StatsWindow>(m_mdiArea, session.results(), session.tables()))
    , m_gamesWindow(std::make_unique<GamesWindow>(m_mdiArea, session.results()))
    , m_resultCommands(std::make_unique<ResultCommands>(*this))
    , m_calculation(std::make_unique<CalculationCommand>(*this))
    , m_arrangement(std::make_unique<WindowArrangement>(*m_mdiArea))
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
    m_mdiArea->horizontalScrollBar()->setAccessibleName(QStringLiteral("横スクロールバー"));
    m_mdiArea->verticalScrollBar()->setAccessibleName(QStringLiteral("縦スクロールバー"));
    setCentralWidget(m_mdiArea);

    createMenus();
    createToolBar();

    setAcceptDrops(true);
    // Taken once the drop has ended: the calculation shows its boxes.
    m_userWindow->setLogDropHandler([this](const QString &path) {
        QTimer::singleShot(0, this, [this, path] {
            if (!hasExited())
                m_calculation->takeLog(path, CalculationCommand::LogSource::DroppedOnBox);
        });
    });
}

MainWindow::~MainWindow() = default;

QList<MainWindow::View> MainWindow::views() const
{
    return {{m_userWindow.get(), Settings::UserWindowBit},
            {m_rankWindow.get(), Settings::RankWindowBit},
            {m_stageWindow.get(), Settings::StageWindowBit},
            {m_winWindow.get(), Settings::WinWindowBit},
            {m_graphWindow.get(), Settings::GraphWindowBit},
            {m_statsWindow.get(), 0, Settings::StatsWindow},
            {m_gamesWindow.get(), 0, Settings::GamesWindow}};
}

void MainWindow::createMenus()
{
    const std::span<const CommandDef> commands = commandTable();
    m_menuItems.resize(qsizetype(commands.size()));
    for (const MenuDef &def : menuTable()) {
        QMenu *menu = menuBar()->addMenu(str(def.caption));
        menu->setObjectName(str(def.name));
        QMenu *submenu = nullptr;
        for (qsizetype i = 0; i < qsizetype(commands.size()); ++i) {
            const CommandDef &c = commands[size_t(i)];
            if (c.menu != def.menu)
                continue;
            if (!c.submenu) {
                submenu = nullptr;
            } else if (!submenu || submenu->objectName() != QStringView(c.submenu)) {
                const SubmenuDef *s = submenuNamed(c.submenu);
                submenu = menu->addMenu(str(s->caption));
                submenu->setObjectName(str(s->name));
                submenu->menuAction()->setObjectName(str(s->name));
            }
            QAction *item = (submenu ? submenu : menu)->addAction(str(c.caption));
            item->setObjectName(str(c.name));
            if (c.shortcut)
                item->setShortcut(QKeySequence(str(c.shortcut)));
            connect(item, &QAction::triggered, this, [this, command = c.command] { run(command); });
            m_menuItems[i] = item;
            if (c.separatorAfter)
                menu->addSeparator()->setObjectName(str(c.separatorAfter));
        }
        if (def.menu == Menu::Window)
            connect(menu, &QMenu::aboutToShow, this,
                    [this, menu] { m_arrangement->fillWindowList(*menu); });
    }
    QAction *toolbarItem = menuAction(Command::ToggleToolBar);
    toolbarItem->setCheckable(true);
    toolbarItem->setChecked(true);
    QAction *followItem = menuAction(Command::FollowLog);
    followItem->setCheckable(true);
    followItem->setChecked(true);
}

void MainWindow::createToolBar()
{
    // The title is what screen readers call the toolbar.
    m_toolBar = addToolBar(QStringLiteral("ツールバー"));
    m_toolBar->setObjectName(QStringLiteral("tbToolBar"));
    m_toolBar->setMovable(false);
    m_toolBar->setFloatable(false);
    m_toolBar->setIconSize(QSize(16, 16));
    m_toolBar->toggleViewAction()->setVisible(false);
    // The buttons that show what a narrow window leaves out.
    if (auto *more = m_toolBar->findChild<QToolButton *>(QStringLiteral("qt_toolbar_ext_button")))
        more->setAccessibleName(QStringLiteral("その他のボタン"));
    if (auto *more = menuBar()->findChild<QToolButton *>(QStringLiteral("qt_menubar_ext_button")))
        more->setAccessibleName(QStringLiteral("その他のメニュー"));
    const std::span<const CommandDef> commands = commandTable();
    m_buttons.resize(qsizetype(commands.size()));
    int separator = 0;
    for (qsizetype i = 0; i < qsizetype(commands.size()); ++i) {
        const ButtonDef &b = commands[size_t(i)].button;
        if (!b.key)
            continue;
        const QString key = str(b.key);
        QAction *button = m_toolBar->addAction(resourceIcon(QStringView(b.icon)), str(b.tooltip));
        button->setObjectName(key);
        button->setToolTip(str(b.tooltip));
        connect(button, &QAction::triggered, this,
                [this, command = commands[size_t(i)].command] { run(command); });
        m_buttons[i] = button;
        if (b.separatorAfter)
            m_toolBar->addSeparator()->setObjectName(
                QStringLiteral("tbSeparator%1").arg(++separator));
    }
}

QAction *MainWindow::menuAction(Command command) const
{
    return m_menuItems.value(indexOfCommand(command));
}

QAction *MainWindow::toolbarButton(Command command) const
{
    return m_buttons.value(indexOfCommand(command));
}

QAction *MainWindow::menuAction(const QString &name) const
{
    return m_menuItems.value(indexOfMenuItem(name));
}

QAction *MainWindow::toolbarButton(const QString &key) const
{
    return m_buttons.value(indexOfButton(key));
}

void MainWindow::run(Command command)
{
    const qsizetype i = indexOfCommand(command);
    // A disabled command runs nothing, however it is reached.
    if (QAction *item = m_menuItems.value(i); !item || !item->isEnabled())
        return;
    commandTable()[size_t(i)].run(*this);
}

void MainWindow::runToolbarButton(const QString &key)
{
    if (const qsizetype i = indexOfButton(key); i >= 0)
        run(commandTable()[size_t(i)].command);
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
    const std::span<const CommandDef> commands = commandTable();
    for (qsizetype i = 0; i < qsizetype(commands.size()); ++i) {
        if (commands[size_t(i)].availability != Availability::WithResults)
            continue;
        m_menuItems[i]->setEnabled(enabled);
        if (m_buttons[i])
            m_buttons[i]->setEnabled(enabled);
    }
}

void MainWindow::refreshResultWindows()
{
    for (const View &v : views())
        if (v.window->isOpen())
            v.window->refresh();
}

void MainWindow::showLogNotice(const QString &text)
{
    if (!m_logNotice) {
        if (text.isEmpty())
            return;
        // A label of its own rather than the bar's message, which the menus'
        // status tips would wipe out.
        m_logNotice = new QLabel(this);
        m_logNotice->setObjectName(QStringLiteral("lblLogNotice"));
        // A long path must not widen the window: the label is cut instead,
        // and its tooltip holds the whole text.
        m_logNotice->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        statusBar()->setObjectName(QStringLiteral("sbStatus"));
        statusBar()->setAccessibleName(QStringLiteral("ステータスバー"));
        statusBar()->setSizeGripEnabled(false);
        statusBar()->addWidget(m_logNotice, 1);
    }
    if (text == m_logNotice->text())
        return;
    m_logNotice->setText(text);
    m_logNotice->setToolTip(text);
    m_logNotice->setAccessibleName(text);
    statusBar()->setVisible(!text.isEmpty());
}

// ---------------------------------------------------------------- lifecycle

void MainWindow::load(bool logGiven)
{
    const Settings &settings = m_session.settings();
    const int mask = settings.visibleWindow();
    m_formLoaded = true;
    enableResultCommands(false);
    if (!settings.mainToolbar())
        toggleToolBar();
    menuAction(Command::FollowLog)->setChecked(settings.followLog());
    const bool named = logGiven && m_calculation->ensureUserName(settings.scoreFile());
    const bool calculateNow = settings.autoCalc() || named;
    if (calculateNow)
        m_calculation->calculate();
    // Last to first, so that the calculation settings window, opened last,
    // ends up in front.
    const QList<View> all = views();
    for (auto v = all.crbegin(); v != all.crend(); ++v)
        if (v->ownKey ? settings.value(*v->ownKey).toBool() : bool(mask & v->visibleBit))
            v->window->show();
    // A first start, or a folder moved: say so once, and offer the dialog.
    if (!calculateNow && !hasExited())
        m_calculation->offerScoreFileIfMissing();
}

void MainWindow::recordOpenWindows()
{
    // Closed before it ever loaded (a signal during start-up): what was read
    // at start stays as it was.
    if (!m_formLoaded)
        return;
    // Taken before any child window unloads: afterwards all of them say closed.
    qint16 mask = 0;
    for (const View &v : views()) {
        if (v.ownKey)
            m_session.settings().setValue(*v.ownKey, v.window->isOpen());
        else if (v.window->isOpen())
            mask |= v.visibleBit;
    }
    m_session.settings().setValue(Settings::VisibleWindow, QVariant::fromValue<qint16>(mask));
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
        for (QMdiSubWindow *sub : m_mdiArea->subWindowList())
            sub->close();
        saveOnExit();
    }
    event->accept();
}

void MainWindow::dragEnterEvent(QDragEnterEvent *event)
{
    dragMoveEvent(event);
}

void MainWindow::dragMoveEvent(QDragMoveEvent *event)
{
    if (droppedFile(event->mimeData()))
        event->acceptProposedAction();
    else
        event->ignore();
}

void MainWindow::dropEvent(QDropEvent *event)
{
    const std::optional<QString> path = droppedFile(event->mimeData());
    if (!path) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    // Taken once the drop has ended: the calculation shows its boxes.
    QTimer::singleShot(0, this, [this, p = *path] {
        if (!hasExited())
            m_calculation->takeLog(p, CalculationCommand::LogSource::Dropped);
    });
}

void MainWindow::closeFromSignal()
{
    m_closeRequested = true;
    if (m_calculation->isRunning()) {
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

// ------------------------------------------------------------ own commands

void MainWindow::toggleToolBar()
{
    const bool show = m_toolBar->isHidden();
    m_toolBar->setVisible(show);
    menuAction(Command::ToggleToolBar)->setChecked(show);
    m_session.settings().setValue(Settings::MainToolbar, show);
}

void MainWindow::toggleFollowLog()
{
    Settings &settings = m_session.settings();
    const bool on = !settings.followLog();
    settings.setValue(Settings::FollowLog, on);
    menuAction(Command::FollowLog)->setChecked(on);
    m_calculation->followSettingChanged();
}

void MainWindow::showOptions()
{
    OptionsDialog::showModal(m_session.settings(), m_graphWindow.get(), *m_dialogs, this);
}

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

} // namespace norva
