#pragma once

#include "core/common/error.h"

#include <QList>
#include <QString>
#include <QVariant>

#include <array>
#include <optional>

namespace norva {

class LineReader;

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

// The table definitions, read from "norva.dat": how the score log's lines are
// recognised, which table kinds the user chooses from and which han classes
// are counted. Read-only once loaded.
class TableInfo
{
public:
    // The markers' defaults, no table kinds and no han classes.
    TableInfo();

    // Empties the lists, restores the defaults and reads the file at path.
    // False when the file could not be read (the caller tells the user, why,
    // if given, says why; what was read stands).
    bool load(const QString &path, std::optional<ErrorKind> *why = nullptr);
    // The same for the bytes of such a file held in memory.
    bool loadBytes(const QByteArray &bytes);

    // kind 0: YakuLast (qint16, -1..8); 1: the han class at index (0..8, else
    // SubscriptOutOfRange is raised); 2: StartLine; 3: FinishLine; 4: RLine;
    // any other kind an empty QVariant.
    QVariant value(qint16 kind, qint32 index = 0) const;
    // The last han class (-1 without any) and each class's text.
    qint16 yakuLast() const { return m_yakuLast; }
    QString yakuString(qint32 index) const { return value(1, index).toString(); }
    const QString &startLine() const { return m_startLine; }
    const QString &finishLine() const { return m_finishLine; }
    const QString &rLine() const { return m_rLine; }

    // The table kinds of group 1 or 2 that the user chooses from (TableInfo1,
    // TableInfo2), and the texts that recognise them in a game header
    // (TableString1, TableString2). Group 0 is always empty; another group
    // raises SubscriptOutOfRange.
    const TableList &choices(int group) const;
    const TableList &recognition(int group) const;

private:
    void readLines(LineReader &reader);
    void readLine(QStringView line);

    std::array<TableList, 3> m_choices;
    std::array<TableList, 3> m_recognition;
    std::array<QString, 9> m_yakuStrings;
    qint16 m_yakuLast = -1;
    QString m_startLine;
    QString m_finishLine;
    QString m_rLine;
};

} // namespace norva
