#include "core/calc/extrarates.h"

#include "core/calc/calcresults.h"

namespace norva {

namespace {

ExtraRate share(const char16_t *name, qint64 part, qint64 whole)
{
    ExtraRate r;
    r.name = QString::fromUtf16(name);
    r.part = part;
    r.whole = whole;
    if (whole > 0) {
        r.value = double(part) / double(whole);
        r.interval = wilsonInterval(part, whole);
    }
    return r;
}

ExtraRate average(ExtraRate::Kind kind, const char16_t *name, qint64 sum, qint64 count)
{
    ExtraRate r;
    r.name = QString::fromUtf16(name);
    r.kind = kind;
    r.part = sum;
    r.whole = count;
    if (count > 0)
        r.value = double(sum) / double(count);
    return r;
}

} // namespace

QList<ExtraRate> extraRates(const CalcResults &results)
{
    const ExtraFigures &x = results.extra();
    auto count = [&](calc::Kind kind, qint32 index = 0) {
        return qint64(results.value(kind, index).toInt());
    };
    const qint64 hands = count(calc::HandCount);
    const qint64 games = count(calc::GameCount);
    QList<ExtraRate> out{
        share(u"和了率", x.wins(), hands),
        share(u"放銃率", x.dealIns(), hands),
        share(u"被ツモ率", x.tsumoLosses(), hands),
        share(u"ツモ和了率", count(calc::OwnTsumo), x.wins()),
    };
    if (x.recordedHands() > 0) {
        out << share(u"立直率", x.riichiHands(), x.recordedHands())
            << share(u"副露率", x.callHands(), x.recordedHands());
    }
    out << share(u"トップ率", count(calc::RankCount, 0), games)
        << share(u"連対率", count(calc::RankCount, 0) + count(calc::RankCount, 1), games)
        << share(u"ラス回避率", games - count(calc::RankCount, 3), games);
    // The ranks' spread from their counts: the sum of their squares.
    using K = ExtraRate::Kind;
    ExtraRate rank = average(K::AverageRank, u"平均順位", count(calc::RankTotal), games);
    double squares = 0;
    for (qint32 i = 0; i < calc::RankSlots; ++i)
        squares += double(count(calc::RankCount, i)) * (i + 1) * (i + 1);
    if (const std::optional<MeanEstimate> m = meanEstimate(games, double(rank.part), squares))
        rank.interval = m->interval;
    out << rank << average(K::AveragePoints, u"平均和了点", x.winPoints(), x.wins())
        << average(K::AveragePoints, u"平均放銃点", x.dealInPoints(), x.dealIns());
    return out;
}

} // namespace norva
