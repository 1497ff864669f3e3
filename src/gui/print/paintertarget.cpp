#include "gui/print/paintertarget.h"

namespace norva {

namespace {

std::unique_ptr<QPainter> twipsPainter(QImage &image)
{
    auto painter = std::make_unique<QPainter>(&image);
    painter->scale(1 / PainterTarget::TwipsPerPixel, 1 / PainterTarget::TwipsPerPixel);
    return painter;
}

// The painter's units onto the pixels it draws in once its transformation is
// reset: on a high-density image those are the image's logical pixels, which
// its own scale (kept by the reset) makes finer, so the picture takes the
// same room as on any screen, only sharper.
QTransform toDrawingPixels(const QPainter &painter)
{
    const qreal ratio = painter.device()->devicePixelRatio();
    return painter.combinedTransform() * QTransform::fromScale(1 / ratio, 1 / ratio);
}

} // namespace

PainterTarget::PainterTarget(QImage &image)
    : PainterTarget(twipsPainter(image), nullptr)
{}

PainterTarget::PainterTarget(QPainter &painter)
    : PainterTarget(nullptr, &painter)
{}

PainterTarget::PainterTarget(std::unique_ptr<QPainter> own, QPainter *painter)
    : m_own(std::move(own))
    , m_painter(m_own ? m_own.get() : painter)
    , m_toDevice(toDrawingPixels(*m_painter))
    , m_text(*m_painter, m_toDevice)
{
    // Everything is mapped here and drawn in pixels, so that pens keep their
    // width in pixels and fonts their size in points.
    m_painter->save();
    m_painter->resetTransform();
    m_painter->setRenderHint(QPainter::Antialiasing, false);
    m_painter->setCompositionMode(QPainter::CompositionMode_SourceOver);
}

PainterTarget::~PainterTarget()
{
    m_painter->restore();
}

QColor PainterTarget::toQColor(Color color)
{
    return QColor(colorRed(color), colorGreen(color), colorBlue(color));
}

void PainterTarget::setFontSize(double points)
{
    m_text.setFontSize(points);
}

void PainterTarget::setDrawMode(DrawMode mode)
{
    m_painter->setCompositionMode(mode == DrawMode::MaskPen
                                      ? QPainter::RasterOp_SourceAndDestination
                                      : QPainter::CompositionMode_SourceOver);
}

void PainterTarget::setDrawWidth(int pixels)
{
    m_width = qMax(1, pixels);
}

void PainterTarget::setDrawStyle(DrawStyle style)
{
    m_style = style;
}

void PainterTarget::setForeColor(Color color)
{
    m_fore = color;
}

QPen PainterTarget::pen(Color color) const
{
    QPen p(toQColor(color), m_width * m_pixelScale);
    p.setStyle(m_style == DrawStyle::Dotted ? Qt::DotLine : Qt::SolidLine);
    p.setCapStyle(Qt::SquareCap);
    p.setJoinStyle(Qt::MiterJoin);
    return p;
}

void PainterTarget::usePen(Color color)
{
    const int width = m_width * m_pixelScale;
    if (m_penSet && m_penColor == color && m_penWidth == width && m_penStyle == m_style)
        return;
    m_painter->setPen(pen(color));
    m_penSet = true;
    m_penColor = color;
    m_penWidth = width;
    m_penStyle = m_style;
}

void PainterTarget::point(double x, double y)
{
    usePen(m_fore);
    m_painter->drawPoint(m_toDevice.map(QPointF(x, y)));
    m_x = x;
    m_y = y;
}

void PainterTarget::line(double x1, double y1, double x2, double y2, Color color, LineShape shape)
{
    const QPointF from = m_toDevice.map(QPointF(x1, y1));
    const QPointF to = m_toDevice.map(QPointF(x2, y2));
    usePen(color);
    switch (shape) {
    case LineShape::Line:
        m_painter->drawLine(from, to);
        break;
    case LineShape::Box:
        m_painter->setBrush(Qt::NoBrush);
        m_painter->drawRect(QRectF(from, to).normalized());
        break;
    case LineShape::FilledBox:
        m_painter->setBrush(toQColor(color));
        m_painter->drawRect(QRectF(from, to).normalized());
        m_painter->setBrush(Qt::NoBrush);
        break;
    }
    m_x = x2;
    m_y = y2;
}

void PainterTarget::print(const QString &text)
{
    m_text.draw(m_x, m_y, text, toQColor(m_fore));
    m_penSet = false; // the text took a pen of its own
    m_x += m_text.width(text);
}

double PainterTarget::textWidth(const QString &text)
{
    return m_text.width(text);
}

double PainterTarget::textHeight(const QString &text)
{
    return m_text.height(text);
}

} // namespace norva
