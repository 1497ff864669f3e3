#pragma once

#include "core/calc/printresults.h"
#include "gui/print/paintertext.h"

#include <QPainter>

namespace norva {

// The results column's page over a QPainter (a printer, a PDF file): works in
// the units the painter's transformation maps onto the device (the logical
// page), writes black text at its point size on the device. The painter's
// state is restored when the surface goes.
class PainterPrintSurface final : public PrintSurface
{
public:
    explicit PainterPrintSurface(QPainter &painter);
    ~PainterPrintSurface() override;
    PainterPrintSurface(const PainterPrintSurface &) = delete;
    PainterPrintSurface &operator=(const PainterPrintSurface &) = delete;

    void setFontName(const QString &name) override;
    void setFontSize(double points) override;
    double textHeight(const QString &text) override;
    double currentX() const override { return m_x; }
    double currentY() const override { return m_y; }
    void setCurrentX(double x) override { m_x = x; }
    void setCurrentY(double y) override { m_y = y; }
    void printLine(const QString &text) override;

private:
    QPainter &m_painter;
    QTransform m_toDevice;
    PainterText m_text;
    double m_leftEdge = 0;
    double m_x = 0;
    double m_y = 0;
};

} // namespace norva
