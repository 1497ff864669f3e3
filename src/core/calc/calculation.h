#pragma once

#include "core/calc/scorepass.h"
#include "core/common/error.h"
#include "core/common/fileops.h"

#include <memory>
#include <optional>

namespace norva {

class CalcResults;
class Settings;
class TableInfo;

// What a calculation run shows of its progress. The program shows a status
// window; the command-line program a bar on the terminal.
class CalcProgress
{
public:
    virtual ~CalcProgress() = default;
    // Whether the run should count the log's lines first to scale the
    // progress (a read of the whole log).
    virtual bool wantsLineCount() const { return true; }
    // The log has more lines than checkLine, the lines of one step: the
    // progress starts. Not called for a shorter log.
    virtual void begin(qint32 lines, qint32 checkLine) = 0;
    // Every checkLine lines: the line number divided by checkLine.
    virtual void step(qint16 value) = 0;
};

// How a calculation run ended.
struct CalcOutcome
{
    enum class Status {
        Counted,          // games were counted: the results stand
        ScoreFileMissing, // no score log where the settings say
        NoTableKinds,     // the table definitions name no table kind to count
        NoValidData,      // no game counted, or the pass failed
        Cancelled,        // told to stop (an exit signal): nothing kept
    };
    Status status = Status::NoValidData;
    // The failure that ended the pass (the status is then NoValidData), and
    // the line it was read on (0 when the log could not be opened).
    std::optional<Error> passError;
    qint64 passErrorLine = 0;
    // What the pass found about the log as a whole: its games, the names in
    // its rating lines (empty when no pass ran).
    LogSummary summary;
};

// The calculation: checks that the score log exists and that table kinds are
// defined, counts the log's lines when progress asks for it, runs the score
// log pass and keeps its results only when it counted games; in every other
// case results are cleared. Raises only what reading the settings for the
// pass raises.
CalcOutcome runCalculation(const Settings &settings, const TableInfo &tables, CalcResults &results,
                           CalcProgress *progress = nullptr, const CancelFlag *cancel = nullptr,
                           ScorePassMode mode = ScorePassMode::Auto);

// Why a run found no valid data, as lines for the user that follow
// "有効なデータがありませんでした。": the user name is empty, or no game of
// that name passed the filters (which are named), then how many games the log
// holds and the names seated most often. Empty after a failed pass, which
// says why itself, and after any other outcome.
QStringList noValidDataReasons(const Settings &settings, const TableInfo &tables,
                               const CalcOutcome &outcome);
// A calculation that can follow its score log: run() is runCalculation, and
// update() brings the results up to the log as it is later, reading only the
// lines added when the log has grown.
class Calculation
{
public:
    Calculation();
    ~Calculation();
    Calculation(const Calculation &) = delete;
    Calculation &operator=(const Calculation &) = delete;

    // The whole calculation, as runCalculation. tables must outlive the
    // updates that follow.
    CalcOutcome run(const Settings &settings, const TableInfo &tables, CalcResults &results,
                    CalcProgress *progress = nullptr, const CancelFlag *cancel = nullptr,
                    ScorePassMode mode = ScorePassMode::Auto);

    // What an update did to the results.
    enum class Change {
        None,        // they stay as they were
        Updated,     // the lines added to the log were read
        Recalculated // the log was read again from its start
    };
    struct Update
    {
        Change change = Change::None;
        CalcOutcome outcome;
    };
    // After a run: the results of that run's log and settings as the log is
    // now, as run would give them, the log's new lines read only. When the
    // log is as it was, the results stay. When it cannot be read (gone,
    // refused, cancelled), they stay too, and the outcome says why:
    // ScoreFileMissing, Cancelled, or NoValidData with the failure.
    Update update(CalcResults &results, const CancelFlag *cancel = nullptr);

    // The score log that the updates read (empty before the first run).
    QString scoreFile() const;
    // What the last run or update found about the log as a whole.
    const LogSummary &summary() const;

private:
    struct Pass;
    std::unique_ptr<Pass> m_pass;
    CalcOutcome m_last;
};

} // namespace norva
