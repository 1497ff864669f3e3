#pragma once

#include <QAbstractTableModel>
#include <QDate>
#include <QList>
#include <QSortFilterProxyModel>

#include <optional>

namespace norva {

class CalcResults;
class GameList;

// The counted games of the results as a table, one row per game in the order
// of the log, the columns of the game list's CSV.
class GamesModel final : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column { Start, Table, Rank, Score, Rating, Hands, Wins, DealIns, ColumnCount };
    // The role that sorts: a number for every column but the table's text.
    static constexpr int SortRole = Qt::UserRole;

    // results outlives the model.
    explicit GamesModel(const CalcResults &results, QObject *parent = nullptr);

    // Shows the games of the results as they now stand.
    void refresh();

    const GameList &games() const;
    // The start of game row as minutes from 2000/1/1 (earlier ones negative),
    // or nothing when its start cannot be read as a date and time.
    std::optional<qint64> startKey(int row) const;
    // The number in a numeric column of game row.
    qint64 number(int row, int column) const;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    QString text(int row, int column) const;

    const CalcResults &m_results;
    // Read once per calculation: the starts as keys (NoStart where none).
    QList<qint64> m_startKeys;
};

// The games shown: those whose table holds a text and whose start lies in a
// range of days, sorted by any column (equal ones in the order of the log).
class GamesFilter final : public QSortFilterProxyModel
{
    Q_OBJECT

public:
    explicit GamesFilter(GamesModel &model, QObject *parent = nullptr);

    // Games whose table holds text (any case); empty shows all.
    void setTableText(const QString &text);
    // Games that start from the first day to the last (both included); games
    // whose start cannot be read are left out then. Invalid dates: no limit.
    void setDateRange(QDate first, QDate last);

    // What the rows shown add up to.
    struct Totals
    {
        qint64 games = 0;
        qint64 rankTotal = 0;
        qint64 scoreTotal = 0;
    };
    Totals totals() const;

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const override;
    bool lessThan(const QModelIndex &left, const QModelIndex &right) const override;

private:
    // Which of the games' tables hold the text: the few tables are searched,
    // not every game's.
    void matchTables() const;

    GamesModel &m_model;
    QString m_text;
    mutable QList<bool> m_tableMatches;
    std::optional<qint64> m_from, m_to;
};

} // namespace norva
