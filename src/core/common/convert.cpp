#include "core/common/convert.h"

#include "core/common/error.h"

#include <cmath>
#include <cstdio>
#include <limits>

namespace norva {

double roundHalfEven(double v)
{
    return std::nearbyint(v); // the default rounding mode is to nearest, ties to even
}

namespace {

template<typename T>
T toChecked(double v)
{
    if (std::isnan(v))
        raise(ErrorKind::Overflow);
    const double r = roundHalfEven(v);
    if (r < double(std::numeric_limits<T>::min()) || r > double(std::numeric_limits<T>::max()))
        raise(ErrorKind::Overflow);
    return static_cast<T>(r);
}

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r';
}

} // namespace

qint16 toInt16(double v)
{
    return toChecked<qint16>(v);
}

qint32 toInt32(double v)
{
    return toChecked<qint32>(v);
}

qint16 add16(qint16 a, qint16 b)
{
    const qint32 s = qint32(a) + qint32(b);
    if (s < std::numeric_limits<qint16>::min() || s > std::numeric_limits<qint16>::max())
        raise(ErrorKind::Overflow);
    return qint16(s);
}

qint32 add32(qint32 a, qint32 b)
{
    qint32 s;
    if (__builtin_add_overflow(a, b, &s))
        raise(ErrorKind::Overflow);
    return s;
}

double readNumber(QStringView text)
{
    // Collect the characters of the number into a plain ASCII buffer and let
    // strtod convert it; the buffer is bounded, further digits only scale.
    char buf[400];
    int n = 0;
    bool sign = false, point = false, digits = false;
    int extraIntegerDigits = 0; // digits dropped from the integer part
    for (QChar c : text) {
        if (isBlank(c))
            continue;
        const char16_t u = c.unicode();
        if ((u == u'+' || u == u'-') && !sign && !digits && !point) {
            sign = true;
            if (u == u'-')
                buf[n++] = '-';
            continue;
        }
        if (u == u'.' && !point) {
            point = true;
            if (n < int(sizeof buf) - 2)
                buf[n++] = '.';
            continue;
        }
        if (u >= u'0' && u <= u'9') {
            digits = true;
            if (n < int(sizeof buf) - 2)
                buf[n++] = char(u);
            else if (!point)
                ++extraIntegerDigits;
            continue;
        }
        break;
    }
    if (!digits)
        return 0.0;
    buf[n] = '\0';
    double v = std::strtod(buf, nullptr);
    // Zero stays zero however many digits it has (0 times infinity is NaN).
    if (extraIntegerDigits > 0 && v != 0.0)
        v *= std::pow(10.0, extraIntegerDigits);
    return v;
}

std::optional<double> parseNumber(QStringView text)
{
    const QStringView t = trimSpaces(text);
    if (t.isEmpty() || t.size() > 350)
        return std::nullopt;
    QByteArray buf;
    buf.reserve(t.size());
    qsizetype i = 0;
    auto at = [&](qsizetype k) {
        return k < t.size() ? t[k].unicode() : char16_t(0);
    };
    if (at(i) == u'+' || at(i) == u'-')
        buf.append(char(t[i++].unicode()));
    bool digits = false;
    while (at(i) >= u'0' && at(i) <= u'9') {
        buf.append(char(t[i++].unicode()));
        digits = true;
    }
    if (at(i) == u'.') {
        buf.append('.');
        ++i;
        while (at(i) >= u'0' && at(i) <= u'9') {
            buf.append(char(t[i++].unicode()));
            digits = true;
        }
    }
    if (!digits)
        return std::nullopt;
    if (at(i) == u'e' || at(i) == u'E') {
        buf.append('e');
        ++i;
        if (at(i) == u'+' || at(i) == u'-')
            buf.append(char(t[i++].unicode()));
        bool expDigits = false;
        while (at(i) >= u'0' && at(i) <= u'9') {
            buf.append(char(t[i++].unicode()));
            expDigits = true;
        }
        if (!expDigits)
            return std::nullopt;
    }
    if (i != t.size())
        return std::nullopt;
    const double v = std::strtod(buf.constData(), nullptr);
    if (!std::isfinite(v))
        return std::nullopt;
    return v;
}

