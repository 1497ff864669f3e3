#pragma once

#include "common/error.h"
#include "common/textfile.h"

#include <QString>
#include <QStringList>

#include <functional>

// The calculation module: the result accumulators, the score log pass that
// fills them, the result accessor and the results report.
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

// Resets every accumulator and releases the per-game series.
void ClearCalcValues();

// The result of kind 0..26 at index. Kinds 4, 5 and 18 take index 0..4, 0..4,
// 0..8; the series kinds 19, 20, 21, 24 take 0..capacity. Another index (or an
// empty series) raises SubscriptOutOfRange. Other kinds ignore index; a kind
// outside 0..26 gives an empty value.
CalcValue GetCalcValue(qint16 kind, qint32 index = 0);

// Records one counted game of the user (rank, score, rating in force). Raises
// SubscriptOutOfRange for a rank outside 1..5 and Overflow when a value leaves
// its width.
void RecordGame(qint16 rank, qint16 score, qint32 rating);
// Closes the rank run still open at the end of the log.
void CloseRankRuns();

// What the pass reports on its way.
struct PassHooks
{
    // Every CheckLine lines: the line number divided by CheckLine.
    std::function<void(qint16 piVal)> statusChange;
    // The failure that ended the pass, with the number of the line it was read
    // on (0 when the log could not be opened).
    std::function<void(const Error &error, qint64 line)> reportError;
};

// Reads the score log of the setting ScoreFile once, read-only, and fills the
// accumulators. True on success; on any failure reportError is called and the
// result is false (the accumulators keep what was gathered).
bool CalcScoreFile(const PassHooks &hooks = {});

// The lines of the score log (0 on any failure).
qint32 CountScoreFileLines();

// The lines of the results report, without line ends.
QStringList ResultsReportLines();

// One line of the printed results column; a gap stands where the report has an
// empty line and leaves the height of one line free.
struct PrintLine
{
    QString text;
    bool gap = false;
};
// The lines of the printed results column: the report's lines with both date
// lines always, gaps for the empty lines, and the han class lines indented by
// two ASCII spaces.
QList<PrintLine> ResultsPrintLines();

// Writes the results report to path (CP932, CR LF after every line). The old
// file is replaced only by a completely written report. On a failure prompt
// chooses between Retry (true) and Cancel (false, the result).
bool SaveResultsFile(const QString &path, const RetryPrompt &prompt = {});

} // namespace norva
