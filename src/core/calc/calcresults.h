#pragma once

#include "core/calc/extrafigures.h"
#include "core/calc/gamelist.h"

#include <QList>
#include <QString>

#include <array>

namespace norva {

// One result value: empty (a kind outside 0..26), or a 16-bit or 32-bit number.
struct CalcValue
{
    enum class Type { Empty, Int16, Int32 };
    Type type = Type::Empty;
    qint32 value = 0;

    bool isEmpty() const { return type == Type::Empty; }
    qint32 toInt() const { return value; }
    friend bool operator==(const CalcValue &, const CalcValue &) = default;
};

// The result kinds: results.value(calc::ScoreMax), as the graphs and the
// report read them by number.
namespace calc {
enum Kind : qint16 {
    GameCount = 0,
    ScoreTotal = 1,
    ScoreMax = 2,
    ScoreMin = 3,
    RankCount = 4,
    RankRunMax = 5,
    RankTotal = 6,
    HandCount = 7,
    OwnTsumo = 8,
    OwnRon = 9,
    OwnChombo = 10,
    OtherTsumo = 11,
    OtherRon = 12,
    OtherChombo = 13,
    DrawPlus = 14,
    DrawMinus = 15,
    OtherResult = 16,
    WinHanCount = 17,
    WinByHan = 18,
    ScoreSeries = 19,
    RankSeries = 20,
    RatingSeries = 21,
    RatingMax = 22,
    RatingMin = 23,
    ScoreSumSeries = 24,
    ScoreSumMax = 25,
    ScoreSumMin = 26,
};
// The last kind, and the slots of the indexed kinds that are no series.
inline constexpr qint16 LastKind = ScoreSumMin;
inline constexpr qint32 RankSlots = 5; // RankCount, RankRunMax
inline constexpr qint32 HanSlots = 9;  // WinByHan

// The per-game series: one element for every counted game.
constexpr bool isSeries(qint16 kind)
{
    return kind == ScoreSeries || kind == RankSeries || kind == RatingSeries
           || kind == ScoreSumSeries;
}
} // namespace calc

// The name of a result kind ("GameCount" ... "ScoreSumMin"); empty outside 0..26.
QString calcKindName(qint16 kind);

// The user's whole record: what the score log pass gathers, game by game and
// hand by hand, and what the windows, the report and the graphs read.
class CalcResults
{
public:
    CalcResults() { clear(); }

    // Resets every accumulator and releases the per-game series.
    void clear();

    // The result of kind 0..26 at index. Kinds 4, 5 and 18 take index 0..4,
    // 0..4, 0..8; the series kinds 19, 20, 21, 24 take 0..capacity. Another
    // index (or an empty series) raises SubscriptOutOfRange. Other kinds
    // ignore index; a kind outside 0..26 gives an empty value.
    CalcValue value(qint16 kind, qint32 index = 0) const;
    // The same, named and typed. An index outside its slots raises
    // SubscriptOutOfRange, as value() does.
    qint32 gameCount() const { return m_gameCount; }
    qint32 scoreTotal() const { return m_scoreTotal; }
    qint32 scoreMax() const { return m_scoreMax; }
    qint32 scoreMin() const { return m_scoreMin; }
    // Rank 1..4 at 0..3 (and the fifth slot, never counted).
    qint32 rankCount(qint32 index) const { return m_rankCount[slot(index, calc::RankSlots)]; }
    qint16 rankRunMax(qint32 index) const { return m_rankRunMax[slot(index, calc::RankSlots)]; }
    qint32 rankTotal() const { return m_rankTotal; }
    // How many hands ended as kind says: HandCount through WinHanCount.
    qint32 counter(calc::Kind kind) const
    {
        return m_counters[slot(kind - calc::HandCount, qint32(m_counters.size()))];
    }
    qint32 winByHan(qint32 index) const { return m_winByHan[slot(index, calc::HanSlots)]; }
    qint32 ratingMax() const { return m_ratingMax; }
    qint32 ratingMin() const { return m_ratingMin; }
    qint32 scoreSumMax() const { return m_scoreSumMax; }
    qint32 scoreSumMin() const { return m_scoreSumMin; }
    // The figures beside the record: deal-ins, opponents, table kinds ...
    const ExtraFigures &extra() const { return m_extra; }
    ExtraFigures &extra() { return m_extra; }

    // Records one counted game of the user (rank, score, rating in force).
    // Raises SubscriptOutOfRange for a rank outside 1..5 and Overflow when a
    // value leaves its width.
    void recordGame(qint16 rank, qint16 score, qint32 rating);
    // Closes the rank run still open at the end of the log.
    void closeRankRuns();
    // Adds one to a counter, HandCount (7) through WinHanCount (17); Overflow
    // beyond 32 bits.
    void addToCounter(qint16 kind);
    // Adds one own win to the han class at index (0..8) and to WinHanCount.
    void addWinByHan(qint32 index);

    // The counted games one by one, in the order of the log.
    const GameList &games() const { return m_games; }
    GameList &games() { return m_games; }

private:
    void closeRun(qint16 rank);
    // index as a slot of an array of count elements; raises SubscriptOutOfRange
    // outside it.
    static size_t slot(qint32 index, qint32 count);

    qint32 m_gameCount = 0;
    qint32 m_scoreTotal = 0;
    qint32 m_scoreMax = 0;
    qint32 m_scoreMin = 0;
    std::array<qint32, 5> m_rankCount{};
    std::array<qint16, 5> m_rankRunMax{};
    qint32 m_rankTotal = 0;
    // HandCount (7) through WinHanCount (17), indexed by kind - 7.
    std::array<qint32, 11> m_counters{};
    std::array<qint32, 9> m_winByHan{};
    // The four series share one capacity (highest valid index); empty when
    // no game has been recorded since the last reset.
    qint16 m_capacity = 0;
    QList<qint16> m_scoreSeries;
    QList<qint16> m_rankSeries;
    QList<qint16> m_ratingSeries;
    QList<qint16> m_scoreSumSeries;
    qint32 m_ratingMax = 0;
    qint32 m_ratingMin = 0;
    qint32 m_scoreSumMax = 0;
    qint32 m_scoreSumMin = 0;
    // The runs: the previous counted rank (-1 before the first game) and per
    // rank the length of the current run minus one.
    qint16 m_previousRank = -1;
    std::array<qint16, 5> m_runLength{};
    ExtraFigures m_extra;
    GameList m_games;
};

} // namespace norva
