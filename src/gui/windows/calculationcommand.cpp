#include "gui/windows/calculationcommand.h"

#include "core/calc/calcresults.h"
#include "core/calc/calculation.h"
#include "core/calc/session.h"
#include "core/common/convert.h"
#include "core/common/error.h"
#include "core/common/exitsignals.h"
#include "core/common/fileops.h"
#include "core/common/filewatch.h"
#include "core/common/locations.h"
#include "core/common/messages.h"
#include "core/settings/settings.h"
#include "gui/widgets/dialogrunner.h"
#include "gui/widgets/messagebox.h"
#include "gui/windows/commandhost.h"
#include "gui/windows/statuswindow.h"
#include "gui/windows/userwindow.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QInputDialog>
#include <QLineEdit>
#include <QPointer>
#include <QScopedValueRollback>

#include <algorithm>
#include <limits>
#include <memory>
#include <optional>

namespace norva {

namespace {

// The hourglass for the length of a run, whatever way the run ends.
class BusyCursor
{
public:
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
};

// The status window of a calculation, shown once the run knows that the log
// is longer than one progress step.
class StatusProgress final : public CalcProgress
{
public:
    explicit StatusProgress(QWidget *owner)
        : m_owner(owner)
    {}

    void begin(qint32 lines, qint32 checkLine) override
    {
        m_window = std::make_unique<StatusWindow>(m_owner);
        m_window->show();
        // The bar's maximum only scales the bar: a log too long for it is
        // left to the pass, which reports it in its own words.
        const double steps = double(lines) / double(checkLine);
        m_window->begin(toInt16(std::min(steps, double(std::numeric_limits<qint16>::max()))),
                        msg::calcInProgress());
    }
    void step(qint16 value) override
    {
        if (m_window)
            m_window->setProgress(value);
    }
    void close() { m_window.reset(); }

private:
    QWidget *m_owner;
    std::unique_ptr<StatusWindow> m_window;
};

// How many of a log's names the user name box offers, most frequent first.
constexpr qsizetype NameChoices = 200;

// The folder the open dialog starts in for path, the score log as typed or
// stored.
QString startFolder(const QString &path)
{
    const QFileInfo fi(path);
    if (fi.isDir())
        return fi.absoluteFilePath();
    if (!path.isEmpty() && fi.absoluteDir().exists())
        return fi.absolutePath();
    return {};
}

// How long a change of the followed log waits while the program is busy.
constexpr int BusyRetry = 250; // milliseconds

// What the status bar says after an update of the followed log, or nothing
// for an update that was cancelled (the program is on its way out).
std::optional<QString> logNotice(const CalcOutcome &outcome, const QString &path)
{
    const QString head = QStringLiteral("自動更新：");
    auto oneLine = [](QString text) {
        return text.replace(msg::crlf(), QStringLiteral(" "));
    };
    switch (outcome.status) {
    case CalcOutcome::Status::Counted:
        return QString();
    case CalcOutcome::Status::Cancelled:
        return std::nullopt;
    case CalcOutcome::Status::ScoreFileMissing:
        return head + QStringLiteral("スコアファイルが見つかりません。戻りしだい続けます。 ")
               + path;
    case CalcOutcome::Status::NoTableKinds:
        return head + msg::selectTableKinds();
    case CalcOutcome::Status::NoValidData:
        break;
    }
    if (!outcome.passError)
        return head + msg::noValidData();
    const QString why = oneLine(outcome.passError->description());
    // Line 0: the log could not be opened or its form not told.
    if (outcome.passErrorLine == 0)
        return head + QStringLiteral("スコアファイルを読み込めません。") + why
               + QStringLiteral("読めるようになりしだい続けます。 ") + path;
    return head + msg::titleCalcError() + QStringLiteral("（%1 行目）：").arg(outcome.passErrorLine)
           + why;
}

} // namespace

CalculationCommand::CalculationCommand(CommandHost &host)
    : m_host(host)
    , m_calculation(std::make_unique<Calculation>())
{
    m_retry.setSingleShot(true);
    m_retry.setInterval(BusyRetry);
    QObject::connect(&m_retry, &QTimer::timeout, &m_retry, [this] { logChanged(); });
}

CalculationCommand::~CalculationCommand() = default;

void CalculationCommand::calculate()
{
    if (calculateOnce() && !m_host.hasExited())
        chooseScoreFileAndCalculate();
}

bool CalculationCommand::calculateOnce()
{
    const QScopedValueRollback<bool> running(m_running, true);
    Session &session = m_host.session();
    UserWindow &user = m_host.userWindow();
    QWidget *owner = m_host.frameWidget();
    std::optional<BusyCursor> busy;
    StatusProgress progress(owner);
    try {
        if (user.isOpen())
            user.takeOver();

        busy.emplace();
        // A run that counts follows its log from then on; any other ends the
        // following. The watch stays up meanwhile, so that a change during
        // the run is looked at after it.
        const CalcOutcome outcome =
            m_calculation->run(session.settings(), session.tables(), session.results(), &progress,
                               exitRequestedFlag());
        busy.reset(); // no hourglass over a message box
        // The names of the log are offered in the user name box from now on.
        if (outcome.summary.games() > 0)
            user.setNameChoices(outcome.summary.mostSeated(NameChoices));
        setFollowable(outcome.status == CalcOutcome::Status::Counted);
        switch (outcome.status) {
        case CalcOutcome::Status::ScoreFileMissing: {
            const bool choose =
                showMessage(owner, QMessageBox::Critical, msg::titleError(),
                            msg::scoreFileMissingGuidance(session.settings().scoreFile()),
                            QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
                == QMessageBox::Yes;
            if (user.isOpen())
                user.focusFileName();
            m_host.enableResultCommands(false);
            return choose;
        }
        case CalcOutcome::Status::NoTableKinds:
            showError(owner, msg::selectTableKinds());
            m_host.enableResultCommands(false);
            return false;
        case CalcOutcome::Status::Cancelled:
            // The program is on its way out: what the pass gathered is
            // neither shown nor kept.
            m_host.enableResultCommands(false);
            return false;
        case CalcOutcome::Status::NoValidData:
            if (outcome.passError)
                showMessage(owner, QMessageBox::Critical, msg::titleCalcError(),
                            outcome.passError->description());
            // The first line as ever, then why.
            showMessage(owner, QMessageBox::Warning, msg::titleConfirm(),
                        (QStringList{msg::noValidData()}
                         + noValidDataReasons(session.settings(), session.tables(), outcome))
                            .join(msg::crlf()));
            publish(false);
            break;
        case CalcOutcome::Status::Counted:
            publish(true);
            break;
        }
        progress.close();
    } catch (const Error &) {
        busy.reset();
        setFollowable(false);
        showError(owner, msg::calcFailed() + msg::crlf() + msg::checkSettings());
        progress.close();
        m_host.enableResultCommands(false);
    }
    return false;
}

void CalculationCommand::publish(bool valid)
{
    m_host.enableResultCommands(valid);
    m_host.refreshResultWindows();
}

void CalculationCommand::setFollowable(bool followable)
{
    m_followable = followable;
    const bool follow =
        followable && m_host.session().settings().followLog() && !m_host.hasExited();
    const QString path = m_calculation->scoreFile();
    // What was said of the log before no longer holds: a calculation has
    // read it since, or it is no longer followed.
    m_host.showLogNotice({});
    if (!follow || (m_watch && m_watch->path() != path)) {
        m_watch.reset();
        m_retry.stop();
    }
    if (follow && !m_watch) {
        m_watch = std::make_unique<FileWatch>(path);
        QObject::connect(m_watch.get(), &FileWatch::changed, m_watch.get(),
                         [this] { logChanged(); });
        // What changed between the read and the watch.
        m_retry.start();
    }
}

void CalculationCommand::followSettingChanged()
{
    setFollowable(m_followable);
    // What the log gained while it was not followed, at once.
    if (m_watch) {
        m_retry.stop();
        logChanged();
    }
}

void CalculationCommand::logChanged()
{
    if (!m_watch || m_host.hasExited())
        return;
    // Never inside a calculation (its status window lets timers run), nor
    // under a box or dialog of another command, which may be printing or
    // saving the very results: looked at again once it has ended.
    if (m_running || QApplication::activeModalWidget()) {
        m_retry.start();
        return;
    }
    Session &session = m_host.session();
    const Calculation::Update u = m_calculation->update(session.results(), exitRequestedFlag());
    const std::optional<QString> notice = logNotice(u.outcome, m_watch->path());
    if (!notice)
        return;
    if (u.change != Calculation::Change::None)
        publish(u.outcome.status == CalcOutcome::Status::Counted);
    m_host.showLogNotice(*notice);
}

void CalculationCommand::offerScoreFileIfMissing()
{
    const QString path = m_host.session().settings().scoreFile();
    if (!fileops::hasAttributes(path, 0)
        && showMessage(m_host.frameWidget(), QMessageBox::Question, productName(),
                       msg::scoreFileMissingGuidance(path), QMessageBox::Yes | QMessageBox::No,
                       QMessageBox::No)
               == QMessageBox::Yes)
        chooseScoreFileAndCalculate();
}

void CalculationCommand::takeLog(const QString &path, LogSource source)
{
    UserWindow &user = m_host.userWindow();
    switch (source) {
    case LogSource::Chosen:
        user.setFileName(path);
        break;
    case LogSource::Dropped:
        // As norva FILE: the log of this run; the settings keep theirs.
        m_host.session().useScoreFileForThisRun(path);
        if (QLineEdit *box = user.fileNameEdit())
            box->setText(path);
        break;
    case LogSource::DroppedOnBox:
        break; // the box shows it; the calculation takes it over
    }
    if (!ensureUserName(path)) {
        if (!m_host.hasExited()) {
            // No results stand under the new log's name.
            m_host.session().results().clear();
            setFollowable(false);
            publish(false);
        }
        return;
    }
    calculate();
}

void CalculationCommand::chooseScoreFileAndCalculate()
{
    const QString path = askScoreFile();
    if (path.isEmpty() || m_host.hasExited())
        return;
    takeLog(QDir::toNativeSeparators(path), LogSource::Chosen);
}

bool CalculationCommand::ensureUserName(const QString &path)
{
    Session &session = m_host.session();
    UserWindow &user = m_host.userWindow();
    if (!user.currentUserName().isEmpty())
        return true;
    // The names of the log, whoever played: one pass without a user.
    PassSettings names = PassSettings::from(session.settings());
    names.scoreFile = path;
    names.userName.clear();
    ScorePass pass(names, session.tables());
    {
        const BusyCursor busy;
        CalcResults scratch;
        PassHooks hooks;
        hooks.cancel = exitRequestedFlag();
        pass.run(scratch, hooks); // a log that fails part-way still names its players
    }
    const QStringList choices = pass.summary().mostSeated(NameChoices);
    user.setNameChoices(choices);
    if (m_host.hasExited())
        return false;

    // On the heap, as the main window may be told to close while it is up.
    QPointer<QInputDialog> dialog = new QInputDialog(m_host.frameWidget());
    dialog->setObjectName(QStringLiteral("dlgUserName"));
    dialog->setWindowTitle(QStringLiteral("ユーザー名"));
    dialog->setLabelText(msg::chooseUserName());
    dialog->setComboBoxItems(choices);
    dialog->setComboBoxEditable(true);
    const bool accepted = m_host.dialogs().run(*dialog);
    const QString name =
        accepted && dialog ? trimSpaces(dialog->textValue()).toString() : QString();
    delete dialog.data();
    if (name.isEmpty() || m_host.hasExited())
        return false;
    session.settings().setValue(Settings::UserName, name);
    user.setUserName(name);
    return true;
}

void CalculationCommand::openScoreFile()
{
    const QString path = askScoreFile();
    if (path.isEmpty() || m_host.hasExited())
        return;
    m_host.userWindow().setFileName(QDir::toNativeSeparators(path));
}

QString CalculationCommand::askScoreFile()
{
    // On the heap, as the main window may be told to close while it is up.
    QPointer<QFileDialog> dialog = new QFileDialog(m_host.frameWidget());
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setFileMode(QFileDialog::ExistingFile);
    dialog->setWindowTitle(QStringLiteral("開く"));
    const QStringList filters{QStringLiteral("スコアファイル(mjscore.txt)"),
                              QStringLiteral("テキストファイル (*.txt)"), allFilesFilter()};
    dialog->setNameFilters(filters);
    dialog->selectNameFilter(filters.first());
    // That of the path in the settings window, or of the stored score log.
    const QLineEdit *box = m_host.userWindow().fileNameEdit();
    if (const QString folder =
            startFolder(box ? box->text() : m_host.session().settings().scoreFile());
        !folder.isEmpty())
        dialog->setDirectory(folder);
    // "*.*" means every file, also one without a dot in its name.
    QObject::connect(dialog, &QFileDialog::filterSelected, dialog,
                     [d = dialog.data()](const QString &f) {
                         if (f != allFilesFilter())
                             return;
                         if (auto *model = d->findChild<QFileSystemModel *>())
                             model->setNameFilters({QStringLiteral("*")});
                     });
    const QString path = m_host.dialogs().chooseFile(*dialog);
    delete dialog.data();
    return path;
}

} // namespace norva