namespace {

double variantToNumber(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::Bool:
        return value.toBool() ? -1.0 : 0.0;
    case QMetaType::QString: {
        const auto v = parseNumber(value.toString());
        if (!v)
            raise(ErrorKind::TypeMismatch);
        return *v;
    }
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
        return value.toDouble();
    default:
        raise(ErrorKind::TypeMismatch);
    }
}

} // namespace

qint16 variantToInt16(const QVariant &value)
{
    return toInt16(variantToNumber(value));
}

qint32 variantToInt32(const QVariant &value)
{
    return toInt32(variantToNumber(value));
}

bool variantToBool(const QVariant &value)
{
    if (value.typeId() == QMetaType::Bool)
        return value.toBool();
    if (value.typeId() == QMetaType::QString) {
        const QStringView t = trimSpaces(value.toString());
        if (t.compare(u"True", Qt::CaseInsensitive) == 0)
            return true;
        if (t.compare(u"False", Qt::CaseInsensitive) == 0)
            return false;
    }
    return variantToNumber(value) != 0.0;
}

QString variantToText(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::Bool:
        return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    case QMetaType::Double:
    case QMetaType::Float: {
        const double d = value.toDouble();
        if (d == std::floor(d) && std::fabs(d) < 1e15)
            return QString::number(qint64(d));
        return QString::number(d, 'g', 15);
    }
    default:
        return value.toString();
    }
}

QString formatFixed(double value, int decimals)
{
    if (!std::isfinite(value))
        return std::isnan(value)
                   ? QStringLiteral("NaN")
                   : (value < 0 ? QStringLiteral("-Infinity") : QStringLiteral("Infinity"));
    // First the value as a user sees it: 15 significant digits.
    char sci[64];
    std::snprintf(sci, sizeof sci, "%.14e", std::fabs(value));
    // sci is "d.dddddddddddddde[+-]xx"
    QByteArray digits;
    digits.append(sci[0]);
    digits.append(sci + 2, 14);
    const int exp = std::atoi(sci + 17);
    // Value = 0.digits * 10^(exp+1). Build the integer and fraction digit strings.
    const int pointPos = exp + 1; // number of digits before the decimal point
    QByteArray intPart, fracPart;
    if (pointPos <= 0) {
        intPart = "0";
        fracPart = QByteArray(-pointPos, '0') + digits;
    } else if (pointPos >= digits.size()) {
        intPart = digits + QByteArray(pointPos - digits.size(), '0');
    } else {
        intPart = digits.left(pointPos);
        fracPart = digits.mid(pointPos);
    }
    // Round half away from zero at the wanted number of decimals.
    const bool roundUp = fracPart.size() > decimals && fracPart[decimals] >= '5';
    fracPart = fracPart.left(decimals);
    fracPart.append(QByteArray(decimals - fracPart.size(), '0'));
    QByteArray all = intPart + fracPart;
    if (roundUp) {
        int i = all.size() - 1;
        while (i >= 0) {
            if (all[i] == '9') {
                all[i] = '0';
                --i;
            } else {
                all[i] = char(all[i] + 1);
                break;
            }
        }
        if (i < 0)
            all.prepend('1');
    }
    QByteArray ip = all.left(all.size() - decimals);
    const QByteArray fp = all.right(decimals);
    while (ip.size() > 1 && ip[0] == '0')
        ip.remove(0, 1);
    QString out;
    if (value < 0)
        out += u'-';
    out += QString::fromLatin1(ip);
    if (decimals > 0)
        out += u'.' + QString::fromLatin1(fp);
    return out;
}

QString padLeft(const QString &text, int width)
{
    if (text.size() >= width)
        return text;
    return QString(width - text.size(), u' ') + text;
}

QStringView trimLeadingSpaces(QStringView text)
{
    qsizetype b = 0;
    while (b < text.size() && text[b] == u' ')
        ++b;
    return text.mid(b);
}

QStringView trimSpaces(QStringView text)
{
    qsizetype b = 0, e = text.size();
    while (b < e && text[b] == u' ')
        ++b;
    while (e > b && text[e - 1] == u' ')
        --e;
    return text.mid(b, e - b);
}

} // namespace norva
