#pragma once

#include <QString>
#include <QtGlobal>

// The surface the graphs are drawn on: the graph window's picture, a printed
// page, or a recording used by the tests. Coordinates are in the target's own
// units (twips on screen), origin top-left, y growing downwards.
namespace norva {

// A colour value: red + 256 * green + 65536 * blue.
using Color = qint32;

constexpr int colorRed(Color c)
{
    return c & 0xFF;
}
constexpr int colorGreen(Color c)
{
    return (c >> 8) & 0xFF;
}
constexpr int colorBlue(Color c)
{
    return (c >> 16) & 0xFF;
}
constexpr Color makeColor(int red, int green, int blue)
{
    return red + 256 * green + 65536 * blue;
}

// How a pen combines with what is already drawn.
enum class DrawMode : int {
    MaskPen = 9,  // each pixel becomes the bitwise AND of pen and picture
    CopyPen = 13, // the pen replaces the picture (the initial mode)
};

enum class DrawStyle : int {
    Solid = 0,
    Dotted = 2,
};

// What a line call draws between its two points.
enum class LineShape {
    Line,      // a straight line
    Box,       // the outline of the rectangle with the two points as opposite corners
    FilledBox, // that rectangle filled with the line's colour
};

class DrawTarget
{
public:
    virtual ~DrawTarget() = default;

    // The size in points of the text drawn from now on.
    virtual void setFontSize(double points) = 0;
    virtual void setDrawMode(DrawMode mode) = 0;
    // Line thickness in pixels of the device.
    virtual void setDrawWidth(int pixels) = 0;
    virtual void setDrawStyle(DrawStyle style) = 0;
    // The colour of points and text.
    virtual void setForeColor(Color color) = 0;

    virtual double currentX() const = 0;
    virtual double currentY() const = 0;
    virtual void setCurrentX(double x) = 0;
    virtual void setCurrentY(double y) = 0;
    void setCurrentPosition(double x, double y)
    {
        setCurrentX(x);
        setCurrentY(y);
    }

    // A point in the fore colour; the current position moves there.
    virtual void point(double x, double y) = 0;
    // A line (or box) from (x1, y1) to (x2, y2) in color; the current position
    // moves to (x2, y2).
    virtual void line(double x1, double y1, double x2, double y2, Color color,
                      LineShape shape = LineShape::Line) = 0;
    // The same from the current position.
    void lineTo(double x2, double y2, Color color, LineShape shape = LineShape::Line)
    {
        line(currentX(), currentY(), x2, y2, color, shape);
    }

    // Writes text in the fore colour with its top-left corner at the current
    // position; the current x moves to the end of the text, y stays.
    virtual void print(const QString &text) = 0;
    // Writes a number: its digits, preceded by a blank when it is not negative
    // (or by "-" when it is) and followed by a blank.
    void printNumber(qint64 value) { print(numberText(value)); }
    static QString numberText(qint64 value)
    {
        return (value < 0 ? QString() : QStringLiteral(" ")) + QString::number(value)
               + QStringLiteral(" ");
    }

    // The size of text in the current font, in the target's units.
    virtual double textWidth(const QString &text) = 0;
    virtual double textHeight(const QString &text) = 0;
};

} // namespace norva
