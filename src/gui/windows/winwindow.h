#pragma once

#include "gui/widgets/childwindow.h"

#include <QPointer>

#include <array>

class QLabel;

namespace norva {

class CalcResults;
class TableInfo;

// The user's own wins by han class.
class WinWindow final : public ChildWindow
{
public:
    // The window opens in area and shows results with the han classes of tables; both outlive it.
    WinWindow(QMdiArea *area, const CalcResults &results, const TableInfo &tables);

    // Shows the number of classified wins and, for every han class of the
    // table definitions, its name with its share and its count (the bare name
    // and no count while nothing is classified). Cells beyond the defined
    // classes are left alone. Does nothing while the window is closed. An
    // error of the result accessor passes to the caller.
    void refresh() override;

protected:
    void onLoad() override;

private:
    const CalcResults &m_results;
    const TableInfo &m_tables;

    QPointer<QLabel> m_wins;
    std::array<QPointer<QLabel>, 9> m_classTitles, m_classCounts;
};

} // namespace norva
