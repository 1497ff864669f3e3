#include "gui/print/painterprintsurface.h"

namespace norva {

PainterPrintSurface::PainterPrintSurface(QPainter &painter)
    : m_painter(painter)
    , m_toDevice(painter.combinedTransform())
    , m_text(painter, m_toDevice)
{
    // The left edge of the device in the page's units.
    m_leftEdge = m_toDevice.inverted().map(QPointF(0, 0)).x();
    m_x = m_leftEdge;
    m_painter.save();
    m_painter.resetTransform();
}

PainterPrintSurface::~PainterPrintSurface()
{
    m_painter.restore();
}

void PainterPrintSurface::setFontName(const QString &name)
{
    m_text.setFontName(name);
}

void PainterPrintSurface::setFontSize(double points)
{
    m_text.setFontSize(points);
}

double PainterPrintSurface::textHeight(const QString &text)
{
    return m_text.height(text);
}

void PainterPrintSurface::printLine(const QString &text)
{
    m_text.draw(m_x, m_y, text, Qt::black);
    m_x = m_leftEdge;
    m_y += m_text.height(text);
}

} // namespace norva
