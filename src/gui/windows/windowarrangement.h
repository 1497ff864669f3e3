#pragma once

#include <QList>
#include <Qt>

class QAction;
class QMdiArea;
class QMenu;

namespace norva {

// The Window menu: the arrangements of the child windows in the main window's
// client area, and the list of the open ones at the end of the menu. The
// arrangements are computed from the area's viewport: Qt's own cascade
// shrinks a fixed-layout window to its title bar, and its tiling makes a grid
// rather than one row or one column.
class WindowArrangement
{
public:
    // area, the main window's client area, outlives the object.
    explicit WindowArrangement(QMdiArea &area);

    // Each window keeps its size; the positions step down and to the right by
    // a title bar's height, the front window last.
    void cascade();
    // One above another, each as wide as the client area.
    void tileHorizontally();
    // Side by side, each as high as the client area.
    void tileVertically();
    // Lines the minimised windows up along the bottom of the client area.
    void arrangeIcons();

    // Puts the open child windows, numbered, after the menu's own items, the
    // active one checked; what an earlier call added goes first.
    void fillWindowList(QMenu &menu);

private:
    // arrangeIcons; returns the height the rows of minimised windows take.
    int lineUpIcons();
    void tile(Qt::Orientation orientation);

    QMdiArea &m_area;
    QList<QAction *> m_windowList;
};

} // namespace norva
