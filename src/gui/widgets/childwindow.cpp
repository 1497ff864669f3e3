#include "gui/widgets/childwindow.h"

#include <QAction>
#include <QCloseEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QWidget>

namespace norva {

// The client widget of a child window: tells its window object about closing
// and resizing.
class ChildWindowWidget final : public QWidget
{
public:
    explicit ChildWindowWidget(ChildWindow *owner)
        : m_owner(owner)
    {}

protected:
    void closeEvent(QCloseEvent *event) override
    {
        m_owner->closing();
        event->accept();
    }
    void resizeEvent(QResizeEvent *event) override
    {
        QWidget::resizeEvent(event);
        m_owner->resized();
    }

private:
    ChildWindow *m_owner;
};

ChildWindow::ChildWindow(QMdiArea *area, QString windowName, QString caption)
    : m_area(area)
    , m_windowName(std::move(windowName))
    , m_caption(std::move(caption))
{}

// The widgets belong to the main window's client area, which deletes them;
// the object never deletes them itself.
ChildWindow::~ChildWindow()
{
    QObject::disconnect(m_destroyedConnection);
}

void ChildWindow::show()
{
    QMdiArea *host = m_area;
    if (m_subWindow) {
        if (m_subWindow->isMinimized())
            m_subWindow->showNormal();
        if (host)
            host->setActiveSubWindow(m_subWindow);
        m_subWindow->raise();
        m_subWindow->setFocus();
        keepInView();
        return;
    }
    if (!host)
        return;

    auto *form = new ChildWindowWidget(this);
    auto *sub = new QMdiSubWindow;
    sub->setObjectName(m_windowName);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    sub->setWidget(form);
    sub->setWindowTitle(m_caption);
    host->addSubWindow(sub);
    m_client = form;
    m_subWindow = sub;
    // A window destroyed without being closed (its main window deleted) is no
    // longer open: its controls are gone with it.
    QObject::disconnect(m_destroyedConnection);
    m_destroyedConnection = QObject::connect(sub, &QObject::destroyed, sub, [this, sub] {
        if (m_current == sub)
            destroyed();
    });
    m_current = sub;
    // Ctrl+W belongs to the View menu; the child window keeps Ctrl+F4 to close.
    for (QAction *a : sub->systemMenu()->actions()) {
        QList<QKeySequence> keys = a->shortcuts();
        if (keys.removeAll(QKeySequence(Qt::CTRL | Qt::Key_W)))
            a->setShortcuts(keys);
    }

    m_loaded = true;
    try {
        onLoad();
    } catch (...) {
        // A window that failed to load is not left half open.
        m_loaded = false;
        delete m_subWindow;
        throw;
    }
    if (!m_subWindow)
        return; // onLoad closed it again
    m_subWindow->show();
    host->setActiveSubWindow(m_subWindow);
    m_subWindow->raise();
    keepInView();
}

void ChildWindow::keepInView()
{
    if (!m_subWindow || !m_area || m_subWindow->isMinimized() || m_subWindow->isMaximized())
        return;
    // As much of the window as fits, its title bar always.
    const QRect area = m_area->viewport()->rect();
    const QRect g = m_subWindow->geometry();
    const int x = qBound(area.left(), g.left(), qMax(area.left(), area.right() + 1 - g.width()));
    const int y = qBound(area.top(), g.top(), qMax(area.top(), area.bottom() + 1 - g.height()));
    if (x != g.left() || y != g.top())
        m_subWindow->move(x, y);
}

void ChildWindow::fitIntoArea()
{
    if (!m_subWindow || !m_area)
        return;
    const QSize area = m_area->viewport()->size();
    const QSize fitted = m_subWindow->size().boundedTo(area).expandedTo(m_subWindow->minimumSize());
    if (fitted != m_subWindow->size())
        m_subWindow->resize(fitted);
}

bool ChildWindow::unload()
{
    if (!m_subWindow)
        return true;
    m_subWindow->close();
    return !m_loaded;
}

void ChildWindow::closing()
{
    if (!m_loaded || m_unloading)
        return;
    m_unloading = true;
    // Closing always completes, whatever fails on the way.
    try {
        onUnload();
    } catch (...) {
    }
    m_loaded = false;
    m_unloading = false;
    // The widgets go away with the window; a new one opens from scratch even
    // before they are deleted.
    m_current = nullptr;
    m_subWindow = nullptr;
    m_client = nullptr;
}

void ChildWindow::resized()
{
    if (m_loaded && !m_unloading)
        onResize();
}

void ChildWindow::destroyed()
{
    m_current = nullptr;
    m_loaded = false;
    m_subWindow = nullptr;
    m_client = nullptr;
}

qint64 ChildWindow::outerWidth() const
{
    if (!m_subWindow)
        return 0;
    return m_twips.width(m_subWindow->width());
}

qint64 ChildWindow::outerHeight() const
{
    if (!m_subWindow)
        return 0;
    return m_twips.height(m_subWindow->height());
}

void ChildWindow::setOuterSize(qint64 widthTwips, qint64 heightTwips)
{
    if (!m_subWindow)
        return;
    m_subWindow->resize(twipsToPixels(widthTwips), twipsToPixels(heightTwips));
    // What the window really took (a minimum size may have enlarged it).
    m_twips.set(widthTwips, heightTwips, m_subWindow->size());
}

bool ChildWindow::isMinimized() const
{
    return m_subWindow && m_subWindow->isMinimized();
}

bool ChildWindow::isMaximized() const
{
    return m_subWindow && m_subWindow->isMaximized();
}

} // namespace norva
