#include "gui/print/paintertext.h"

#include <QFontMetricsF>
#include <QPaintDevice>

namespace norva {

PainterText::PainterText(QPainter &painter, const QTransform &toDevice)
    : m_painter(painter)
    , m_toDevice(toDevice)
    , m_font(QStringLiteral("ＭＳ ゴシック"))
{
    m_font.setPointSizeF(9);
}

void PainterText::setFontName(const QString &name)
{
    m_font.setFamily(name);
}

void PainterText::setFontSize(double points)
{
    m_font.setPointSizeF(points);
}

QFont PainterText::deviceFont() const
{
    // Points become pixels at the device's own resolution.
    return QFont(m_font, m_painter.device());
}

double PainterText::width(const QString &text) const
{
    return QFontMetricsF(deviceFont(), m_painter.device()).horizontalAdvance(text)
           / m_toDevice.m11();
}

double PainterText::height(const QString &) const
{
    return QFontMetricsF(deviceFont(), m_painter.device()).height() / m_toDevice.m22();
}

void PainterText::draw(double x, double y, const QString &text, const QColor &color)
{
    const QFont font = deviceFont();
    const QPointF at = m_toDevice.map(QPointF(x, y));
    m_painter.setFont(font);
    m_painter.setPen(color);
    m_painter.drawText(QPointF(at.x(), at.y() + QFontMetricsF(font, m_painter.device()).ascent()),
                       text);
}

} // namespace norva
