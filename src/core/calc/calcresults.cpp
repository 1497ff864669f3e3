#include "core/calc/calcresults.h"
#include "core/calc/calcresults_p.h"

#include "core/common/convert.h"
#include "core/settings/settings.h"
#include "core/tables/tableinfo.h"

#include <QList>

#include <array>
#include <limits>

namespace norva {

namespace {

// The series grow by this many elements at a time.
constexpr qint16 SeriesStep = 100;

// The user's whole record, written by the score log pass only.
struct Accumulators
{
    qint32 gameCount = 0;
    qint32 scoreTotal = 0;
    qint32 scoreMax = -99999;
    qint32 scoreMin = 99999;
    std::array<qint32, 5> rankCount{};
    std::array<qint16, 5> rankRunMax{};
    qint32 rankTotal = 0;
    // HandCount (7) through WinHanCount (17), indexed by kind - 7.
    std::array<qint32, 11> counters{};
    std::array<qint32, 9> winByHan{};
    // The four series share one capacity (highest valid index); empty when
    // no game has been recorded since the last reset.
    qint16 capacity = 0;
    QList<qint16> scoreSeries;
    QList<qint16> rankSeries;
    QList<qint16> ratingSeries;
    QList<qint16> scoreSumSeries;
    qint32 ratingMax = -99999;
    qint32 ratingMin = 99999;
    qint32 scoreSumMax = -99999;
    qint32 scoreSumMin = 99999;

