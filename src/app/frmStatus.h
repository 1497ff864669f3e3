#pragma once

#include <QDialog>
#include <QElapsedTimer>

class QLabel;
class QProgressBar;

namespace norva {

// The small window that shows what a long calculation is doing: one line of
// message and a progress bar. It takes no input. While the calculation runs the
// event loop is busy, so what it shows is painted at once, not queued.
class frmStatus final : public QDialog
{
    Q_OBJECT

public:
    // The one status window, created (owned by the main window) on first use.
    static frmStatus &instance();
    // True while the window exists.
    static bool isLoaded();
    // Destroys the window; the next use starts a fresh one.
    static void unload();

    // Sets the message, then the bar's value to 0 and its maximum to piMaxVal.
    void truStausInit(qint16 piMaxVal, const QString &psHelpCode);
    // Replaces the message; the bar is untouched.
    void truMessageChange(const QString &psHelpCode);
    // Moves the bar to piVal. A value above the maximum raises the maximum
    // (the log may grow between the count and the pass). The bar is painted
    // at once when what it shows changes, at most about 30 times a second.
    void truStatusChange(qint16 piVal);

    QLabel *lblStatus() const { return m_lblStatus; }
    QProgressBar *pbrStatus() const { return m_pbrStatus; }

private:
    explicit frmStatus(QWidget *parent);
    void waitUntilExposed();
    ~frmStatus() override;

    // About thirty paintings a second at most.
    static constexpr qint64 MinPaintIntervalMs = 33;

    QElapsedTimer m_lastPaint;
    QLabel *m_lblStatus;
    QProgressBar *m_pbrStatus;
};

} // namespace norva
