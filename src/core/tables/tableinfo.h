#pragma once

#include <QList>
#include <QString>
#include <QVariant>

// The table definitions: how the score log's lines are recognised, which table
// kinds exist and which han classes are counted. Read once from "norva.dat"
// beside the executable; read-only afterwards.
namespace norva {

// One entry of the table definitions: an id (used as bit values) and a text,
// the label of a choice or the text recognised in a game header.
class TableEntry
{
public:
    TableEntry() = default;

    // "TableId" gives the id (qint32), "TableString" the text; any other key
    // (exact letter case) gives an empty QVariant.
    QVariant value(const QString &key) const;
    // "TableId" converts the value to a 32-bit integer (raising TypeMismatch or
    // Overflow and leaving the id as it was), "TableString" to text; other keys
    // do nothing.
    void setValue(const QString &key, const QVariant &newValue);

    qint32 tableId() const { return m_tableId; }
    const QString &tableString() const { return m_tableString; }

private:
    qint32 m_tableId = 0;
    QString m_tableString;
};

using TableList = QList<TableEntry>;

// Creates the six empty lists and reads the file. False when the file could not
// be opened (the caller tells the user; the tables keep their defaults).
bool LoadTableInfo();
// Resets the han classes and markers to their defaults and reads the file into
// the lists. False when the file could not be opened.
bool ReadTableInfoFile();
// The same with the table definitions file at path (the command-line
// program's --dat).
bool LoadTableInfo(const QString &path);
bool ReadTableInfoFile(const QString &path);

// kind 0: YakuLast (qint16, -1..8); 1: YakuStrings(index) (index 0..8, else
// SubscriptOutOfRange is raised); 2: StartLine; 3: FinishLine; 4: RLine; any
// other kind an empty QVariant.
QVariant GetTableInfoValue(qint16 kind, qint32 index = 0);

// The choice lists (0..2, only 1 and 2 are ever filled).
const TableList &TableInfoList(int n);
// The recognition lists (0..2, only 1 and 2 are ever filled).
const TableList &TableStringList(int n);

QString tableInfoFilePath();

} // namespace norva
