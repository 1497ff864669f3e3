#include "core/graph/colorstring.h"

#include "core/common/convert.h"

#include <algorithm>

namespace norva {

namespace {

int component(QStringView s, qsizetype from)
{
    if (from >= s.size())
        return 0;
    const double v = roundHalfEven(readNumber(s.mid(from, 3)));
    // A component out of range (a hand-edited settings file) is held at its
    // nearest limit rather than spilling into the next one.
    return int(std::clamp(v, 0.0, 255.0));
}

} // namespace

Color colorFromString(QStringView s)
{
    return makeColor(component(s, 0), component(s, 3), component(s, 6));
}

QString colorToString(Color color)
{
    const auto three = [](int v) {
        return QStringLiteral("%1").arg(v, 3, 10, QLatin1Char('0'));
    };
    return three(colorRed(color)) + three(colorGreen(color)) + three(colorBlue(color));
}

} // namespace norva
