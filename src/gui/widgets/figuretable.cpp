#include "gui/widgets/figuretable.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>

#include <algorithm>

namespace norva {

FigureTableModel::FigureTableModel(QStringList headers, QObject *parent)
    : QAbstractTableModel(parent)
    , m_headers(std::move(headers))
{}

void FigureTableModel::setRows(QList<QList<FigureCell>> rows)
{
    beginResetModel();
    m_rows = std::move(rows);
    endResetModel();
}

int FigureTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int FigureTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_headers.size());
}

QVariant FigureTableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size())
        return {};
    const QList<FigureCell> &row = m_rows[index.row()];
    const FigureCell cell = row.value(index.column());
    switch (role) {
    case Qt::DisplayRole:
        return cell.text;
    case SortRole:
        return cell.sortKey.isValid() ? cell.sortKey : QVariant(cell.text);
    case Qt::AccessibleTextRole:
        if (index.column() == 0)
            return QString(m_headers.value(0) + QStringLiteral(": ") + cell.text);
        return QString(row.value(0).text + u' ' + m_headers.value(index.column())
                       + QStringLiteral(": ") + cell.text);
    case Qt::TextAlignmentRole:
        if (index.column() > 0 && cell.sortKey.isValid())
            return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
        return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
    default:
        return {};
    }
}

QVariant FigureTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal
        && (role == Qt::DisplayRole || role == Qt::AccessibleTextRole))
        return m_headers.value(section);
    if (orientation == Qt::Vertical && role == Qt::DisplayRole)
        return section + 1;
    return {};
}

FigureTableView::FigureTableView(QWidget *parent)
    : QTableView(parent)
{
    setSortingEnabled(true);
    setSelectionBehavior(SelectRows);
    setAlternatingRowColors(true);
    setEditTriggers(NoEditTriggers);
    setWordWrap(false);
    verticalHeader()->hide();
    horizontalHeader()->setStretchLastSection(true);
    horizontalHeader()->setSortIndicatorShown(true);
    // Unsorted until the user asks: the rows come in their own order.
    horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
}

QString FigureTableView::copyText() const
{
    const QAbstractItemModel *m = model();
    if (!m)
        return {};
    // The selected rows, in the order shown; all of them without a selection.
    QList<int> rows;
    if (const QItemSelectionModel *s = selectionModel())
        for (const QModelIndex &i : s->selectedIndexes())
            rows << i.row();
    if (rows.isEmpty())
        for (int r = 0; r < m->rowCount(); ++r)
            rows << r;
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    auto clean = [](QString text) {
        return text.replace(u'\t', u' ').replace(u'\n', u' ').replace(u'\r', u' ');
    };
    QStringList lines;
    QStringList header;
    for (int c = 0; c < m->columnCount(); ++c)
        header << clean(m->headerData(c, Qt::Horizontal).toString());
    lines << header.join(u'\t');
    for (const int r : std::as_const(rows)) {
        QStringList cells;
        for (int c = 0; c < m->columnCount(); ++c)
            cells << clean(m->index(r, c).data().toString());
        lines << cells.join(u'\t');
    }
    return lines.join(u'\n') + u'\n';
}

void FigureTableView::copy() const
{
    QApplication::clipboard()->setText(copyText());
}

void FigureTableView::keyPressEvent(QKeyEvent *event)
{
    if (event->matches(QKeySequence::Copy)) {
        copy();
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}

void FigureTableView::contextMenuEvent(QContextMenuEvent *event)
{
    // Shown without a loop of its own: the window may close while it is open,
    // and the menu goes with the view.
    auto *menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    QAction *copyAction = menu->addAction(QStringLiteral("コピー(&C)"));
    copyAction->setShortcut(QKeySequence::Copy);
    connect(copyAction, &QAction::triggered, this, [this] { copy(); });
    QAction *all = menu->addAction(QStringLiteral("すべて選択(&A)"));
    all->setShortcut(QKeySequence::SelectAll);
    connect(all, &QAction::triggered, this, &QTableView::selectAll);
    menu->popup(event->globalPos());
}

} // namespace norva
