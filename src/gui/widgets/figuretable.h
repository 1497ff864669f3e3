#pragma once

#include <QAbstractTableModel>
#include <QList>
#include <QStringList>
#include <QTableView>
#include <QVariant>

namespace norva {

// One cell of a table of figures: the text shown, and what it sorts by (the
// number behind the text; the text when none is given).
struct FigureCell
{
    QString text;
    QVariant sortKey = {};
};

// A read-only table of figures whose first column names the row. A screen
// reader hears each cell with its row and column ("放銃率 値: 12.0%").
class FigureTableModel final : public QAbstractTableModel
{
    Q_OBJECT

public:
    // What a sorting proxy sorts by.
    static constexpr int SortRole = Qt::UserRole;

    explicit FigureTableModel(QStringList headers, QObject *parent = nullptr);

    // Every row anew; each as many cells as there are headers.
    void setRows(QList<QList<FigureCell>> rows);
    const QList<QList<FigureCell>> &rows() const { return m_rows; }

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    QStringList m_headers;
    QList<QList<FigureCell>> m_rows;
};

// A table view of figures: sortable by any column, rows selected whole, and
// the selection (or the whole table) copied as tab-separated lines with the
// headers, by Ctrl+C or the context menu, for a spreadsheet.
class FigureTableView final : public QTableView
{
    Q_OBJECT

public:
    explicit FigureTableView(QWidget *parent = nullptr);

    // The text Ctrl+C puts on the clipboard.
    QString copyText() const;
    void copy() const;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
};

} // namespace norva
