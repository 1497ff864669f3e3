#include "core/tables/tableinfo.h"

#include "core/common/convert.h"
#include "core/common/cp932.h"
#include "core/common/error.h"
#include "core/common/paths.h"
#include "core/common/textfile.h"
#include "core/settings/settings.h"

#include <array>

namespace norva {

namespace {

struct Tables
{
    std::array<TableList, 3> infoLists;
    std::array<TableList, 3> stringLists;
    std::array<QString, 9> yakuStrings;
    qint16 yakuLast = -1;
    QString startLine = QStringLiteral("===== ");
    QString finishLine = QStringLiteral("----- ");
    QString rLine = QStringLiteral("  持点");
};

Tables &tables()
{
    static Tables t;
    return t;
}

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

void readLine(QStringView line)
{
    Tables &t = tables();
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
        appendEntry(t.infoLists[1], value);
    else if (is(u"TableInfo2"))
        appendEntry(t.infoLists[2], value);
    else if (is(u"TableString1"))
        appendEntry(t.stringLists[1], value);
    else if (is(u"TableString2"))
        appendEntry(t.stringLists[2], value);
    else if (is(u"YakuString")) {
        if (t.yakuLast < 8) {
            ++t.yakuLast;
            t.yakuStrings[size_t(t.yakuLast)] = value.toString();
        }
    } else if (is(u"StartLine"))
        t.startLine = value.toString();
    else if (is(u"FinishLine"))
        t.finishLine = value.toString();
    else if (is(u"RLine"))
        t.rLine = value.toString();
}

} // namespace

QString tableInfoFilePath()
{
    return besideExecutable(productName() + QStringLiteral(".dat"));
}

bool LoadTableInfo()
{
    return LoadTableInfo(tableInfoFilePath());
}

bool LoadTableInfo(const QString &path)
{
    Tables &t = tables();
    for (int i = 0; i < 3; ++i) {
        t.infoLists[size_t(i)].clear();
        t.stringLists[size_t(i)].clear();
    }
    return ReadTableInfoFile(path);
}

bool ReadTableInfoFile()
{
    return ReadTableInfoFile(tableInfoFilePath());
}

bool ReadTableInfoFile(const QString &path)
{
    Tables &t = tables();
    t.yakuLast = -1;
    t.yakuStrings.fill(QString());
    t.startLine = QStringLiteral("===== ");
    t.finishLine = QStringLiteral("----- ");
    t.rLine = QStringLiteral("  持点");
    try {
        LineReader reader(path, 64 * 1024);
        QByteArrayView line;
        QString text;
        while (reader.next(line)) {
            text.clear();
            cp932::decodeAppend(line, text);
            readLine(text);
        }
    } catch (const Error &) {
        return false;
    }
    return true;
}

QVariant GetTableInfoValue(qint16 kind, qint32 index)
{
    const Tables &t = tables();
    switch (kind) {
    case 0:
        return QVariant::fromValue<qint16>(t.yakuLast);
    case 1:
        if (index < 0 || index > 8)
            raise(ErrorKind::SubscriptOutOfRange);
        return t.yakuStrings[size_t(index)];
    case 2:
        return t.startLine;
    case 3:
        return t.finishLine;
    case 4:
        return t.rLine;
    default:
        return {};
    }
}

const TableList &TableInfoList(int n)
{
    if (n < 0 || n > 2)
        raise(ErrorKind::SubscriptOutOfRange);
    return tables().infoLists[size_t(n)];
}

const TableList &TableStringList(int n)
{
    if (n < 0 || n > 2)
        raise(ErrorKind::SubscriptOutOfRange);
    return tables().stringLists[size_t(n)];
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
