#pragma once

#include "core/graph/drawtarget.h"
#include "gui/print/paintertext.h"

#include <QImage>
#include <QPainter>

#include <memory>

namespace norva {

// The drawing target over a QPainter.
class PainterTarget final : public DrawTarget
{
public:
    static constexpr double TwipsPerPixel = 15;

    // The screen picture: draws in twips onto image, 15 twips per pixel. The
    // image should be RGB32 (or premultiplied ARGB32), where the AND draw mode
    // works.
    explicit PainterTarget(QImage &image);
    // A page: draws in the units that painter's transformation (a logical
    // window on a printer) maps onto its device. The painter's state is
    // restored when the target goes. Printers and PDF files ignore the AND draw
    // mode; draw into an image where it matters.
    explicit PainterTarget(QPainter &painter);
    ~PainterTarget() override;
    PainterTarget(const PainterTarget &) = delete;
    PainterTarget &operator=(const PainterTarget &) = delete;

    void setFontSize(double points) override;
    void setDrawMode(DrawMode mode) override;
    void setDrawWidth(int pixels) override;
    void setDrawStyle(DrawStyle style) override;
    void setForeColor(Color color) override;
    double currentX() const override { return m_x; }
    double currentY() const override { return m_y; }
    void setCurrentX(double x) override { m_x = x; }
    void setCurrentY(double y) override { m_y = y; }
    void point(double x, double y) override;
    void line(double x1, double y1, double x2, double y2, Color color,
              LineShape shape = LineShape::Line) override;
    void print(const QString &text) override;
    double textWidth(const QString &text) override;
    double textHeight(const QString &text) override;

    static QColor toQColor(Color color);

    // How many device pixels make one pixel of draw width (1 unless the device
    // is much finer than a screen, such as a printed page).
    void setPixelScale(int devicePixels) { m_pixelScale = qMax(1, devicePixels); }

private:
    PainterTarget(std::unique_ptr<QPainter> own, QPainter *painter);
    QPen pen(Color color) const;
    // Gives the painter the pen for color, unless it holds that pen already:
    // a graph draws its thousands of segments in one pen.
    void usePen(Color color);

    std::unique_ptr<QPainter> m_own;
    QPainter *m_painter;
    QTransform m_toDevice;
    PainterText m_text;
    int m_width = 1;
    int m_pixelScale = 1;
    DrawStyle m_style = DrawStyle::Solid;
    Color m_fore = 0;
    // The pen the painter holds, as set by usePen (none after text).
    bool m_penSet = false;
    Color m_penColor = 0;
    int m_penWidth = 0;
    DrawStyle m_penStyle = DrawStyle::Solid;
    double m_x = 0;
    double m_y = 0;
};

} // namespace norva
