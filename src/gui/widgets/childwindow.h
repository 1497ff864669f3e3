#pragma once

#include <QMdiSubWindow>
#include <QPointer>
#include <QSize>
#include <QString>

class QMdiArea;

namespace norva {

// Window sizes and positions are kept in twips; the screen has a fixed 15
// twips per pixel.
constexpr int TwipsPerPixel = 15;
int twipsToPixels(qint64 twips);
inline qint64 pixelsToTwips(int pixels)
{
    return qint64(pixels) * TwipsPerPixel;
}

// One child window of the main window. The object exists once for the life of
// the program and keeps its state; its widget exists only while the window is
// open: it is created inside the main window's client area when the window is
// shown (onLoad runs) and destroyed when it is closed (onUnload runs
// first), also when the main window closes.
//
// A window derives from ChildWindow, passes its name and caption, builds its
// controls on form() in onLoad and forgets them in onUnload.
class ChildWindow
{
public:
    virtual ~ChildWindow();
    ChildWindow(const ChildWindow &) = delete;
    ChildWindow &operator=(const ChildWindow &) = delete;

    // The form name ("frmRank"): the object name of the child window.
    const QString &windowName() const { return m_formName; }
    // The window title as designed.
    const QString &caption() const { return m_caption; }

    // True from the start of onLoad until the end of onUnload. Asking
    // never opens the window.
    bool isOpen() const { return m_loaded; }

    // Opens the window (onLoad, then shown in front) or, when it is open
    // already, brings it to the front and gives it the focus. Never closes it.
    void show();
    // Closes the window when it is open (onUnload runs). True when closed.
    bool unload();

    // The open window, or null.
    QMdiSubWindow *subWindow() const { return m_subWindow; }
    // The client widget that holds the window's controls, or null.
    QWidget *form() const { return m_form; }

    // The outer size (frame and title bar included) in twips; 0 while closed.
    // A size set in twips reads back unchanged until the window is resized,
    // although the screen can only show it to the nearest pixel.
    qint64 outerWidth() const;
    qint64 outerHeight() const;
    void setOuterSize(qint64 widthTwips, qint64 heightTwips);
    bool isMinimized() const;
    bool isMaximized() const;

    // The client area that child windows open in. The main window sets it.
    static void setMdiArea(QMdiArea *area);
    static QMdiArea *mdiArea();

protected:
    ChildWindow(QString windowName, QString caption);

    // Runs once the window exists, before it is first shown.
    virtual void onLoad() {}
    // Runs when the window closes, while its controls still exist.
    virtual void onUnload() {}
    // Runs after every change of the window's size.
    virtual void onResize() {}

private:
    friend class ChildWindowWidget;
    void closing();
    void resized();
    void destroyed();

    QString m_formName;
    QString m_caption;
    bool m_loaded = false;
    bool m_unloading = false;
    const QObject *m_current = nullptr; // the open window, compared only
    QPointer<QMdiSubWindow> m_subWindow;
    QPointer<QWidget> m_form;
    QSize m_setTwips;
    QSize m_setPixels;
};

} // namespace norva
