#pragma once

#include "core/graph/drawtarget.h"

#include <QString>
#include <QStringView>

namespace norva {

// A colour string holds three groups of three characters: red, green and blue
// ("255128064"). Each group is read leniently as a number (blanks skipped,
// reading stops at the first character that cannot continue it; a group with
// no number, or missing because the text is shorter, reads as 0), rounded
// halves to even and kept within 0..255. Never raises.
Color colorFromString(QStringView s);

// The colour string of a colour: each component as three decimal digits,
// padded with zeros, red first. The inverse of colorFromString.
QString colorToString(Color color);

} // namespace norva
