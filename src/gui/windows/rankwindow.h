#pragma once

#include "gui/widgets/childwindow.h"

#include <QPointer>

#include <array>

class QLabel;

namespace norva {

class CalcResults;

// The rank and score record of the last calculation.
class RankWindow final : public ChildWindow
{
public:
    // The window opens in area and shows results; they outlive it.
    RankWindow(QMdiArea *area, const CalcResults &results);

    // Shows the current results: games, scores, average rank and, per final
    // rank, its count, share and longest run. Without games every value is
    // empty and the rank titles read "１位" to "４位". Does nothing while the
    // window is closed. An error of the result accessor passes to the caller.
    void refresh() override;

protected:
    void onLoad() override;

private:
    const CalcResults &m_results;

    QPointer<QLabel> m_games, m_scoreTotal, m_averageRank;
    QPointer<QLabel> m_highScore, m_lowScore, m_averageScore;
    std::array<QPointer<QLabel>, 4> m_rankTitles, m_rankCounts, m_rankRuns;
};

} // namespace norva
