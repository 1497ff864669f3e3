#pragma once

#include <QStringList>
#include <QTextStream>

namespace norva {
class CalcResults;
class Session;
class TableInfo;
} // namespace norva

// norva-calc: the calculation without windows.
namespace norva::cli {

// Exit codes.
enum ExitCode {
    GamesCounted = 0,
    NoValidData = 1, // no game counted, the pass failed, or the report could not be written
    UsageError = 2,  // bad options, no score log, no table definitions
};

// Runs norva-calc with arguments (without the program name) on session, whose
// files are read unless the options name others. The results go to out,
// messages to err; terminal shows a progress bar on err for long logs.
// Returns the exit code.
int runCalc(const QStringList &arguments, QTextStream &out, QTextStream &err, Session &session,
            bool terminal = false);

// The --json text of results, the table kinds of tables in its "Extra";
// compact: on one line, without spaces (--follow); withGames: with the array
// "Games" of the counted games last (--games).
QString resultsJson(const CalcResults &results, const TableInfo &tables, bool compact = false,
                    bool withGames = false);

} // namespace norva::cli
