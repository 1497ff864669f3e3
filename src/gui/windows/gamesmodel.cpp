#include "gui/windows/gamesmodel.h"

#include "core/calc/calcresults.h"
#include "core/calc/gamescsv.h"
#include "core/common/datetime.h"

#include <limits>

namespace norva {

namespace {

constexpr qint64 NoStart = std::numeric_limits<qint64>::min();

qint64 minutesOf(QDate date, int hour, int minute)
{
    static const qint64 base = QDate(2000, 1, 1).toJulianDay();
    return (date.toJulianDay() - base) * 1440 + hour * 60 + minute;
}

// The start as the client writes it, "yyyy/mm/dd hh:mm", read directly; any
// other form through the lenient reader.
qint64 startKeyOf(const QString &text)
{
    auto digits = [&](qsizetype at, qsizetype n) {
        int v = 0;
        for (qsizetype i = at; i < at + n; ++i) {
            const char16_t c = text[i].unicode();
            if (c < u'0' || c > u'9')
                return -1;
            v = v * 10 + (c - u'0');
        }
        return v;
    };
    if (text.size() == 16 && text[4] == u'/' && text[7] == u'/' && text[10] == u' '
        && text[13] == u':') {
        const QDate d(digits(0, 4), digits(5, 2), digits(8, 2));
        const int h = digits(11, 2), m = digits(14, 2);
        if (d.isValid() && h >= 0 && h < 24 && m >= 0 && m < 60)
            return minutesOf(d, h, m);
    }
    if (text.isEmpty())
        return NoStart;
    const std::optional<QDateTime> dt = parseDateTime(text);
    if (!dt)
        return NoStart;
    return minutesOf(dt->date(), dt->time().hour(), dt->time().minute());
}

} // namespace

GamesModel::GamesModel(const CalcResults &results, QObject *parent)
    : QAbstractTableModel(parent)
    , m_results(results)
{
    refresh();
}

const GameList &GamesModel::games() const
{
    return m_results.games();
}

void GamesModel::refresh()
{
    beginResetModel();
    const GameList &list = games();
    m_startKeys.resize(list.size());
    for (qsizetype i = 0; i < list.size(); ++i)
        m_startKeys[i] = startKeyOf(list.startText(i));
    endResetModel();
}

std::optional<qint64> GamesModel::startKey(int row) const
{
    const qint64 key = m_startKeys.value(row, NoStart);
    if (key == NoStart)
        return std::nullopt;
    return key;
}

qint64 GamesModel::number(int row, int column) const
{
    const GameList::Game &g = games().at(row);
    switch (column) {
    case Start:
        return m_startKeys.at(row);
    case Rank:
        return g.rank;
    case Score:
        return g.score;
    case Rating:
        return g.rating;
    case Hands:
        return g.hands;
    case Wins:
        return g.wins;
    case DealIns:
        return g.dealIns;
    default:
        return 0;
    }
}

int GamesModel::rowCount(const QModelIndex &parent) const
{
    // The view's rows are ints; a list beyond them shows its first rows.
    return parent.isValid() ? 0 : int(qMin<qsizetype>(m_startKeys.size(), INT_MAX));
}

int GamesModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QString GamesModel::text(int row, int column) const
{
    switch (column) {
    case Start:
        return games().startText(row);
    case Table:
        return games().tableText(row);
    default:
        return QString::number(number(row, column));
    }
}

QVariant GamesModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= ColumnCount)
        return {};
    const int row = index.row(), column = index.column();
    switch (role) {
    case Qt::DisplayRole:
        return text(row, column);
    case Qt::AccessibleTextRole:
        // A screen reader names the column with each cell it reads.
        return QString(csv::gameColumns().at(column) + u' ' + text(row, column));
    case Qt::TextAlignmentRole:
        return column == Start || column == Table ? QVariant(Qt::AlignLeft | Qt::AlignVCenter)
                                                  : QVariant(Qt::AlignRight | Qt::AlignVCenter);
    case SortRole:
        return column == Table ? QVariant(text(row, column)) : QVariant(number(row, column));
    default:
        return {};
    }
}

QVariant GamesModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && section >= 0 && section < ColumnCount
        && (role == Qt::DisplayRole || role == Qt::AccessibleTextRole))
        return csv::gameColumns().at(section);
    if (orientation == Qt::Vertical && role == Qt::DisplayRole)
        return section + 1;
    return {};
}

GamesFilter::GamesFilter(GamesModel &model, QObject *parent)
    : QSortFilterProxyModel(parent)
    , m_model(model)
{
    setSourceModel(&model);
    setSortRole(GamesModel::SortRole);
    // A new list has other tables: matched before the rows are filtered.
    connect(&model, &QAbstractItemModel::modelAboutToBeReset, this,
            [this] { m_tableMatches = {}; });
}

void GamesFilter::matchTables() const
{
    const QStringList &tables = m_model.games().tables();
    m_tableMatches.resize(tables.size());
    for (qsizetype i = 0; i < tables.size(); ++i)
        m_tableMatches[i] = tables[i].contains(m_text, Qt::CaseInsensitive);
}

void GamesFilter::setTableText(const QString &text)
{
    if (text == m_text)
        return;
    m_text = text;
    matchTables();
    // Mapped anew at once: a table text leaves many short runs of rows, each
    // of which the proxy would report on its own.
    invalidate();
}

void GamesFilter::setDateRange(QDate first, QDate last)
{
    std::optional<qint64> from, to;
    if (first.isValid())
        from = minutesOf(first, 0, 0);
    if (last.isValid())
        to = minutesOf(last, 23, 59);
    if (from == m_from && to == m_to)
        return;
    m_from = from;
    m_to = to;
    // Mapped anew at once: a table text leaves many short runs of rows, each
    // of which the proxy would report on its own.
    invalidate();
}

GamesFilter::Totals GamesFilter::totals() const
{
    Totals t;
    const GameList &games = m_model.games();
    for (int r = 0; r < rowCount(); ++r) {
        const GameList::Game &g = games.at(mapToSource(index(r, 0)).row());
        ++t.games;
        t.rankTotal += g.rank;
        t.scoreTotal += g.score;
    }
    return t;
}

bool GamesFilter::filterAcceptsRow(int sourceRow, const QModelIndex &) const
{
    if (!m_text.isEmpty()) {
        if (m_tableMatches.size() != m_model.games().tables().size())
            matchTables();
        if (!m_tableMatches.at(m_model.games().at(sourceRow).table))
            return false;
    }
    if (!m_from && !m_to)
        return true;
    const std::optional<qint64> key = m_model.startKey(sourceRow);
    return key && (!m_from || *key >= *m_from) && (!m_to || *key <= *m_to);
}

bool GamesFilter::lessThan(const QModelIndex &left, const QModelIndex &right) const
{
    const int column = left.column();
    if (column == GamesModel::Table)
        return m_model.games().tableText(left.row()) < m_model.games().tableText(right.row());
    if (column == GamesModel::Start) {
        // Starts that cannot be read come first, in the order of their texts.
        const std::optional<qint64> a = m_model.startKey(left.row());
        const std::optional<qint64> b = m_model.startKey(right.row());
        if (a && b)
            return *a < *b;
        if (a || b)
            return !a;
        return m_model.games().startText(left.row()) < m_model.games().startText(right.row());
    }
    return m_model.number(left.row(), column) < m_model.number(right.row(), column);
}

} // namespace norva
