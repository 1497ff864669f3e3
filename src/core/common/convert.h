#pragma once

#include <QString>
#include <QStringView>
#include <QVariant>

#include <optional>

namespace norva {

// Rounds to the nearest integer, halves to the even neighbour (2.5 -> 2, 3.5 -> 4).
double roundHalfEven(double v);

// Fractions and numbers to fixed-width integers: halves to even, and a value
// outside the width (or not a number) raises ErrorKind::Overflow, never wraps.
qint16 toInt16(double v);
qint32 toInt32(double v);

// Checked arithmetic on the fixed widths; an overflow raises ErrorKind::Overflow.
qint16 add16(qint16 a, qint16 b);
qint32 add32(qint32 a, qint32 b);

// The lenient number reading of the score log and the colour strings: blanks
// (space, tab, CR, LF) before and between the characters are skipped, one leading
// sign and one decimal point are accepted, reading stops at the first character
// that cannot continue the number; no number in front reads as 0.
double readNumber(QStringView text);

// Strict reading of a whole text as a number: surrounding spaces, a sign,
// digits with at most one decimal point and an optional exponent. Anything else
// (also an empty text) gives nullopt.
std::optional<double> parseNumber(QStringView text);

// Text or any other value to a fixed-width integer (halves to even). A text that
// is not a number raises TypeMismatch, a value outside the width Overflow.
// A Boolean true is -1, false 0.
qint16 variantToInt16(const QVariant &value);
qint32 variantToInt32(const QVariant &value);
// "True"/"False" in any letter case, or a number (0 false, else true); other
// texts raise TypeMismatch.
bool variantToBool(const QVariant &value);
// Numbers and Booleans to text as the settings file and the report write them.
QString variantToText(const QVariant &value);

// Fixed-decimal formatting with halves away from zero, applied to the value as
// written with 15 significant digits (so 28.499999999999996 shows as 29 with no
// decimals). A negative value that rounds to zero keeps its sign ("-0.000").
QString formatFixed(double value, int decimals);
// The pattern "0": a share rounded to a whole number.
inline QString formatShare(double value)
{
    return formatFixed(value, 0);
}
// The pattern "0.000": an average with three decimals.
inline QString formatAverage(double value)
{
    return formatFixed(value, 3);
}

// Right-aligns text in a field of width characters with ASCII spaces; a longer
// text is returned whole.
QString padLeft(const QString &text, int width);

// Removes leading and trailing ASCII spaces only (tabs and other blanks stay).
QStringView trimSpaces(QStringView text);
QStringView trimLeadingSpaces(QStringView text);

} // namespace norva
