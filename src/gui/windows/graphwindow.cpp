#include "gui/windows/graphwindow.h"

#include "core/graph/drawgraph.h"
#include "gui/print/paintertarget.h"
#include "gui/print/printpage.h"

#include "core/common/convert.h"
#include "core/common/error.h"
#include "core/settings/settings.h"
#include "gui/widgets/icons.h"

#include <QCheckBox>
#include <QFont>
#include <QMdiSubWindow>
#include <QPaintEvent>
#include <QPainter>
#include <QTimer>
#include <QtMath>

#include <algorithm>
#include <limits>

namespace norva {

namespace {

// The bit of each toggle's graph in the selection mask.
constexpr qint16 GraphBits[5] = {1, 2, 4, 8, 16};

// Picture area: its top-left corner, and what the window's client area keeps
// free to its right and below it (in twips).
constexpr int PictureLeft = 120;
constexpr int PictureTop = 480;
constexpr int PictureWidthMargin = 250;
constexpr int PictureHeightMargin = 580;
// A window no taller than this keeps its picture height.
constexpr int MinResizeHeight = 1000;

// A size in twips as a 16-bit value: the remembered window size cannot hold
// more, so a larger size is held at the largest one.
qint16 size16(qint64 twips)
{
    return qint16(std::clamp<qint64>(twips, std::numeric_limits<qint16>::min(),
                                     std::numeric_limits<qint16>::max()));
}

QColor qcolor(Color c)
{
    return PainterTarget::toQColor(c);
}

} // namespace

// ------------------------------------------------------------ picture area

GraphPicture::GraphPicture(const QImage &image, QWidget *parent)
    : QWidget(parent)
    , m_image(image)
    , m_back(Qt::white)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void GraphPicture::setBackColor(const QColor &color)
{
    m_back = color;
}

void GraphPicture::paintEvent(QPaintEvent *event)
{
    QPainter p(this);
    const QRect r = event->rect();
    p.fillRect(r, m_back);
    // The picture holds as many pixels as the screen shows in its area.
    const qreal ratio = m_image.devicePixelRatio();
    p.drawImage(QRectF(r), m_image, QRectF(QPointF(r.topLeft()) * ratio, QSizeF(r.size()) * ratio));
}

// ------------------------------------------------------------------ window

GraphWindow::GraphWindow(QMdiArea *area, Settings &settings, const GraphSource &source)
    : ChildWindow(area, QStringLiteral("frmGraph"), QStringLiteral("グラフ表示"))
    , m_settings(settings)
    , m_source(source)
{}

QCheckBox *GraphWindow::graphToggle(int index) const
{
    return index >= 0 && index < 5 ? m_graphToggles[size_t(index)].data() : nullptr;
}

void GraphWindow::onLoad()
{
    QWidget *pane = client();
    m_state.drawReady = false;
    m_drawQueued = false;
    if (QMdiSubWindow *sub = subWindow())
        sub->setWindowIcon(toolbarIcon(QStringLiteral("GraphWindow")));

    // The picture and the five toggles, each ticked (its graph hidden).
    static const char16_t *const captions[5] = {u"得点(&P)", u"順位(&K)", u"翻別(&V)", u"Ｒ値(&E)",
                                                u"合計(&T)"};
    QFont toggleFont(QStringLiteral("ＭＳ ゴシック"));
    toggleFont.setPointSizeF(9);
    toggleFont.setBold(true);
    m_picture = new GraphPicture(m_image, pane);
    m_picture->setObjectName(QStringLiteral("picGameRpt"));
    m_picture->setGeometry(twipsToPixels(PictureLeft), twipsToPixels(PictureTop),
                           twipsToPixels(1935), twipsToPixels(1095));
    QWidget *previous = m_picture;
    for (int i = 0; i < 5; ++i) {
        auto *chk = new QCheckBox(QString::fromUtf16(captions[i]), pane);
        chk->setObjectName(QStringLiteral("chkSelectGraph(%1)").arg(i));
        chk->setProperty("index", i);
        chk->setFont(toggleFont);
        // Painted in its graph's colour: the row of toggles is the legend.
        chk->setBackgroundRole(QPalette::Window);
        chk->setAutoFillBackground(true);
        chk->setGeometry(twipsToPixels(120 + 960 * i), twipsToPixels(120), twipsToPixels(975),
                         twipsToPixels(255));
        chk->setChecked(true);
        QObject::connect(chk, &QCheckBox::toggled, chk, [this, i] { toggleGraph(i); });
        QWidget::setTabOrder(previous, chk);
        previous = chk;
        m_graphToggles[size_t(i)] = chk;
    }

    m_graphWidth = size16(m_settings.graphWidth());
    m_graphHeight = size16(m_settings.graphHeight());
    setOuterSize(m_graphWidth, m_graphHeight);

    // Clearing a toggle adds its bit through the click handler; taking the
    // bit off again keeps the mask as stored.
    m_state.shownGraphs = m_settings.graphDisp();
    for (int i = 0; i < 5; ++i) {
        if (m_state.shownGraphs & GraphBits[i]) {
            m_graphToggles[size_t(i)]->setChecked(false);
            m_state.shownGraphs = toInt16(m_state.shownGraphs - GraphBits[i]);
        }
    }

    const auto paint = [this](int i, Color c) {
        QCheckBox *chk = m_graphToggles[size_t(i)];
        QPalette pal = chk->palette();
        pal.setColor(QPalette::Window, qcolor(c));
        chk->setPalette(pal);
    };
    m_state.readColors(m_settings);
    paint(0, m_state.scoreColor);
    paint(1, m_state.rankColor);
    paint(2, m_state.hanColor);
    paint(3, m_state.ratingColor);
    paint(4, m_state.totalColor);
    for (int i = 0; i < 5; ++i)
        setCaptionColor(i);

    m_picture->setBackColor(qcolor(m_state.backColor));
    m_state.drawReady = true;
    m_shown = true;
    // The first drawing comes with the resize of the window's first display.
}

void GraphWindow::onResize()
{
    const QWidget *pane = client();
    if (!pane || !m_picture)
        return;
    const qint64 cw = pixelsToTwips(pane->width());
    const qint64 ch = pixelsToTwips(pane->height());
    if (!isMinimized()) {
        QRect r = m_picture->geometry();
        if (outerHeight() > MinResizeHeight)
            r.setHeight(twipsToPixels(std::max<qint64>(ch - PictureHeightMargin, 0)));
        r.setWidth(twipsToPixels(std::max<qint64>(cw - PictureWidthMargin, 0)));
        m_picture->setGeometry(r);
        // Only a normal window's size is remembered.
        if (!isMaximized()) {
            m_graphWidth = size16(outerWidth());
            m_graphHeight = size16(outerHeight());
        }
    }
    // Drawn once the resize is over: a burst of resizes draws once.
    if (!m_drawQueued) {
        m_drawQueued = true;
        QTimer::singleShot(0, m_picture, [this] {
            m_drawQueued = false;
            redraw();
        });
    }
}

void GraphWindow::onUnload()
{
    storeSettings();
    m_shown = false;
}

void GraphWindow::toggleGraph(int index)
{
    const qint16 bit = GraphBits[index];
    try {
        if (!m_graphToggles[size_t(index)]->isChecked())
            m_state.shownGraphs = add16(m_state.shownGraphs, bit);
        else
            m_state.shownGraphs = toInt16(m_state.shownGraphs - bit);
    } catch (const Error &) {
        // Beyond 16 bits the selection stays as it was.
    }
    redraw();
}

void GraphWindow::setCaptionColor(int index)
{
    QCheckBox *chk = m_graphToggles[size_t(index)];
    const QColor back = chk->palette().color(QPalette::Window);
    QPalette pal = chk->palette();
    const QColor caption(255 - back.red(), 255 - back.green(), 255 - back.blue());
    pal.setColor(QPalette::WindowText, caption);
    pal.setColor(QPalette::ButtonText, caption);
    chk->setPalette(pal);
}

void GraphWindow::redraw()
{
    if (!m_picture)
        return;
    const QSize size = m_picture->size().expandedTo(QSize(1, 1));
    // Drawn at the screen's own scale, so that lines and labels stay sharp
    // on a high-density screen; the drawing works in the window's units.
    const qreal ratio = m_picture->devicePixelRatioF();
    QImage fresh(QSize(qCeil(size.width() * ratio), qCeil(size.height() * ratio)),
                 QImage::Format_RGB32);
    fresh.setDevicePixelRatio(ratio);
    fresh.fill(qcolor(m_state.backColor));
    try {
        // In one go, into an image of its own: no event runs meanwhile, so
        // nothing (a close, a signal's exit) can take the picture away.
        PainterTarget target(fresh);
        drawGraph(m_state, target, qint32(pixelsToTwips(size.width())),
                  qint32(pixelsToTwips(size.height())), true, m_source);
    } catch (const std::exception &) {
        // What was drawn before the failure stays; the next request draws anew.
    }
    m_image = std::move(fresh);
    m_picture->setBackColor(qcolor(m_state.backColor));
    m_picture->update();
}

bool GraphWindow::print(QPagedPaintDevice &page, const QList<PrintLine> &lines)
{
    return printResultsAndGraph(page, m_state, lines, m_source);
}

void GraphWindow::storeSettings()
{
    if (m_graphWidth == 0)
        return;
    m_settings.setValue(Settings::GraphWidth, qint32(m_graphWidth));
    m_settings.setValue(Settings::GraphHeight, qint32(m_graphHeight));
    m_settings.setValue(Settings::GraphDisp, QVariant::fromValue<qint16>(m_state.shownGraphs));
}

} // namespace norva
