#pragma once

#include <QDate>
#include <QDateTime>
#include <QStringView>
#include <QTime>
#include <QVariant>

#include <optional>

namespace norva {

// Date-times are calendar values without a time zone: they are always built in
// UTC so that no daylight-saving gap can make one invalid. A time without a date
// lies on the zero date 1899/12/30.
QDate zeroDate();
QDateTime makeDateTime(QDate date, QTime time = QTime(0, 0));

// Two-digit years 00-29 are 2000-2029, 30-99 are 1930-1999.
int expandTwoDigitYear(int yy);

// The file forms: "yyyy/m/d" and "h:n" (no leading zeros, no seconds).
QString formatDateYmd(QDate date);
QString formatTimeHn(QTime time);
// "yyyy/m/d h:n"
QString formatDateTimeYmdHn(const QDateTime &dt);

// Lenient reading of a date, a time, or a date and a time: "yyyy/m/d", "yy/m/d"
// (two-digit-year rule), with "/", "-" or "." between the parts, the log's
// "yyyy/mm/dd hh:mm", "yyyy年m月d日", times "h:n" or "h:n:s" alone or after the
// date. Surrounding spaces are allowed. Impossible dates and times give nullopt.
std::optional<QDateTime> parseDateTime(QStringView text);

// A value converted to a date-time: a date-time or a date as it stands, a text
// through parseDateTime. Anything else raises TypeMismatch.
QDateTime variantToDateTime(const QVariant &value);

} // namespace norva
