#include "core/calc/calcresults.h"

#include "core/common/convert.h"
#include "core/common/error.h"

#include <QList>

#include <array>
#include <limits>

namespace norva {

namespace {

// The series grow by this many elements at a time.
constexpr qint16 SeriesStep = 100;

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

void CalcResults::closeRun(qint16 p)
{
    // Closes the run of rank p when it is longer than the longest one so far.
    const size_t i = size_t(p - 1);
    const qint16 length = add16(m_runLength[i], 1);
    if (m_rankRunMax[i] < length)
        m_rankRunMax[i] = length;
}

void CalcResults::clear()
{
    m_scoreMax = -99999;
    m_gameCount = 0;
    m_scoreTotal = 0;
    m_scoreMin = 99999;
    m_rankCount.fill(0);
    m_rankRunMax.fill(0);
    m_rankTotal = 0;
    m_counters.fill(0);
    // Only the slots up to YakuLast can be written, but a test may have read
    // other table definitions before: clear all nine.
    m_winByHan.fill(0);
    m_capacity = 0;
    m_scoreSeries = {};
    m_rankSeries = {};
    m_scoreSumSeries = {};
    m_ratingSeries = {};
    m_ratingMax = -99999;
    m_ratingMin = 99999;
    m_games.clear();
    m_scoreSumMax = -99999;
    m_scoreSumMin = 99999;
    m_previousRank = -1;
    m_runLength.fill(0);
    m_extra = {};
}

size_t CalcResults::slot(qint32 index, qint32 count)
{
    if (index < 0 || index >= count)
        raise(ErrorKind::SubscriptOutOfRange);
    return size_t(index);
}

CalcValue CalcResults::value(qint16 kind, qint32 index) const
{
    switch (kind) {
    case 0:
        return int32Value(m_gameCount);
    case 1:
        return int32Value(m_scoreTotal);
    case 2:
        return int32Value(m_scoreMax);
    case 3:
        return int32Value(m_scoreMin);
    case 4:
        return int32Value(rankCount(index));
    case 5:
        return int16Value(rankRunMax(index));
    case 6:
        return int32Value(m_rankTotal);
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
        return int32Value(m_counters[size_t(kind - 7)]);
    case 18:
        return int32Value(winByHan(index));
    case 19:
        return int16Value(seriesAt(m_scoreSeries, index));
    case 20:
        return int16Value(seriesAt(m_rankSeries, index));
    case 21:
        return int16Value(seriesAt(m_ratingSeries, index));
    case 22:
        return int32Value(m_ratingMax);
    case 23:
        return int32Value(m_ratingMin);
    case 24:
        return int16Value(seriesAt(m_scoreSumSeries, index));
    case 25:
        return int32Value(m_scoreSumMax);
    case 26:
        return int32Value(m_scoreSumMin);
    default:
        return {};
    }
}

void CalcResults::recordGame(qint16 rank, qint16 score, qint32 rating)
{
    // 1. 2.
    m_gameCount = add32(m_gameCount, 1);
    const qint32 n = m_gameCount;
    m_rankTotal = add32(m_rankTotal, rank);
    // 3.
    if (rank < 1 || rank > 5)
        raise(ErrorKind::SubscriptOutOfRange);
    m_rankCount[size_t(rank - 1)] = add32(m_rankCount[size_t(rank - 1)], 1);
    // 4.
    m_scoreTotal = add32(m_scoreTotal, score);
    if (score > m_scoreMax)
        m_scoreMax = score;
    if (score < m_scoreMin)
        m_scoreMin = score;
    // 5. The series grow by a hundred elements at a time; the capacity is a
    // 16-bit value, so game 32,701 overflows.
    if (m_capacity < n) {
        m_capacity = add16(m_capacity, SeriesStep);
        const qsizetype size = qsizetype(m_capacity) + 1;
        m_scoreSeries.resize(size);
        m_rankSeries.resize(size);
        m_scoreSumSeries.resize(size);
        m_ratingSeries.resize(size);
    }
    const qsizetype i = n - 1;
    // 6.
    m_scoreSeries[i] = score;
    m_rankSeries[i] = rank;
    // 7. 8.
    const qint16 sum = n == 1 ? score : add16(m_scoreSumSeries[i - 1], score);
    m_scoreSumSeries[i] = sum;
    if (sum > m_scoreSumMax)
        m_scoreSumMax = sum;
    if (sum < m_scoreSumMin)
        m_scoreSumMin = sum;
    // 9. 10.
    const qint16 r16 = toInt16(rating);
    m_ratingSeries[i] = r16;
    if (r16 > m_ratingMax)
        m_ratingMax = r16;
    if (r16 < m_ratingMin)
        m_ratingMin = r16;
    // 11. Runs.
    const qint16 p = m_previousRank;
    if (p == rank) {
        m_runLength[size_t(rank - 1)] = add16(m_runLength[size_t(rank - 1)], 1);
    } else if (p != -1) {
        closeRun(p);
        m_runLength[size_t(p - 1)] = 0;
    }
    m_previousRank = rank;
}

void CalcResults::closeRankRuns()
{
    if (m_previousRank > 0)
        closeRun(m_previousRank);
}

void CalcResults::addToCounter(qint16 kind)
{
    Q_ASSERT(kind >= 7 && kind <= 17);
    qint32 &c = m_counters[size_t(kind - 7)];
    c = add32(c, 1);
}

void CalcResults::addWinByHan(qint32 index)
{
    Q_ASSERT(index >= 0 && index <= 8);
    qint32 &c = m_winByHan[size_t(index)];
    c = add32(c, 1);
    addToCounter(calc::WinHanCount);
}

} // namespace norva
