#include "core/calc/extrafigures.h"

#include "core/tables/tableinfo.h"

#include <algorithm>
#include <cmath>

namespace norva {

QList<OpponentTally> ExtraFigures::opponents() const
{
    QList<OpponentTally> out;
    out.reserve(m_opponents.size());
    for (auto it = m_opponents.cbegin(); it != m_opponents.cend(); ++it)
        out.append({it.key(), it.value()});
    std::sort(out.begin(), out.end(), [](const OpponentTally &a, const OpponentTally &b) {
        if (a.tally.games != b.tally.games)
            return a.tally.games > b.tally.games;
        return a.name < b.name; // UTF-16 order: the code points' for the plane's characters
    });
    return out;
}

QList<TableKindTally> ExtraFigures::tableKinds(const TableInfo &tables) const
{
    QList<TableKindTally> out;
    for (int group = 1; group <= 2; ++group) {
        for (const TableEntry &e : tables.recognition(group)) {
            const qsizetype i = out.size();
            out.append({group, e.tableId(), e.tableString(), m_tableKinds.value(i)});
        }
    }
    return out;
}

void ExtraFigures::addWin(qint32 change)
{
    ++m_wins;
    m_winPoints += change;
}

void ExtraFigures::addDealIn(qint32 change)
{
    ++m_dealIns;
    m_dealInPoints -= change;
}

void ExtraFigures::addTsumoLoss(qint32 change)
{
    ++m_tsumoLosses;
    m_tsumoLossPoints -= change;
}

void ExtraFigures::addGame(qint16 rank, qint16 score, const QStringList &opponents,
                           const QList<qint32> &kinds)
{
    auto add = [&](GameTally &t) {
        ++t.games;
        t.rankTotal += rank;
        t.scoreTotal += score;
    };
    for (const QString &name : opponents)
        add(m_opponents[name]);
    for (const qint32 i : kinds) {
        if (m_tableKinds.size() <= i)
            m_tableKinds.resize(i + 1);
        add(m_tableKinds[i]);
    }
}

std::optional<Interval> wilsonInterval(qint64 k, qint64 n)
{
    if (n <= 0)
        return std::nullopt;
    const double nn = double(n);
    const double p = double(k) / nn;
    const double z2 = Z95 * Z95;
    const double centre = (p + z2 / (2 * nn)) / (1 + z2 / nn);
    const double half = Z95 / (1 + z2 / nn) * std::sqrt(p * (1 - p) / nn + z2 / (4 * nn * nn));
    return Interval{std::max(0.0, centre - half), std::min(1.0, centre + half)};
}

std::optional<MeanEstimate> meanEstimate(qint64 n, double sum, double sumOfSquares)
{
    if (n <= 0)
        return std::nullopt;
    const double nn = double(n);
    MeanEstimate m;
    m.mean = sum / nn;
    if (n >= 2) {
        // Rounding can leave a tiny negative variance where all values agree.
        const double variance = std::max(0.0, (sumOfSquares - sum * m.mean) / (nn - 1));
        const double half = Z95 * std::sqrt(variance / nn);
        m.interval = Interval{m.mean - half, m.mean + half};
    }
    return m;
}

} // namespace norva
