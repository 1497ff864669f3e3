#include "gui/windows/windowarrangement.h"

#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPointer>
#include <QStyle>

#include <algorithm>

namespace norva {

WindowArrangement::WindowArrangement(QMdiArea &area)
    : m_area(area)
{}

void WindowArrangement::fillWindowList(QMenu &menu)
{
    for (QAction *a : std::as_const(m_windowList)) {
        menu.removeAction(a);
        delete a;
    }
    m_windowList.clear();

    const QList<QMdiSubWindow *> windows = m_area.subWindowList();
    if (windows.isEmpty())
        return;
    m_windowList.append(menu.addSeparator());
    QMdiSubWindow *active = m_area.activeSubWindow();
    int n = 0;
    for (QMdiSubWindow *sub : windows) {
        ++n;
        // The first nine get their number as access key.
        const QString caption = n < 10 ? QStringLiteral("&%1 %2").arg(n).arg(sub->windowTitle())
                                       : QStringLiteral("%1 %2").arg(n).arg(sub->windowTitle());
        QAction *a = menu.addAction(caption);
        a->setCheckable(true);
        a->setChecked(sub == active);
        const QPointer<QMdiSubWindow> target(sub);
        QObject::connect(a, &QAction::triggered, a, [area = &m_area, target] {
            if (!target)
                return;
            if (target->isMinimized())
                target->showNormal();
            area->setActiveSubWindow(target);
        });
        m_windowList.append(a);
    }
}

void WindowArrangement::cascade()
{
    // Where a title bar would leave the area, a new run starts from its
    // top-left corner; what reaches past the area's edges is within reach of
    // its scroll bars.
    QList<QMdiSubWindow *> windows;
    for (QMdiSubWindow *sub : m_area.subWindowList(QMdiArea::StackingOrder))
        if (sub->isVisible() && !sub->isMinimized())
            windows.append(sub);
    if (windows.isEmpty())
        return;
    const QRect area = m_area.viewport()->rect();
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

void WindowArrangement::tileHorizontally()
{
    tile(Qt::Vertical);
}

void WindowArrangement::tileVertically()
{
    tile(Qt::Horizontal);
}

void WindowArrangement::arrangeIcons()
{
    lineUpIcons();
}

int WindowArrangement::lineUpIcons()
{
    const QRect area = m_area.viewport()->rect();
    int x = area.left();
    int bottom = area.bottom() + 1; // bottom edge of the current row
    int rowHeight = 0;
    int used = 0;
    for (QMdiSubWindow *sub : m_area.subWindowList()) {
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
void WindowArrangement::tile(Qt::Orientation orientation)
{
    const int iconRows = lineUpIcons();
    QList<QMdiSubWindow *> windows;
    const QList<QMdiSubWindow *> stacking = m_area.subWindowList(QMdiArea::StackingOrder);
    for (auto it = stacking.crbegin(); it != stacking.crend(); ++it)
        if ((*it)->isVisible() && !(*it)->isMinimized())
            windows.append(*it);
    if (windows.isEmpty())
        return;

    QRect area = m_area.viewport()->rect();
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

} // namespace norva
