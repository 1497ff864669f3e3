#pragma once

#include "core/common/error.h"
#include "core/graph/graphsource.h"

#include <QList>
#include <QMap>
#include <QStringList>

#include <algorithm>
#include <functional>

namespace testutil {

// Results and han classes for the graphs, without a calculation. An index
// outside what was set raises SubscriptOutOfRange as the calculation module does.
class FakeGraphSource final : public norva::GraphSource
{
public:
    QMap<qint16, QList<qint32>> values; // kind -> value(s)
    QStringList yaku;                   // the han classes; YakuLast = size - 1
    // Called with each result read, before it is given.
    std::function<void(qint16 kind, qint32 index)> onRead;

    // Per-game series and their extremes from the games' scores, ranks and ratings.
    void setGames(const QList<qint32> &scores, const QList<qint32> &ranks = {},
                  const QList<qint32> &ratings = {})
    {
        const qsizetype n = scores.size();
        QList<qint32> sums;
        qint32 sum = 0;
        for (qint32 s : scores)
            sums.append(sum += s);
        const auto fill = [n](QList<qint32> l) {
            l.resize(n, 0);
            return l;
        };
        values[0] = {qint32(n)};
        setSeries(19, 2, 3, scores);
        values[20] = fill(ranks.isEmpty() ? QList<qint32>(n, 1) : ranks);
        setSeries(21, 22, 23, fill(ratings));
        setSeries(24, 25, 26, sums);
    }
    void setWins(const QStringList &classes, const QList<qint32> &wins)
    {
        yaku = classes;
        values[18] = wins;
        values[18].resize(9, 0);
    }

    norva::CalcValue calcValue(qint16 kind, qint32 index) const override
    {
        static const QList<qint16> indexed = {4, 5, 18, 19, 20, 21, 24};
        if (onRead)
            onRead(kind, index);
        const QList<qint32> v = values.value(kind, {0});
        if (!indexed.contains(kind))
            index = 0;
        if (index < 0 || index >= v.size())
            norva::raise(norva::ErrorKind::SubscriptOutOfRange);
        return {norva::CalcValue::Type::Int32, v[index]};
    }
    QVariant tableInfoValue(qint16 kind, qint32 index) const override
    {
        if (kind == 0)
            return QVariant::fromValue(qint16(yaku.size() - 1));
        if (index < 0 || index >= yaku.size())
            norva::raise(norva::ErrorKind::SubscriptOutOfRange);
        return yaku[index];
    }

private:
    void setSeries(qint16 kind, qint16 maxKind, qint16 minKind, const QList<qint32> &series)
    {
        values[kind] = series;
        values[maxKind] = {series.isEmpty() ? -99999
                                            : *std::max_element(series.begin(), series.end())};
        values[minKind] = {series.isEmpty() ? 99999
                                            : *std::min_element(series.begin(), series.end())};
    }
};

} // namespace testutil
