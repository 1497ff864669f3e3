#include "core/graph/graphtext.h"

#include "core/common/convert.h"

#include <QStringList>

namespace norva {

namespace {

using namespace calc; // the result kinds

QString extremes(const QString &name, qint32 high, qint32 low, const QString &unit = {})
{
    return QStringLiteral("%1 最高 %2%4 最低 %3%4")
        .arg(name, QString::number(high), QString::number(low), unit);
}

} // namespace

QString describeGraph(const GraphState &state, const GraphSource &source)
{
    const auto value = [&](qint16 kind, qint32 index = 0) {
        return source.calcValue(kind, index).toInt();
    };
    const qint32 games = value(GameCount);
    if (games < 1)
        return QStringLiteral("グラフ： データがありません");
    const auto shown = [&](qint16 bit) {
        return (state.shownGraphs & bit) != 0;
    };
    QStringList parts;
    const bool perGame = games > 1;
    if (perGame && shown(GraphState::ScoreGraph))
        parts << extremes(QStringLiteral("得点"), value(ScoreMax), value(ScoreMin));
    if (perGame && shown(GraphState::RankGraph)) {
        qint32 best = value(RankSeries, 0);
        qint32 worst = best;
        for (qint32 i = 1; i < games; ++i) {
            best = qMin(best, value(RankSeries, i));
            worst = qMax(worst, value(RankSeries, i));
        }
        parts << extremes(QStringLiteral("順位"), best, worst, QStringLiteral("位"));
    }
    if (shown(GraphState::HanGraph)) {
        const qint16 last = variantToInt16(source.tableInfoValue(0));
        qint16 most = 0;
        qint16 fewest = 0;
        for (qint16 i = 1; i <= last; ++i) {
            if (value(WinByHan, i) > value(WinByHan, most))
                most = i;
            if (value(WinByHan, i) < value(WinByHan, fewest))
                fewest = i;
        }
        const auto han = [&](qint16 i) {
            return QStringLiteral("%1 %2回").arg(
                trimSpaces(source.tableInfoValue(1, i).toString()).toString(),
                QString::number(value(WinByHan, i)));
        };
        if (last >= 0)
            parts << QStringLiteral("翻別 最多 %1 最少 %2").arg(han(most), han(fewest));
    }
    if (perGame && shown(GraphState::RatingGraph))
        parts << extremes(QStringLiteral("Ｒ値"), value(RatingMax), value(RatingMin));
    if (perGame && shown(GraphState::TotalGraph))
        parts << extremes(QStringLiteral("合計"), value(ScoreSumMax), value(ScoreSumMin));
    if (parts.isEmpty())
        parts << QStringLiteral("表示しているグラフはありません");
    return QStringLiteral("グラフ（%1 試合）： ").arg(games) + parts.join(u'、');
}

} // namespace norva
