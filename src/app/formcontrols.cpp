#include "formcontrols.h"

#include "childform.h"

#include <QLabel>
#include <QVariant>

namespace norva {

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
    if (style == LabelStyle::Value) {
        label->setFrameStyle(QFrame::Box | QFrame::Plain);
        label->setLineWidth(1);
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    } else {
        label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    }
    return label;
}

} // namespace norva
