#pragma once

#include "core/common/error.h"
#include "core/common/textfile.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

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

// The result kinds of GetCalcValue: GetCalcValue(calc::ScoreMax).
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
} // namespace calc

// The name of a result kind ("GameCount" ... "ScoreSumMin"); empty outside 0..26.
QString calcKindName(qint16 kind);

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
    std::function<void(qint16 step)> statusChange;
    // The failure that ended the pass, with the number of the line it was read
    // on (0 when the log could not be opened).
    std::function<void(const Error &error, qint64 line)> reportError;
    // Once set, the pass ends with Cancelled at its next progress step or
    // read of the log, whichever comes first.
    const CancelFlag *cancel = nullptr;
};

// Reads the score log of the setting ScoreFile once, read-only, and fills the
// accumulators. True on success; on any failure reportError is called and the
// result is false (the accumulators keep what was gathered).
bool CalcScoreFile(const PassHooks &hooks = {});

// The game header test: true when the game of this header line (which begins
// with StartLine) is to be counted under the settings TableKind1/2,
// SpecifyDate and the date range. Raises InvalidArgument for a line shorter
// than twice StartLine, TypeMismatch for a game date that cannot be read (no
// "開始" included) and Overflow for a group sum beyond 16 bits.
bool CheckGameHeader(QStringView line);

// The rating line test: true when the line carries the user's name followed by
// " R"; rating then takes the number after it (Overflow beyond 32 bits). The
// name must start the line or follow "]" or a space, so that another player
// whose name ends with the user's is not taken for the user.
bool CheckRatingLine(qint32 &rating, QStringView line);

// How the pass compares lines: Fast compares CP932 bytes and decodes only the
// lines it must; Plain decodes every line. Auto takes Fast whenever every text
// it searches for has exactly one CP932 form.
enum class ScorePassMode { Auto, Fast, Plain };
void setScorePassModeForTests(ScorePassMode mode);
// The way the last pass compared its lines (Fast or Plain).
ScorePassMode lastScorePassMode();

// The lines of the score log (0 on any failure, also when cancel is set).
qint32 CountScoreFileLines(const CancelFlag *cancel = nullptr);

// The lines of the results report, without line ends. Raises DivisionByZero
// when no game was counted.
QStringList resultsReportLines();
// The report file's bytes: the lines in CP932, each ended by CR LF.
QByteArray resultsReportBytes();

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
QList<PrintLine> resultsPrintLines();

// Writes the results report to path (CP932, CR LF after every line). The old
// file is replaced only by a completely written report, and never when it is
// one of the files of protect, a pipe or a folder. On a failure prompt
// chooses between Retry (true) and Cancel (false, the result).
bool saveResultsFile(const QString &path, const RetryPrompt &prompt = {},
                     const QStringList &protect = {});

} // namespace norva
