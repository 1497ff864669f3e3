#pragma once

#include <QColor>
#include <QFont>
#include <QPainter>
#include <QTransform>

namespace norva {

// Text on a painter that draws in device pixels, for a caller that works in
// its own units (twips on screen, the logical page when printing): the font
// keeps its size in points on the device, as on paper, whatever the units, and
// sizes are measured in the units. The units may be scaled differently in x
// and y (a landscape screen mapped onto a portrait page).
class PainterText
{
public:
    // toDevice maps the caller's units onto the painter's device pixels.
    PainterText(QPainter &painter, const QTransform &toDevice);

    void setFontName(const QString &name);
    void setFontSize(double points);
    double width(const QString &text) const;
    double height(const QString &text) const;
    // Writes text with its top-left corner at (x, y), in units.
    void draw(double x, double y, const QString &text, const QColor &color);

private:
    QFont deviceFont() const;

    QPainter &m_painter;
    QTransform m_toDevice;
    QFont m_font;
};

} // namespace norva
