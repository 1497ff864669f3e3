#pragma once

#include "core/graph/drawtarget.h"

#include <QList>
#include <QString>

#include <functional>

namespace norva {

// A drawing target that draws nothing and records every call with the state in
// force, so that a drawing can be checked coordinate by coordinate.
//
// Its text metric is fixed: every character is 100 units wide and a text is
// 20 units high per point of the font size (180 at 9 points, 160 at 8 points).
// The font size starts at 9 points, the draw mode at CopyPen, the width at 1,
// the style Solid, the fore colour black and the position at (0, 0).
class RecordingTarget : public DrawTarget
{
public:
    static constexpr double CharWidth = 100;
    static constexpr double HeightPerPoint = 20;

    enum class Kind {
        FontSize,
        DrawMode,
        DrawWidth,
        DrawStyle,
        ForeColor,
        CurrentX,
        CurrentY,
        Point,
        Line,
        Print,
    };

    struct Call
    {
        Kind kind;
        // Point: (x1, y1). Line: from (x1, y1) to (x2, y2). Print: the position
        // the text was written at. CurrentX/CurrentY: the new position.
        double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
        // Line: its colour; otherwise the fore colour in force.
        Color color = 0;
        LineShape shape = LineShape::Line;
        QString text;     // Print
        double value = 0; // FontSize, DrawMode, DrawWidth, DrawStyle, ForeColor
        // The state in force when the call was made.
        double fontSize = 9;
        DrawMode mode = DrawMode::CopyPen;
        int width = 1;
        DrawStyle style = DrawStyle::Solid;
    };

    QList<Call> calls;
    // Called after each recorded call; a test may throw from here to make the
    // target fail part-way.
    std::function<void(const Call &)> afterCall;

    void setFontSize(double points) override
    {
        m_fontSize = points;
        record(Kind::FontSize).value = points;
        notify();
    }
    void setDrawMode(DrawMode mode) override
    {
        m_mode = mode;
        record(Kind::DrawMode).value = int(mode);
        notify();
    }
    void setDrawWidth(int pixels) override
    {
        m_width = pixels;
        record(Kind::DrawWidth).value = pixels;
        notify();
    }
    void setDrawStyle(DrawStyle style) override
    {
        m_style = style;
        record(Kind::DrawStyle).value = int(style);
        notify();
    }
    void setForeColor(Color color) override
    {
        m_fore = color;
        record(Kind::ForeColor).value = color;
        notify();
    }

    double currentX() const override { return m_x; }
    double currentY() const override { return m_y; }
    void setCurrentX(double x) override
    {
        m_x = x;
        record(Kind::CurrentX).x1 = x;
        notify();
    }
    void setCurrentY(double y) override
    {
        m_y = y;
        record(Kind::CurrentY).y1 = y;
        notify();
    }

    void point(double x, double y) override
    {
        Call &c = record(Kind::Point);
        c.x1 = x;
        c.y1 = y;
        m_x = x;
        m_y = y;
        notify();
    }
    void line(double x1, double y1, double x2, double y2, Color color,
              LineShape shape = LineShape::Line) override
    {
        Call &c = record(Kind::Line);
        c.x1 = x1;
        c.y1 = y1;
        c.x2 = x2;
        c.y2 = y2;
        c.color = color;
        c.shape = shape;
        m_x = x2;
        m_y = y2;
        notify();
    }
    void print(const QString &text) override
    {
        Call &c = record(Kind::Print);
        c.x1 = m_x;
        c.y1 = m_y;
        c.text = text;
        m_x += textWidth(text);
        notify();
    }

    double textWidth(const QString &text) override { return CharWidth * text.size(); }
    double textHeight(const QString &) override { return HeightPerPoint * m_fontSize; }

    // The recorded calls of one kind, in order.
    QList<Call> of(Kind kind) const
    {
        QList<Call> out;
        for (const Call &c : calls) {
            if (c.kind == kind)
                out.append(c);
        }
        return out;
    }

private:
    Call &record(Kind kind)
    {
        Call c;
        c.kind = kind;
        c.color = m_fore;
        c.fontSize = m_fontSize;
        c.mode = m_mode;
        c.width = m_width;
        c.style = m_style;
        calls.append(c);
        return calls.last();
    }
    void notify()
    {
        if (afterCall)
            afterCall(calls.last());
    }

    double m_fontSize = 9;
    DrawMode m_mode = DrawMode::CopyPen;
    int m_width = 1;
    DrawStyle m_style = DrawStyle::Solid;
    Color m_fore = 0;
    double m_x = 0;
    double m_y = 0;
};

} // namespace norva
