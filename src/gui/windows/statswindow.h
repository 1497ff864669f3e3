#pragma once

#include "gui/widgets/childwindow.h"
#include "gui/widgets/figuretable.h"

#include <QPointer>

class QLabel;
class QLineEdit;
class QSortFilterProxyModel;

namespace norva {

class CalcResults;
class TableInfo;

// The detailed figures of the last calculation: rates and averages with their
// 95 % intervals, the opponents (the 20 met most, the others through a
// filter) and the table kinds.
class StatsWindow final : public ChildWindow
{
public:
    // How many opponents show while the filter is empty.
    static constexpr int TopOpponents = 20;

    // The window opens in area and shows results under the table kinds of
    // tables; both outlive it.
    StatsWindow(QMdiArea *area, const CalcResults &results, const TableInfo &tables);

    // Shows the current results. Does nothing while the window is closed.
    void refresh() override;

    // The tables' models (null while the window is closed).
    FigureTableModel *ratesModel() const { return m_rates; }
    FigureTableModel *opponentsModel() const { return m_opponents; }
    FigureTableModel *tableKindsModel() const { return m_tableKinds; }

protected:
    void onLoad() override;

private:
    void showOpponentCount();

    const CalcResults &m_results;
    const TableInfo &m_tables;
    QPointer<FigureTableModel> m_rates, m_opponents, m_tableKinds;
    QPointer<QSortFilterProxyModel> m_opponentFilter;
    QPointer<QLineEdit> m_filter;
    QPointer<QLabel> m_opponentCount;
};

} // namespace norva
