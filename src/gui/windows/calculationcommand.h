#pragma once

#include <QString>

namespace norva {

class CommandHost;

// The calculation command and the ways a score log reaches it: File > Score
// file, the dialog offered for a missing log, a log dropped on the window or
// on the score file box, a log the program was started with. A calculation
// takes the settings window's fields over, runs the pass with the status
// window, says why nothing was counted, enables the commands on the results
// or not, and refreshes the open result windows.
class CalculationCommand
{
public:
    // host outlives the object.
    explicit CalculationCommand(CommandHost &host);

    // Edit > Calculate; a missing score log is reported with the offer to
    // choose one, which is then calculated.
    void calculate();
    // True while a calculation runs: a signal to quit then waits for its end,
    // which comes at once (the run watches the signal's flag).
    bool isRunning() const { return m_running; }

    // File > Score file: the log the user chooses goes into the settings
    // window (opened for it); nothing is stored and nothing calculated.
    void openScoreFile();
    // Says once that the stored score log is not there (a first start, a
    // folder moved) and offers the dialog; a log chosen is calculated.
    void offerScoreFileIfMissing();

    // How a score log reaches the program in a run.
    enum class LogSource {
        Chosen,       // the file dialog offered for a missing log
        Dropped,      // dropped on the main window: this run's log, as norva FILE
        DroppedOnBox, // dropped on the score file box, which shows it
    };
    // Takes path as the score log and calculates it; without a user name the
    // user first chooses one from the names of the log, and a cancel clears
    // the results, so that none stand under the new log's name.
    void takeLog(const QString &path, LogSource source);
    // True when a user name is set or the user chose one from the names of
    // the log at path.
    bool ensureUserName(const QString &path);

private:
    // The calculation; true when the score log was missing and the user
    // asked to choose one.
    bool calculateOnce();
    // The results as they now stand go to the commands on them (enabled when
    // valid) and to the open result windows.
    void publish(bool valid);
    // The score log the user chooses in the open dialog, or an empty text.
    QString askScoreFile();
    // The dialog for a missing score log, then the log taken and calculated.
    void chooseScoreFileAndCalculate();

    CommandHost &m_host;
    bool m_running = false;
};

} // namespace norva
