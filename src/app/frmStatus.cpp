#include "frmStatus.h"

#include "childform.h"
#include "frmMain.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QThread>
#include <QWindow>

namespace norva {

namespace {

QPointer<frmStatus> &current()
{
    static QPointer<frmStatus> w;
    return w;
}

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

QRect twipsRect(int left, int top, int width, int height)
{
    return QRect(twipsToPixels(left), twipsToPixels(top), twipsToPixels(width),
                 twipsToPixels(height));
}

} // namespace

frmStatus &frmStatus::instance()
{
    if (!current())
        current() = new frmStatus(frmMain::instance());
    return *current();
}

bool frmStatus::isLoaded()
{
    return !current().isNull();
}

void frmStatus::unload()
{
    delete current().data();
}

frmStatus::frmStatus(QWidget *parent)
    : QDialog(parent)
    , m_lblStatus(new QLabel(this))
    , m_pbrStatus(new StatusBar(this, m_lastPaint))
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
    m_lblStatus->setObjectName(QStringLiteral("lblStatus"));
    m_lblStatus->setFont(font);
    m_lblStatus->setGeometry(twipsRect(240, 120, 3855, 255));

    m_pbrStatus->setObjectName(QStringLiteral("pbrStatus"));
    m_pbrStatus->setGeometry(twipsRect(240, 360, 3975, 255));
    m_pbrStatus->setRange(0, 100);
    m_pbrStatus->setValue(0);
    m_pbrStatus->setTextVisible(false);
}

frmStatus::~frmStatus() = default;

// A repaint draws only on a window that the window system has put on the
// screen, and it says so through events that a busy calculation never reads.
// So once, right after the window is shown, its pending window-system events
// are let through (user input and sockets stay queued); every later change is
// drawn by repaint() alone.
void frmStatus::waitUntilExposed()
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
            QThread::msleep(5);
    }
}

void frmStatus::truStausInit(qint16 piMaxVal, const QString &psHelpCode)
{
    truMessageChange(psHelpCode);
    m_pbrStatus->setValue(0);
    // The bar needs a maximum above its minimum.
    m_pbrStatus->setMaximum(qMax<int>(piMaxVal, 1));
    m_pbrStatus->repaint();
    m_lastPaint.start();
}

void frmStatus::truMessageChange(const QString &psHelpCode)
{
    waitUntilExposed();
    m_lblStatus->setText(psHelpCode);
    m_lblStatus->repaint();
}

void frmStatus::truStatusChange(qint16 piVal)
{
    waitUntilExposed();
    const int value = qMax<int>(piVal, 0);
    // The value is always set; the bar is painted only when what it shows
    // changes, and no more often than the eye can follow: painting at once is
    // what costs (the calculation lets no event through), and the pass reports
    // far more often than that.
    const bool due = !m_lastPaint.isValid() || m_lastPaint.elapsed() >= MinPaintIntervalMs;
    if (!due)
        m_pbrStatus->setUpdatesEnabled(false);
    if (value > m_pbrStatus->maximum())
        m_pbrStatus->setMaximum(value);
    m_pbrStatus->setValue(value);
    if (!due)
        m_pbrStatus->setUpdatesEnabled(true);
}

} // namespace norva
