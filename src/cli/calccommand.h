#pragma once

#include <QStringList>
#include <QTextStream>

// norva-calc: the calculation without windows.
namespace norva::cli {

// Exit codes.
enum ExitCode {
    GamesCounted = 0,
    NoValidData = 1, // no game counted, the pass failed, or the report could not be written
    UsageError = 2,  // bad options, no score log, no table definitions
};

// Runs norva-calc with arguments (without the program name). The results go to
// out, messages to err; terminal shows a progress bar on err for long logs.
// Returns the exit code.
int runCalc(const QStringList &arguments, QTextStream &out, QTextStream &err,
            bool terminal = false);

// The --json text of the current results.
QString resultsJson();

} // namespace norva::cli
