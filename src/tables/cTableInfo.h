#pragma once

#include <QString>
#include <QVariant>

namespace norva {

// One entry of the table definitions: an id (used as bit values) and a text,
// the label of a choice or the text recognised in a game header.
class cTableInfo
{
public:
    cTableInfo() = default;

    // "TableId" gives the id (qint32), "TableString" the text; any other key
    // (exact letter case) gives an empty QVariant.
    QVariant trParamValue(const QString &psParamKey) const;
    // "TableId" converts the value to a 32-bit integer (raising TypeMismatch or
    // Overflow and leaving the id as it was), "TableString" to text; other keys
    // do nothing.
    void setTrParamValue(const QString &psParamKey, const QVariant &pvParamValue);

    qint32 tableId() const { return m_tableId; }
    const QString &tableString() const { return m_tableString; }

private:
    qint32 m_tableId = 0;
    QString m_tableString;
};

} // namespace norva
