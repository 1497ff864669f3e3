#include "gui/windows/rankwindow.h"

#include "gui/widgets/resulttext.h"

#include "core/calc/calcresults.h"
#include "gui/widgets/fixedlayout.h"

#include <QLabel>

namespace norva {

RankWindow::RankWindow(QMdiArea *area, const CalcResults &results)
    : ChildWindow(area, QStringLiteral("frmRank"), QStringLiteral("順位"))
    , m_results(results)
{}

void RankWindow::onLoad()
{
    QWidget *f = client();
    f->setFont(formFont());
    using enum LabelStyle;
    addLabel(f, QStringLiteral("lblAllNumTitle"), -1, Title, QStringLiteral("試合数"), 240, 120,
             615);
    addLabel(f, QStringLiteral("lblScoreTitle"), -1, Title, QStringLiteral("総合得点"), 1440, 120,
             735);
    addLabel(f, QStringLiteral("lblAveTitle"), -1, Title, QStringLiteral("平均順位"), 2520, 120,
             735);
    m_games = addLabel(f, QStringLiteral("lblAllNum"), -1, Value, {}, 240, 360, 975);
    m_scoreTotal = addLabel(f, QStringLiteral("lblScore"), -1, Value, {}, 1440, 360, 975);
    m_averageRank = addLabel(f, QStringLiteral("lblRankAve"), -1, Value, {}, 2520, 360, 975);
    addLabel(f, QStringLiteral("lblHighScoreTitle"), -1, Title, QStringLiteral("最高得点"), 1440,
             720, 735);
    addLabel(f, QStringLiteral("lblLowScoreTitle"), -1, Title, QStringLiteral("最低得点"), 2520,
             720, 735);
    addLabel(f, QStringLiteral("lblScoreAveTitle"), -1, Title, QStringLiteral("平均得点"), 3600,
             720, 735);
    m_highScore = addLabel(f, QStringLiteral("lblHighScore"), -1, Value, {}, 1440, 960, 975);
    m_lowScore = addLabel(f, QStringLiteral("lblLowScore"), -1, Value, {}, 2520, 960, 975);
    m_averageScore = addLabel(f, QStringLiteral("lblScoreAve"), -1, Value, {}, 3600, 960, 975);
    setValueCaption(m_games, QStringLiteral("試合数"));
    setValueCaption(m_scoreTotal, QStringLiteral("総合得点"));
    setValueCaption(m_averageRank, QStringLiteral("平均順位"));
    setValueCaption(m_highScore, QStringLiteral("最高得点"));
    setValueCaption(m_lowScore, QStringLiteral("最低得点"));
    setValueCaption(m_averageScore, QStringLiteral("平均得点"));

    addLabel(f, QStringLiteral("lblRankNumTitle"), -1, Title, QStringLiteral("回　数"), 240, 1800,
             615);
    addLabel(f, QStringLiteral("lblRankContTitle"), -1, Title, QStringLiteral("連続数"), 240, 2160,
             615);
    for (int i = 0; i < 4; ++i) {
        const int left = 840 + 960 * i;
        m_rankTitles[i] = addLabel(f, QStringLiteral("lblRankTitle"), i, Title,
                                   fullWidthDigit(i + 1) + u'位', left, 1560, 975);
        m_rankCounts[i] = addLabel(f, QStringLiteral("lblRankNum"), i, Value, {}, left, 1800, 855);
        m_rankRuns[i] = addLabel(f, QStringLiteral("lblRankCont"), i, Value, {}, left, 2160, 855);
        setValueCaption(m_rankCounts[i], fullWidthDigit(i + 1) + QStringLiteral("位 回数"));
        setValueCaption(m_rankRuns[i], fullWidthDigit(i + 1) + QStringLiteral("位 連続"));
    }

    setOuterSize(4950, 3060);
    refresh();
}

void RankWindow::refresh()
{
    if (!client())
        return;
    const qint32 games = m_results.gameCount();
    if (games > 0) {
        const double n = games;
        const qint32 total = m_results.scoreTotal();
        setValueText(m_games, QString::number(games));
        setValueText(m_scoreTotal, QString::number(total));
        setValueText(m_highScore, QString::number(m_results.scoreMax()));
        setValueText(m_lowScore, QString::number(m_results.scoreMin()));
        setValueText(m_averageRank, formatAverage(m_results.rankTotal() / n));
        setValueText(m_averageScore, formatAverage(total / n));
    } else {
        for (QLabel *l : {m_games.data(), m_scoreTotal.data(), m_highScore.data(),
                          m_lowScore.data(), m_averageRank.data(), m_averageScore.data()})
            setValueText(l, {});
    }

    for (int i = 0; i < 4; ++i) {
        const QString rank = fullWidthDigit(i + 1) + u'位';
        const qint32 n = m_results.gameCount();
        if (n > 0) {
            const qint32 count = m_results.rankCount(i);
            setTitleText(m_rankTitles[i], rank + u'(' + sharePercent(count, n) + u"%)");
            setValueText(m_rankCounts[i], QString::number(count));
            setValueText(m_rankRuns[i], QString::number(m_results.rankRunMax(i)));
        } else {
            setTitleText(m_rankTitles[i], rank);
            setValueText(m_rankCounts[i], {});
            setValueText(m_rankRuns[i], {});
        }
    }
}

} // namespace norva
