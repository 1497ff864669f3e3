#pragma once

#include "core/calc/calcresults.h"
#include "core/common/error.h"
#include "core/common/fileops.h"
#include "core/common/textfile.h"

#include <QByteArray>
#include <QDate>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <QTime>

#include <array>
#include <functional>
#include <memory>
#include <optional>

namespace norva {

class Settings;
class TableInfo;

// The score log: opened once, its form decided once; a file or, for tests and
// fuzzing, bytes in memory.
using ScoreLog = TextInput;

// The settings a pass reads, taken once before it starts.
struct PassSettings
{
    QString scoreFile;
    QString userName;
    bool specifyDate = true;
    QDate startDate;
    QDate endDate;
    QTime startTime;
    QTime endTime;
    qint16 tableKind1 = 773;
    qint16 tableKind2 = 773;
    qint32 checkLine = 100;

    static PassSettings from(const Settings &settings);
};

// What the pass reports on its way, and what stops it.
struct PassHooks
{
    // Every CheckLine lines: the line number divided by CheckLine.
    std::function<void(qint16 step)> statusChange;
    // The failure that ended the pass, with the number of the line it was read
    // on (0 when the log could not be opened).
    std::function<void(const Error &error, qint64 line)> reportError;
    // Once set, the pass ends with Cancelled at its next progress step or
    // read of the log, whichever comes first.
    const CancelFlag *cancel = nullptr;
};

// How the pass compares lines: Fast compares the bytes of the log's form and
// decodes only the lines it must; Plain decodes every line. Auto takes Fast
// whenever every text it searches for has exactly one form in bytes.
enum class ScorePassMode { Auto, Fast, Plain };

// What a pass finds about the log as a whole, whoever's record it computes:
// how many games it holds, and who plays in them.
class LogSummary
{
public:
    // The game headers of the log.
    qint64 games() const { return m_games; }
    // The names in the rating lines ("[1]name R1500 ..."), with how often
    // each stands there, the most frequent first (equally frequent ones in
    // the order of their texts); at most limit of them when limit >= 0.
    QList<QPair<QString, qint64>> names(qsizetype limit = -1) const;
    // The texts of names(n).
    QStringList mostSeated(qsizetype n) const;
    // How often name stands in the rating lines: the games it was seated in.
    qint64 seats(const QString &name) const;

    // For the pass: a game header, a name in a rating line (its bytes, UTF-8
    // or CP932).
    void addGame() { ++m_games; }
    void addName(QByteArrayView name, bool utf8);

    friend bool operator==(const LogSummary &a, const LogSummary &b)
    {
        return a.m_games == b.m_games && a.names() == b.names();
    }

private:
    // The names by their bytes, in an open table of slots (a power of two of
    // them), their bytes one after the other in m_bytes. A rating line is in
    // every game: this is looked up four times a game.
    struct Slot
    {
        quint32 hash = 0;
        qint32 at = -1; // -1: a free slot
        qint32 length = 0;
        bool utf8 = false;
        qint64 count = 0;
    };
    qint64 m_games = 0;
    QList<Slot> m_slots;
    qsizetype m_used = 0;
    QByteArray m_bytes;
};

// Where a pass stands after the last complete line of the log, with all it
// has gathered: from here it can go on over what was added to the log. A new
// figure of the pass keeps its running values here too (beside results, or in
// a member of its own), so that they go on with the rest; whatever is copied
// with the state is copied on every update, so large lists belong in
// implicitly shared containers.
struct PassState
{
    // The log offset after the last complete line and its line end; while a
    // line is taken, the offset where that line starts.
    qint64 offset = 0;
    qint32 lineCount = 0;
    // Lines to go until the next progress step.
    qint64 untilStep = 0;
    // The form of the lines from here on: decided (by the first line beyond
    // ASCII, then by each game header beyond ASCII), and UTF-8 or CP932.
    bool formDecided = false;
    bool utf8 = false;
    // The hand state machine.
    bool inGame = false;
    qint16 handState = 0;
    qint32 rating = 0;
    // The game being read: the user's seat in its rating line ("1" of
    // "[1]name"; empty when not seated so), the other players there, and the
    // recognition entries its header holds (over group 1, then group 2).
    QByteArray seat;
    QStringList opponents;
    QList<qint32> tableKinds;
    // The hand being read: the user's change of points in its hand line, and
    // whether no change there is lower (who paid when another won on a
    // discard).
    qint32 change = 0;
    bool lowest = false;
    // The tile records of the last hand ("    * ..." lines after its result
    // line, until the next hand line or the game's results): whether they
    // may still follow, and what the hand's have shown so far.
    bool recordsOpen = false;
    bool recorded = false;
    bool riichi = false;
    bool called = false;
    // The record so far: the rank run still open at the end is not closed.
    CalcResults results;
    LogSummary summary;
    // The counted game being read: where its header line starts, what the
    // header says and the counts when it began.
    struct GameStart
    {
        qint64 offset = 0;
        quint64 headerHash = 0;
        qint32 hands = 0;
        qint32 wins = 0;
        qint32 dealIns = 0;
        bool utf8 = false;
        QString start;
        QString table;
    };
    GameStart game;
    // Whether the lines read belong to the last game of results.games(): from
    // its result line to its end line (Closing while that one is read) or to
    // the next header.
    enum class GameLines : quint8 { Closed, Open, Closing };
    GameLines gameLines = GameLines::Closed;
};

// How an update of a pass went.
struct PassUpdate
{
    enum class Kind {
        Unchanged, // the log is as it was: nothing read
        Resumed,   // the log grew: only the new lines were read
        Full,      // the log is another one or changed: read again from the start
    };
    Kind kind = Kind::Full;
    bool ok = false;
};

// One read of the score log that picks the user's games and fills the results.
//
// The lines are read in the form of the game they belong to: a game header
// with bytes beyond ASCII that are valid UTF-8 makes its game UTF-8, one that
// is not makes it CP932, and the first line beyond ASCII decides for the lines
// before the first such header (a UTF-8 byte-order mark for a log that has
// one). A line of a UTF-8 game that is no valid UTF-8 is read as CP932. The
// lines of UTF-8 games (and of UTF-16 logs) are compared in one canonical form
// (textforms::canonical); those of CP932 games as they are.
class ScorePass
{
public:
    ScorePass(PassSettings settings, const TableInfo &tables);
    ~ScorePass();

