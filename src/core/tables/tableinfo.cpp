#include "core/tables/tableinfo.h"

#include "core/common/convert.h"
#include "core/common/cp932.h"
#include "core/common/error.h"
#include "core/common/textfile.h"

#include <array>

namespace norva {

namespace {

void appendEntry(TableList &list, QStringView value)
{
    const qsizetype comma = value.indexOf(u',');
    if (comma < 0)
        return;
    TableEntry info;
    try {
        info.setValue(QStringLiteral("TableId"), value.left(comma).toString());
    } catch (const Error &) {
        // A id that is not a number leaves the id at 0; the entry still counts.
    }
    info.setValue(QStringLiteral("TableString"), value.mid(comma + 1).toString());
    list.append(info);
}

} // namespace

TableInfo::TableInfo()
    : m_startLine(QStringLiteral("===== "))
    , m_finishLine(QStringLiteral("----- "))
    , m_rLine(QStringLiteral("  持点"))
{}

void TableInfo::readLine(QStringView line)
{
    line = trimLeadingSpaces(line);
    const qsizetype eq = line.indexOf(u'=');
    if (eq < 0)
        return;
    const QStringView key = trimSpaces(line.left(eq));
    const QStringView value = line.mid(eq + 1);
    auto is = [&](QStringView name) {
        return key.compare(name, Qt::CaseInsensitive) == 0;
    };
    if (is(u"TableInfo1"))
        appendEntry(m_choices[1], value);
    else if (is(u"TableInfo2"))
        appendEntry(m_choices[2], value);
    else if (is(u"TableString1"))
        appendEntry(m_recognition[1], value);
    else if (is(u"TableString2"))
        appendEntry(m_recognition[2], value);
    else if (is(u"YakuString")) {
        if (m_yakuLast < 8) {
            ++m_yakuLast;
            m_yakuStrings[size_t(m_yakuLast)] = value.toString();
        }
    } else if (is(u"StartLine"))
        m_startLine = value.toString();
    else if (is(u"FinishLine"))
        m_finishLine = value.toString();
    else if (is(u"RLine"))
        m_rLine = value.toString();
}

bool TableInfo::load(const QString &path, std::optional<ErrorKind> *why)
{
    *this = TableInfo();
    if (why)
        why->reset();
    try {
        LineReader reader(path, 64 * 1024);
        readLines(reader);
    } catch (const Error &e) {
        if (why)
            *why = e.kind();
        return false;
    }
    return true;
}

bool TableInfo::loadBytes(const QByteArray &bytes)
{
    *this = TableInfo();
    try {
        LineReader reader(bytes);
        readLines(reader);
    } catch (const Error &) {
        return false;
    }
    return true;
}

void TableInfo::readLines(LineReader &reader)
{
    QByteArrayView line;
    QString text;
    while (reader.next(line)) {
        text.clear();
        cp932::decodeAppend(line, text);
        readLine(text);
    }
}

QVariant TableInfo::value(qint16 kind, qint32 index) const
{
    switch (kind) {
    case 0:
        return QVariant::fromValue<qint16>(m_yakuLast);
    case 1:
        if (index < 0 || index > 8)
            raise(ErrorKind::SubscriptOutOfRange);
        return m_yakuStrings[size_t(index)];
    case 2:
        return m_startLine;
    case 3:
        return m_finishLine;
    case 4:
        return m_rLine;
    default:
        return {};
    }
}

const TableList &TableInfo::choices(int group) const
{
    if (group < 0 || group > 2)
        raise(ErrorKind::SubscriptOutOfRange);
    return m_choices[size_t(group)];
}

const TableList &TableInfo::recognition(int group) const
{
    if (group < 0 || group > 2)
        raise(ErrorKind::SubscriptOutOfRange);
    return m_recognition[size_t(group)];
}

QVariant TableEntry::value(const QString &key) const
{
    if (key == u"TableId")
        return m_tableId;
    if (key == u"TableString")
        return m_tableString;
    return {};
}

void TableEntry::setValue(const QString &key, const QVariant &newValue)
{
    if (key == u"TableId")
        m_tableId = variantToInt32(newValue);
    else if (key == u"TableString")
        m_tableString = variantToText(newValue);
}

} // namespace norva
