#pragma once

#include "core/common/error.h"
#include "core/common/fileops.h"
#include "core/common/textfile.h"

#include <QDate>
#include <QHash>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <QTime>

#include <functional>
#include <optional>

namespace norva {

class CalcResults;
class Settings;
class TableInfo;

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

// How a score log is written: the form its bytes take as lines, and whether
// those lines are UTF-8 (else CP932).
struct LogForm
{
    ByteForm bytes = ByteForm::AsIs;
    bool utf8 = false;
    friend bool operator==(const LogForm &, const LogForm &) = default;
};

// Decides once per file how the score log at path is written: a UTF-16
// byte-order mark means UTF-16; otherwise a UTF-8 mark is passed over, and
// the first game header (a line that begins with StartLine) tells UTF-8 from
// CP932 by the form of the texts it holds ("開始", the table kinds of tables);
// CP932 where neither form is found. Raises as reading the file does.
LogForm detectLogForm(const QString &path, const TableInfo &tables,
                      const CancelFlag *cancel = nullptr);

// What a pass saw of the whole log, whoever played and whatever the filters:
// the games it holds (game headers) and the players seated in them (the names
// of the rating lines, "[1]name R1500"). It tells the user why no game was
// found.
struct LogSummary
{
    qint32 games = 0;
    // Each name with the number of games it was seated in.
    QHash<QString, qint32> seats;

    // The names seated most often, most first (equal counts by name), at
    // most n.
    QStringList mostSeated(qsizetype n) const;
};

// One read of the score log that picks the user's games and fills the results.
class ScorePass
{
public:
    ScorePass(PassSettings settings, const TableInfo &tables);

    void setMode(ScorePassMode mode) { m_mode = mode; }
    // The way the last run compared its lines (Fast or Plain).
    ScorePassMode modeUsed() const { return m_modeUsed; }
    // Reads the log as written in form instead of deciding it (a log that
    // is known to be UTF-8, say).
    void setForm(LogForm form) { m_form = form; }
    // The form the last run read the log in.
    LogForm formUsed() const { return m_formUsed; }
    // What the last run saw of the whole log (as far as it read).
    const LogSummary &summary() const { return m_summary; }

    // Clears results and reads the score log once, read-only, into them. True
    // on success; on any failure reportError is called and the result is
    // false (results keep what was gathered).
    bool run(CalcResults &results, const PassHooks &hooks = {});

private:
    PassSettings m_settings;
    const TableInfo &m_tables;
    ScorePassMode m_mode = ScorePassMode::Auto;
    ScorePassMode m_modeUsed = ScorePassMode::Plain;
    std::optional<LogForm> m_form;
    LogForm m_formUsed;
    LogSummary m_summary;
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

} // namespace norva
