#include "gui/windows/statuswindow.h"

#include "gui/widgets/fixedlayout.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QThread>
#include <QWindow>

namespace norva {

namespace {

// The progress bar, which notes when it was last painted.
class StatusBar final : public QProgressBar
{
public:
    StatusBar(QWidget *parent, QElapsedTimer &lastPaint)
        : QProgressBar(parent)
        , m_lastPaint(lastPaint)
    {}

protected:
    void paintEvent(QPaintEvent *event) override
    {
        QProgressBar::paintEvent(event);
        m_lastPaint.start();
    }

private:
    QElapsedTimer &m_lastPaint;
};

} // namespace

StatusWindow::StatusWindow(QWidget *parent)
    : QDialog(parent)
    , m_message(new QLabel(this))
    , m_progressBar(new StatusBar(this, m_lastPaint))
{
    setObjectName(QStringLiteral("frmStatus"));
    setWindowTitle(QStringLiteral("処理状況"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setWindowFlag(Qt::WindowCloseButtonHint, false);
    setModal(false);
    setFixedSize(twipsToPixels(4455), twipsToPixels(825));

    QFont font(QStringLiteral("ＭＳ Ｐゴシック"));
    font.setPointSizeF(9.75);
    font.setBold(true);
    m_message->setObjectName(QStringLiteral("lblStatus"));
    m_message->setFont(font);
    m_message->setGeometry(twipsRect(240, 120, 3855, 255));

    m_progressBar->setObjectName(QStringLiteral("pbrStatus"));
    m_progressBar->setGeometry(twipsRect(240, 360, 3975, 255));
    m_progressBar->setRange(0, 100);
    m_progressBar->setValue(0);
    m_progressBar->setTextVisible(false);
}

StatusWindow::~StatusWindow() = default;

// A repaint draws only on a window that the window system has put on the
// screen, and it says so through events that a busy calculation never reads.
// So once, right after the window is shown, its pending window-system events
// are let through (user input and sockets stay queued); every later change is
// drawn by repaint() alone.
void StatusWindow::waitUntilExposed()
{
    QWindow *window = windowHandle();
    if (!isVisible() || !window || window->isExposed())
        return;
    const auto flags = QEventLoop::ExcludeUserInputEvents | QEventLoop::ExcludeSocketNotifiers;
    QElapsedTimer clock;
    clock.start();
    while (!window->isExposed() && clock.elapsed() < 1000) {
        QCoreApplication::processEvents(flags);
        if (!window->isExposed())
            QThread::msleep(1);
    }
}

void StatusWindow::begin(qint16 maximum, const QString &message)
{
    setMessage(message);
    m_progressBar->setValue(0);
    // The bar needs a maximum above its minimum.
    m_progressBar->setMaximum(qMax<int>(maximum, 1));
    m_progressBar->repaint();
    m_lastPaint.start();
}

void StatusWindow::setMessage(const QString &message)
{
    waitUntilExposed();
    m_message->setText(message);
    m_message->repaint();
}

void StatusWindow::setProgress(qint16 step)
{
    waitUntilExposed();
    const int value = qMax<int>(step, 0);
    // The value is always set; the bar is painted only when what it shows
    // changes, and no more often than the eye can follow: painting at once is
    // what costs (the calculation lets no event through), and the pass reports
    // far more often than that.
    const bool due = !m_lastPaint.isValid() || m_lastPaint.elapsed() >= MinPaintIntervalMs;
    if (!due)
        m_progressBar->setUpdatesEnabled(false);
    if (value > m_progressBar->maximum())
        m_progressBar->setMaximum(value);
    m_progressBar->setValue(value);
    if (!due)
        m_progressBar->setUpdatesEnabled(true);
}

} // namespace norva
