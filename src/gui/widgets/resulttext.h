#pragma once

#include "core/common/convert.h"

#include <QString>

// How the result windows write their numbers.
namespace norva {

// "１" to "９" for 1 to 9.
inline QString fullWidthDigit(int digit)
{
    return QString(QChar(0xFF10 + digit));
}

// count as a share of total in whole percent, halves away from zero; the
// quotient is taken first, then multiplied by 100. total must not be 0.
inline QString sharePercent(qint32 count, qint32 total)
{
    return formatShare(double(count) / double(total) * 100.0);
}

} // namespace norva
