#pragma once

#include <QFont>
#include <QRect>
#include <QSize>
#include <QString>

class QLabel;
class QWidget;

// Helpers for laying controls out as the windows were designed: positions in
// twips, control names, arrays of controls.
namespace norva {

// Window sizes and positions are kept in twips; the screen has a fixed 15
// twips per pixel.
constexpr int TwipsPerPixel = 15;
int twipsToPixels(qint64 twips);
inline qint64 pixelsToTwips(int pixels)
{
    return qint64(pixels) * TwipsPerPixel;
}

// A window's size as it was set in twips. The screen shows it to the nearest
// pixel, but until the window is resized the size reads back in twips exactly
// as it was set.
class TwipsSize
{
public:
    // The size set, and the pixels the window took for it (a minimum or the
    // screen may have changed them).
    void set(qint64 widthTwips, qint64 heightTwips, QSize pixelsTaken);
    // The width and height in twips of a window now this many pixels large.
    qint64 width(int pixels) const;
    qint64 height(int pixels) const;

private:
    QSize m_twips;
    QSize m_pixels;
};

// A rectangle given in twips, in pixels.
QRect twipsRect(int left, int top, int width, int height);

// The font of the windows' controls: ＭＳ Ｐゴシック, 9 points.
QFont formFont();

// Names a control. An element of a control array (index 0 or more) is called
// "name(index)" and carries its index as the property "index".
void setControlName(QWidget *control, const QString &name, int index = -1);

// How a label of a results table looks.
enum class LabelStyle {
    Title, // plain text at the top left
    Value, // single-line border, text right-aligned
};

// A label on form at a position in twips; every label of the tables is 255
// twips high.
QLabel *addLabel(QWidget *form, const QString &name, int index, LabelStyle style,
                 const QString &caption, int left, int top, int width, int height = 255);

// The caption of a value label: screen readers name the label by it,
// followed by the value as shown ("１位 回数 75").
void setValueCaption(QLabel *label, const QString &caption);
// Shows text in a value label; its accessible name follows.
void setValueText(QLabel *label, const QString &text);

// Sets the text of a title label. A title whose text is wider than the label's
// fixed width grows to the right until the text fits (it has no border, so
// only the text shows); it never becomes narrower than that width.
void setTitleText(QLabel *label, const QString &text);

} // namespace norva
