#pragma once

#include "gui/widgets/fixedlayout.h"

#include <QMdiSubWindow>
#include <QPointer>
#include <QSize>
#include <QString>

class QMdiArea;

namespace norva {

// One child window of the main window. The main window keeps the object for
// its whole life, and the object keeps its state; its widget exists only while
// the window is open: it is created inside the main window's client area when the window is
// shown (onLoad runs) and destroyed when it is closed (onUnload runs
// first), also when the main window closes.
//
// A window derives from ChildWindow, passes its name and caption, builds its
// controls on client() in onLoad and forgets them in onUnload.
class ChildWindow
{
public:
    virtual ~ChildWindow();
    ChildWindow(const ChildWindow &) = delete;
    ChildWindow &operator=(const ChildWindow &) = delete;

    // The object name of the child window ("frmRank").
    const QString &windowName() const { return m_windowName; }
    // The window's own title ("順位表示").
    const QString &caption() const { return m_caption; }

    // True from the start of onLoad until the end of onUnload. Asking
    // never opens the window.
    bool isOpen() const { return m_loaded; }

    // Opens the window (onLoad, then shown in front) or, when it is open
    // already, brings it to the front and gives it the focus. Either way the
    // window ends up within the client area, as far as it fits. Never closes
    // it.
    void show();
    // Closes the window when it is open (onUnload runs). True when closed.
    bool unload();
    // Shows the results as they now stand, after a calculation; a window
    // that shows none has nothing to do. Does nothing while it is closed.
    virtual void refresh() {}

    // The open window, or null.
    QMdiSubWindow *subWindow() const { return m_subWindow; }
    // The client widget that holds the window's controls, or null.
    QWidget *client() const { return m_client; }

    // The outer size (frame and title bar included) in twips; 0 while closed.
    // A size set in twips reads back unchanged until the window is resized,
    // although the screen can only show it to the nearest pixel.
    qint64 outerWidth() const;
    qint64 outerHeight() const;
    void setOuterSize(qint64 widthTwips, qint64 heightTwips);
    bool isMinimized() const;
    bool isMaximized() const;

protected:
    // The window opens in area, the main window's client area, which outlives
    // this object's windows.
    ChildWindow(QMdiArea *area, QString windowName, QString caption);

    // Runs once the window exists, before it is first shown.
    virtual void onLoad() {}
    // Runs when the window closes, while its controls still exist.
    virtual void onUnload() {}
    // Runs after every change of the window's size.
    virtual void onResize() {}
    // Shrinks the window to the client area where it is larger (a size
    // restored from the settings after the main window became smaller).
    void fitIntoArea();

private:
    friend class ChildWindowWidget;
    void keepInView();
    void closing();
    void resized();
    void destroyed();

    QPointer<QMdiArea> m_area;
    QString m_windowName;
    QString m_caption;
    bool m_loaded = false;
    bool m_unloading = false;
    const QObject *m_current = nullptr; // the open window, compared only
    QPointer<QMdiSubWindow> m_subWindow;
    QPointer<QWidget> m_client;
    TwipsSize m_twips;
    QMetaObject::Connection m_destroyedConnection;
};

} // namespace norva
