#pragma once

#include "gui/widgets/childwindow.h"

#include <QPointer>

#include <array>

class QLabel;

namespace norva {

class CalcResults;

// How the hands of the counted games ended, seen from the user.
class StageWindow final : public ChildWindow
{
public:
    // The window opens in area and shows results; they outlive it.
    StageWindow(QMdiArea *area, const CalcResults &results);

    // Shows the current results: the number of hands and, for the user's own
    // wins and chombos, the others' and the draws, each count with its share
    // of all hands. Without hands the values are empty and the titles plain.
    // Does nothing while the window is closed. An error of the result accessor
    // passes to the caller.
    void refresh() override;

protected:
    void onLoad() override;

private:
    const CalcResults &m_results;

    QPointer<QLabel> m_hands;
    // The nine cells in the order they are always written.
    std::array<QPointer<QLabel>, 9> m_values, m_titles;
};

} // namespace norva
