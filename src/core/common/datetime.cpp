#include "core/common/datetime.h"

#include "core/common/error.h"

namespace norva {

QDate zeroDate()
{
    return QDate(1899, 12, 30);
}

QDateTime makeDateTime(QDate date, QTime time)
{
    return QDateTime(date, time, Qt::UTC);
}

int expandTwoDigitYear(int yy)
{
    return yy < 30 ? 2000 + yy : 1900 + yy;
}

QString formatDateYmd(QDate date)
{
    return QStringLiteral("%1/%2/%3")
        .arg(date.year(), 4, 10, QLatin1Char('0'))
        .arg(date.month())
        .arg(date.day());
}

QString formatTimeHn(QTime time)
{
    return QStringLiteral("%1:%2").arg(time.hour()).arg(time.minute());
}

QString formatDateTimeYmdHn(const QDateTime &dt)
{
    return formatDateYmd(dt.date()) + u' ' + formatTimeHn(dt.time());
}

namespace {

struct Cursor
{
    QStringView s;
    qsizetype i = 0;

    bool atEnd() const { return i >= s.size(); }
    char16_t peek() const { return atEnd() ? char16_t(0) : s[i].unicode(); }
    void skipSpaces()
    {
        while (!atEnd() && (s[i] == u' ' || s[i] == u'\t' || s[i] == u'\x3000'))
            ++i;
    }
    // Reads 1 to maxDigits ASCII digits; returns -1 when there are none.
    int number(int maxDigits, int *count = nullptr)
    {
        int v = 0, n = 0;
        while (!atEnd() && n < maxDigits) {
            const char16_t c = s[i].unicode();
            if (c < u'0' || c > u'9')
                break;
            v = v * 10 + (c - u'0');
            ++n;
            ++i;
        }
        if (count)
            *count = n;
        return n == 0 ? -1 : v;
    }
};

// Reads "h:n" or "h:n:s" (an optional AM/PM is not a form of this program).
bool readTime(Cursor &c, QTime &out)
{
    const int h = c.number(2);
    if (h < 0 || c.peek() != u':')
        return false;
    ++c.i;
    const int m = c.number(2);
    if (m < 0)
        return false;
    int sec = 0;
    if (c.peek() == u':') {
        ++c.i;
        sec = c.number(2);
        if (sec < 0)
            return false;
    }
    if (!QTime::isValid(h, m, sec))
        return false;
    out = QTime(h, m, sec);
    return true;
}

bool readDate(Cursor &c, QDate &out)
{
    int yearDigits = 0;
    int y = c.number(4, &yearDigits);
    if (y < 0)
        return false;
    const char16_t sep = c.peek();
    char16_t sep2 = sep;
    if (sep == u'/' || sep == u'-' || sep == u'.') {
        // same separator between month and day
    } else if (sep == u'年') {
        sep2 = u'月';
    } else {
        return false;
    }
    ++c.i;
    const int m = c.number(2);
    if (m < 0 || c.peek() != sep2)
        return false;
    ++c.i;
    const int d = c.number(2);
    if (d < 0)
        return false;
    if (sep == u'年') {
        if (c.peek() != u'日')
            return false;
        ++c.i;
    }
    if (yearDigits <= 2)
        y = expandTwoDigitYear(y);
    if (y < 100 || !QDate::isValid(y, m, d))
        return false;
    out = QDate(y, m, d);
    return true;
}

} // namespace

std::optional<QDateTime> parseDateTime(QStringView text)
{
    Cursor c{text};
    c.skipSpaces();
    if (c.atEnd())
        return std::nullopt;
    // A time alone?
    {
        Cursor t = c;
        QTime time;
        if (readTime(t, time)) {
            t.skipSpaces();
            if (t.atEnd())
                return makeDateTime(zeroDate(), time);
        }
    }
    QDate date;
    if (!readDate(c, date))
        return std::nullopt;
    c.skipSpaces();
    if (c.atEnd())
        return makeDateTime(date);
    QTime time;
    if (!readTime(c, time))
        return std::nullopt;
    c.skipSpaces();
    if (!c.atEnd())
        return std::nullopt;
    return makeDateTime(date, time);
}

QDateTime variantToDateTime(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::QDateTime: {
        const QDateTime dt = value.toDateTime();
        if (!dt.isValid())
            raise(ErrorKind::TypeMismatch);
        return makeDateTime(dt.date(), dt.time());
    }
    case QMetaType::QDate: {
        const QDate d = value.toDate();
        if (!d.isValid())
            raise(ErrorKind::TypeMismatch);
        return makeDateTime(d);
    }
    case QMetaType::QTime: {
        const QTime t = value.toTime();
        if (!t.isValid())
            raise(ErrorKind::TypeMismatch);
        return makeDateTime(zeroDate(), t);
    }
    case QMetaType::QString:
        if (auto dt = parseDateTime(value.toString()))
            return *dt;
        raise(ErrorKind::TypeMismatch);
    default:
        raise(ErrorKind::TypeMismatch);
    }
}

} // namespace norva