    // The runs of the pass: the previous counted rank (-1 before the first
    // game) and per rank the length of the current run minus one.
    qint16 previousRank = -1;
    std::array<qint16, 5> runLength{};
};

Accumulators &acc()
{
    static Accumulators a;
    return a;
}

CalcValue int32Value(qint32 v)
{
    return CalcValue{CalcValue::Type::Int32, v};
}

CalcValue int16Value(qint16 v)
{
    return CalcValue{CalcValue::Type::Int16, v};
}

qint16 seriesAt(const QList<qint16> &series, qint32 index)
{
    if (series.isEmpty() || index < 0 || index >= series.size())
        raise(ErrorKind::SubscriptOutOfRange);
    return series[index];
}

// Closes the run of rank p when it is longer than the longest one so far.
void closeRun(Accumulators &a, qint16 p)
{
    const size_t i = size_t(p - 1);
    const qint16 length = add16(a.runLength[i], 1);
    if (a.rankRunMax[i] < length)
        a.rankRunMax[i] = length;
}

} // namespace

QString calcKindName(qint16 kind)
{
    static const char16_t *const names[] = {
        u"GameCount",   u"ScoreTotal",   u"ScoreMax",    u"ScoreMin",    u"RankCount",
        u"RankRunMax",  u"RankTotal",    u"HandCount",   u"OwnTsumo",    u"OwnRon",
        u"OwnChombo",   u"OtherTsumo",   u"OtherRon",    u"OtherChombo", u"DrawPlus",
        u"DrawMinus",   u"OtherResult",  u"WinHanCount", u"WinByHan",    u"ScoreSeries",
        u"RankSeries",  u"RatingSeries", u"RatingMax",   u"RatingMin",   u"ScoreSumSeries",
        u"ScoreSumMax", u"ScoreSumMin",
    };
    if (kind < 0 || kind > 26)
        return {};
    return QString::fromUtf16(names[kind]);
}

void ClearCalcValues()
{
    Accumulators &a = acc();
    a.scoreMax = -99999;
    a.gameCount = 0;
    a.scoreTotal = 0;
    a.scoreMin = 99999;
    a.rankCount.fill(0);
    a.rankRunMax.fill(0);
    a.rankTotal = 0;
    a.counters.fill(0);
    // Only the slots up to YakuLast can be written, but a test may have read
    // other table definitions before: clear all nine.
    a.winByHan.fill(0);
    a.capacity = 0;
    a.scoreSeries = {};
    a.rankSeries = {};
    a.scoreSumSeries = {};
    a.ratingSeries = {};
    a.ratingMax = -99999;
    a.ratingMin = 99999;
    a.scoreSumMax = -99999;
    a.scoreSumMin = 99999;
    a.previousRank = -1;
    a.runLength.fill(0);
}

CalcValue GetCalcValue(qint16 kind, qint32 index)
{
    const Accumulators &a = acc();
    auto checked = [&](qint32 last) {
        if (index < 0 || index > last)
            raise(ErrorKind::SubscriptOutOfRange);
        return size_t(index);
    };
    switch (kind) {
    case 0:
        return int32Value(a.gameCount);
    case 1:
        return int32Value(a.scoreTotal);
    case 2:
        return int32Value(a.scoreMax);
    case 3:
        return int32Value(a.scoreMin);
    case 4:
        return int32Value(a.rankCount[checked(4)]);
    case 5:
        return int16Value(a.rankRunMax[checked(4)]);
    case 6:
        return int32Value(a.rankTotal);
    case 7:
    case 8:
    case 9:
    case 10:
    case 11:
    case 12:
    case 13:
    case 14:
    case 15:
    case 16:
    case 17:
        return int32Value(a.counters[size_t(kind - 7)]);
    case 18:
        return int32Value(a.winByHan[checked(8)]);
    case 19:
        return int16Value(seriesAt(a.scoreSeries, index));
    case 20:
        return int16Value(seriesAt(a.rankSeries, index));
    case 21:
        return int16Value(seriesAt(a.ratingSeries, index));
    case 22:
        return int32Value(a.ratingMax);
    case 23:
        return int32Value(a.ratingMin);
    case 24:
        return int16Value(seriesAt(a.scoreSumSeries, index));
    case 25:
        return int32Value(a.scoreSumMax);
    case 26:
        return int32Value(a.scoreSumMin);
    default:
        return {};
    }
}

void RecordGame(qint16 rank, qint16 score, qint32 rating)
{
    Accumulators &a = acc();
    // 1. 2.
    a.gameCount = add32(a.gameCount, 1);
    const qint32 n = a.gameCount;
    a.rankTotal = add32(a.rankTotal, rank);
    // 3.
    if (rank < 1 || rank > 5)
        raise(ErrorKind::SubscriptOutOfRange);
    a.rankCount[size_t(rank - 1)] = add32(a.rankCount[size_t(rank - 1)], 1);
    // 4.
    a.scoreTotal = add32(a.scoreTotal, score);
    if (score > a.scoreMax)
        a.scoreMax = score;
    if (score < a.scoreMin)
        a.scoreMin = score;
    // 5. The series grow by a hundred elements at a time; the capacity is a
    // 16-bit value, so game 32,701 overflows.
    if (a.capacity < n) {
        a.capacity = add16(a.capacity, SeriesStep);
        const qsizetype size = qsizetype(a.capacity) + 1;
        a.scoreSeries.resize(size);
        a.rankSeries.resize(size);
        a.scoreSumSeries.resize(size);
        a.ratingSeries.resize(size);
    }
    const qsizetype i = n - 1;
    // 6.
    a.scoreSeries[i] = score;
    a.rankSeries[i] = rank;
    // 7. 8.
    const qint16 sum = n == 1 ? score : add16(a.scoreSumSeries[i - 1], score);
    a.scoreSumSeries[i] = sum;
    if (sum > a.scoreSumMax)
        a.scoreSumMax = sum;
    if (sum < a.scoreSumMin)
        a.scoreSumMin = sum;
    // 9. 10.
    const qint16 r16 = toInt16(rating);
    a.ratingSeries[i] = r16;
    if (r16 > a.ratingMax)
        a.ratingMax = r16;
    if (r16 < a.ratingMin)
        a.ratingMin = r16;
    // 11. Runs.
    const qint16 p = a.previousRank;
    if (p == rank) {
        a.runLength[size_t(rank - 1)] = add16(a.runLength[size_t(rank - 1)], 1);
    } else if (p != -1) {
        closeRun(a, p);
        a.runLength[size_t(p - 1)] = 0;
    }
    a.previousRank = rank;
}

void CloseRankRuns()
{
    Accumulators &a = acc();
    if (a.previousRank > 0)
        closeRun(a, a.previousRank);
}

void detail::addToCounter(qint16 kind)
{
    Q_ASSERT(kind >= 7 && kind <= 17);
    qint32 &c = acc().counters[size_t(kind - 7)];
    c = add32(c, 1);
}

void detail::addWinByHan(qint32 index)
{
    Q_ASSERT(index >= 0 && index <= 8);
    qint32 &c = acc().winByHan[size_t(index)];
    c = add32(c, 1);
    addToCounter(17);
}

qint32 CountScoreFileLines(const CancelFlag *cancel)
{
    try {
        const qint64 n = countLines(GetParamValue(QStringLiteral("ScoreFile")).toString(), cancel);
        if (n > std::numeric_limits<qint32>::max())
            return 0;
        return qint32(n);
    } catch (const Error &) {
        return 0;
    }
}

} // namespace norva
