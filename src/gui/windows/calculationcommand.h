#pragma once

#include <QString>
#include <QTimer>

#include <memory>

namespace norva {

class Calculation;
class CommandHost;
class FileWatch;

// The calculation command and the ways a score log reaches it: File > Score
// file, the dialog offered for a missing log, a log dropped on the window or
// on the score file box, a log the program was started with. A calculation
// takes the settings window's fields over, runs the pass with the status
// window, says why nothing was counted, enables the commands on the results
// or not, and refreshes the open result windows.
//
// After a calculation that counted games, and while View > Follow the log is
// on, the command watches the log and brings the results up to it as it
// grows: only the new lines are read, and the open windows show the new
// figures in place, without a box, a status window or a change of focus.
class CalculationCommand
{
public:
    // host outlives the object.
    explicit CalculationCommand(CommandHost &host);
    ~CalculationCommand();
    CalculationCommand(const CalculationCommand &) = delete;
    CalculationCommand &operator=(const CalculationCommand &) = delete;

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

    // The FollowLog setting was switched: the log is watched from now on
    // (and the results brought up to it at once) or no longer.
    void followSettingChanged();
    // True while the log of the last calculation is watched.
    bool isFollowing() const { return m_watch != nullptr; }

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

    // Whether the results stand for the last calculation, so that following
    // its log can bring them up to date; starts or ends the watch as the
    // FollowLog setting says.
    void setFollowable(bool followable);
    // The watched log may have changed: the results are brought up to it,
    // later when a calculation, a box or a dialog is under way.
    void logChanged();

    CommandHost &m_host;
    bool m_running = false;
    std::unique_ptr<Calculation> m_calculation;
    bool m_followable = false;
    std::unique_ptr<FileWatch> m_watch;
    // Looks again for a change that came while the program was busy.
    QTimer m_retry;
};

} // namespace norva
