#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace norva {

class TableInfo;

// Games counted together, with the user's rank total and score total in them.
struct GameTally
{
    qint32 games = 0;
    qint64 rankTotal = 0;
    qint64 scoreTotal = 0;
    friend bool operator==(const GameTally &, const GameTally &) = default;
};

// One player the user sat with.
struct OpponentTally
{
    QString name;
    GameTally tally;
    friend bool operator==(const OpponentTally &, const OpponentTally &) = default;
};

// One entry of the table definitions' recognition lists with the counted
// games whose header holds its text.
struct TableKindTally
{
    int group = 1;
    qint32 id = 0;
    QString text;
    GameTally tally;
};

// The figures players judge their play by, gathered in the same pass and
// under the same filters as the rest of the record: wins and their points,
// deal-ins, self-draws of others, riichi and calls where the log records the
// tiles, opponents and table kinds. Sums of points are 64-bit: nothing here
// can end a pass that the rest of the record lets run.
class ExtraFigures
{
public:
    qint32 wins() const { return m_wins; }
    qint64 winPoints() const { return m_winPoints; }
    qint32 dealIns() const { return m_dealIns; }
    qint64 dealInPoints() const { return m_dealInPoints; }
    qint32 tsumoLosses() const { return m_tsumoLosses; }
    qint64 tsumoLossPoints() const { return m_tsumoLossPoints; }
    qint32 riichiHands() const { return m_riichiHands; }
    qint32 callHands() const { return m_callHands; }
    qint32 recordedHands() const { return m_recordedHands; }

    // The players of the user's counted games, most games first, then by
    // name in code-point order.
    QList<OpponentTally> opponents() const;
    // The recognition entries of tables, group 1 first, then group 2, in file
    // order, those without games included.
    QList<TableKindTally> tableKinds(const TableInfo &tables) const;

    // For the pass. change: the user's change of points in the hand.
    void addWin(qint32 change);
    void addDealIn(qint32 change);
    void addTsumoLoss(qint32 change);
    void addRecordedHand() { ++m_recordedHands; }
    void addRiichiHand() { ++m_riichiHands; }
    void addCallHand() { ++m_callHands; }
    // A counted game: its rank and score, the other players of its rating
    // line, and the recognition entries its header holds (indexes over group 1
    // then group 2).
    void addGame(qint16 rank, qint16 score, const QStringList &opponents,
                 const QList<qint32> &kinds);

    friend bool operator==(const ExtraFigures &, const ExtraFigures &) = default;

private:
    qint32 m_wins = 0;
    qint64 m_winPoints = 0;
    qint32 m_dealIns = 0;
    qint64 m_dealInPoints = 0;
    qint32 m_tsumoLosses = 0;
    qint64 m_tsumoLossPoints = 0;
    qint32 m_riichiHands = 0;
    qint32 m_callHands = 0;
    qint32 m_recordedHands = 0;
    // Copied with the pass's state on every update: implicitly shared.
    QHash<QString, GameTally> m_opponents;
    QList<GameTally> m_tableKinds;
};

// A 95 % interval.
struct Interval
{
    double low = 0;
    double high = 0;
};

// The z of a two-sided 95 % interval.
inline constexpr double Z95 = 1.959964;

// The Wilson score interval of k successes in n trials; none when n <= 0.
std::optional<Interval> wilsonInterval(qint64 k, qint64 n);

// The mean of n values with the given sum and sum of squares, and its 95 %
// interval mean ± z·s/√n (s the sample standard deviation); the interval
// needs n >= 2.
struct MeanEstimate
{
    double mean = 0;
    std::optional<Interval> interval;
};
std::optional<MeanEstimate> meanEstimate(qint64 n, double sum, double sumOfSquares);

} // namespace norva
