#pragma once

#include <QDialog>
#include <QElapsedTimer>

class QLabel;
class QProgressBar;

namespace norva {

// The small window that shows what a long calculation is doing: one line of
// message and a progress bar. It takes no input. While the calculation runs the
// event loop is busy, so what it shows is painted at once, not queued.
class StatusWindow final : public QDialog
{
    Q_OBJECT

public:
    // A new window over parent (the main window), not yet shown; a
    // calculation makes one for its run.
    explicit StatusWindow(QWidget *parent);
    ~StatusWindow() override;

    // Sets the message, then the bar's value to 0 and its maximum to maximum.
    void begin(qint16 maximum, const QString &message);
    // Replaces the message; the bar is untouched.
    void setMessage(const QString &message);
    // Moves the bar to step. A value above the maximum raises the maximum
    // (the log may grow between the count and the pass). The bar is painted
    // at once when what it shows changes, at most about 30 times a second.
    void setProgress(qint16 step);

    QLabel *messageLabel() const { return m_message; }
    QProgressBar *progressBar() const { return m_progressBar; }

private:
    void waitUntilExposed();

    // About thirty paintings a second at most.
    static constexpr qint64 MinPaintIntervalMs = 33;

    QElapsedTimer m_lastPaint;
    QLabel *m_message;
    QProgressBar *m_progressBar;
};

} // namespace norva