    void setMode(ScorePassMode mode) { m_mode = mode; }
    // The way the last run compared its lines (Fast or Plain).
    ScorePassMode modeUsed() const { return m_modeUsed; }
    // The form the last run read the log in.
    TextForm formUsed() const { return m_formUsed; }
    // Reads the log in blocks of this many bytes (tests: lines and characters
    // cut between two reads).
    void setBlockSize(qsizetype bytes) { m_blockSize = bytes; }

    // Clears results and reads the score log of the settings once, read-only,
    // into them. True on success; on any failure reportError is called and
    // the result is false (results keep what was gathered, nothing when the
    // log could not be opened or its form not told).
    bool run(CalcResults &results, const PassHooks &hooks = {});
    // The same over log.
    bool run(ScoreLog &log, CalcResults &results, const PassHooks &hooks = {});

    // Brings results up to what a run over log gives, after a run or update
    // of this pass: when log is the log read last, grown, with the bytes read
    // then unchanged, only the lines added are read (a line without its end
    // is read, and read again once it is complete); when it is as it was,
    // nothing is read; otherwise it is read from the start. A failure is
    // reported as run reports it.
    PassUpdate update(ScoreLog &log, CalcResults &results, const PassHooks &hooks = {});

    // What the last run or update found about the log as a whole.
    const LogSummary &summary() const;

private:
    struct Rules;
    struct Memory;
    bool runFrom(ScoreLog &log, std::optional<PassState> start, CalcResults &results,
                 const PassHooks &hooks);

    PassSettings m_settings;
    const TableInfo &m_tables;
    ScorePassMode m_mode = ScorePassMode::Auto;
    ScorePassMode m_modeUsed = ScorePassMode::Plain;
    TextForm m_formUsed;
    qsizetype m_blockSize;
    std::unique_ptr<Rules> m_rules;
    std::unique_ptr<Memory> m_memory;
};

// The game header test: true when the game of this header line (which begins
// with StartLine) is to be counted under the table kinds, SpecifyDate and the
// date range of settings. Raises InvalidArgument for a line shorter than twice
// StartLine, TypeMismatch for a game date that cannot be read (no "開始"
// included) and Overflow for a group sum beyond 16 bits.
bool checkGameHeader(QStringView line, const PassSettings &settings, const TableInfo &tables);

// The rating line test: true when the line carries userName followed by " R";
// rating then takes the number after it (Overflow beyond 32 bits). The name
// must start the line or follow "]" or a space, so that another player whose
// name ends with the user's is not taken for the user.
bool checkRatingLine(qint32 &rating, QStringView line, const QString &userName);

// The lines of the score log at path, in whatever form it is written (0 on any
// failure, also when cancel is set).
qint32 countScoreFileLines(const QString &path, const CancelFlag *cancel = nullptr);
// The same for a log opened already.
qint32 countScoreFileLines(ScoreLog &log, const CancelFlag *cancel = nullptr);

} // namespace norva
