#include "gui/widgets/fixedlayout.h"

#include "core/common/convert.h"

#include <QLabel>
#include <QVariant>
#include <QWidget>

#include <algorithm>
#include <climits>

namespace norva {

int twipsToPixels(qint64 twips)
{
    const double px = roundHalfEven(double(twips) / TwipsPerPixel);
    return int(std::clamp(px, 0.0, double(QWIDGETSIZE_MAX)));
}

void TwipsSize::set(qint64 widthTwips, qint64 heightTwips, QSize pixelsTaken)
{
    m_pixels = pixelsTaken;
    m_twips = QSize(int(std::clamp<qint64>(widthTwips, 0, INT_MAX)),
                    int(std::clamp<qint64>(heightTwips, 0, INT_MAX)));
    if (m_pixels.width() != twipsToPixels(widthTwips))
        m_twips.setWidth(int(pixelsToTwips(m_pixels.width())));
    if (m_pixels.height() != twipsToPixels(heightTwips))
        m_twips.setHeight(int(pixelsToTwips(m_pixels.height())));
}

qint64 TwipsSize::width(int pixels) const
{
    return pixels == m_pixels.width() ? m_twips.width() : pixelsToTwips(pixels);
}

qint64 TwipsSize::height(int pixels) const
{
    return pixels == m_pixels.height() ? m_twips.height() : pixelsToTwips(pixels);
}

QRect twipsRect(int left, int top, int width, int height)
{
    return QRect(twipsToPixels(left), twipsToPixels(top), twipsToPixels(width),
                 twipsToPixels(height));
}

QFont formFont()
{
    QFont font(QStringLiteral("ＭＳ Ｐゴシック"));
    font.setPointSize(9);
    return font;
}

void setControlName(QWidget *control, const QString &name, int index)
{
    if (index < 0) {
        control->setObjectName(name);
        return;
    }
    control->setObjectName(name + u'(' + QString::number(index) + u')');
    control->setProperty("index", index);
}

QLabel *addLabel(QWidget *form, const QString &name, int index, LabelStyle style,
                 const QString &caption, int left, int top, int width, int height)
{
    auto *label = new QLabel(caption, form);
    setControlName(label, name, index);
    label->setGeometry(twipsRect(left, top, width, height));
    label->setTextFormat(Qt::PlainText);
    label->setProperty("designWidth", label->width());
    if (style == LabelStyle::Value) {
        label->setFrameStyle(QFrame::Box | QFrame::Plain);
        label->setLineWidth(1);
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        label->setIndent(2); // keeps the digits off the border
    } else {
        // Text at the top, so that a caption beside a text box stands on the
        // line of the box's text.
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    }
    return label;
}

void setValueCaption(QLabel *label, const QString &caption)
{
    label->setProperty("valueCaption", caption);
    setValueText(label, label->text());
}

void setValueText(QLabel *label, const QString &text)
{
    label->setText(text);
    const QString caption = label->property("valueCaption").toString();
    label->setAccessibleName(text.isEmpty() ? caption : caption + u' ' + text);
}

void setTitleText(QLabel *label, const QString &text)
{
    label->setText(text);
    const int designed = label->property("designWidth").toInt();
    const int needed = label->fontMetrics().horizontalAdvance(text) + 2 * label->margin()
                       + 2 * label->frameWidth();
    label->resize(qMax(designed, needed), label->height());
}

} // namespace norva
