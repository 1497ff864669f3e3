#include "core/calc/calculation.h"

#include "core/calc/calcresults.h"
#include "core/calc/resultsreport.h"
#include "core/common/fileops.h"
#include "core/common/textfile.h"
#include "core/settings/settings.h"
#include "core/tables/tableinfo.h"

namespace norva {

namespace {

// A pass's failures as an outcome records them.
struct FailureCatch
{
    bool cancelled = false;
    std::optional<Error> error;
    qint64 line = 0;

    void into(PassHooks &hooks)
    {
        hooks.reportError = [this](const Error &e, qint64 at) {
            if (e.kind() == ErrorKind::Cancelled) {
                cancelled = true;
                return;
            }
            error = e;
            line = at;
        };
    }
};

} // namespace

// The pass of the last run, with what it needs to go on.
struct Calculation::Pass
{
    Pass(const PassSettings &settings, const TableInfo &tables, ScorePassMode mode)
        : settings(settings)
        , tables(tables)
        , pass(settings, tables)
    {
        pass.setMode(mode);
    }

    // The checks before any pass: the log is there, table kinds are defined.
    std::optional<CalcOutcome::Status> refused() const
    {
        if (!fileops::hasAttributes(settings.scoreFile, 0))
            return CalcOutcome::Status::ScoreFileMissing;
        if (tables.recognition(1).isEmpty() || tables.recognition(2).isEmpty())
            return CalcOutcome::Status::NoTableKinds;
        return std::nullopt;
    }

    // The outcome of a pass that ran; results are kept only when it counted.
    CalcOutcome conclude(bool ok, const FailureCatch &failure, CalcResults &results) const
    {
        CalcOutcome outcome;
        outcome.summary = pass.summary();
        if (failure.cancelled) {
            results.clear();
            outcome.status = CalcOutcome::Status::Cancelled;
            return outcome;
        }
        outcome.passError = failure.error;
        outcome.passErrorLine = failure.line;
        if (!ok || results.gameCount() < 1) {
            results.clear();
            outcome.status = CalcOutcome::Status::NoValidData;
            return outcome;
        }
        outcome.status = CalcOutcome::Status::Counted;
        return outcome;
    }

    PassSettings settings;
    const TableInfo &tables;
    ScorePass pass;
};

Calculation::Calculation() = default;
Calculation::~Calculation() = default;

CalcOutcome Calculation::run(const Settings &settings, const TableInfo &tables,
                             CalcResults &results, CalcProgress *progress, const CancelFlag *cancel,
                             ScorePassMode mode)
{
    m_pass = std::make_unique<Pass>(PassSettings::from(settings), tables, mode);
    m_last = {};
    if (const std::optional<CalcOutcome::Status> refused = m_pass->refused()) {
        results.clear();
        m_last.status = *refused;
        return m_last;
    }

    PassHooks hooks;
    hooks.cancel = cancel;
    FailureCatch failure;
    failure.into(hooks);
    bool ok = false;
    try {
        // The line count and the pass read the log through one handle.
        ScoreLog log(m_pass->settings.scoreFile);
        if (progress && progress->wantsLineCount()) {
            const qint32 lines = countScoreFileLines(log, cancel);
            if (lines > m_pass->settings.checkLine)
                progress->begin(lines, m_pass->settings.checkLine);
            hooks.statusChange = [progress](qint16 value) {
                progress->step(value);
            };
        }
        ok = m_pass->pass.run(log, results, hooks);
    } catch (const Error &e) {
        hooks.reportError(e, 0); // the log could not be opened
    }
    m_last = m_pass->conclude(ok, failure, results);
    return m_last;
}

Calculation::Update Calculation::update(CalcResults &results, const CancelFlag *cancel)
{
    Update u;
    if (!m_pass) {
        u.outcome = m_last;
        return u;
    }
    if (const std::optional<CalcOutcome::Status> refused = m_pass->refused()) {
        u.outcome.status = *refused;
        u.outcome.summary = m_last.summary;
        return u;
    }
    PassHooks hooks;
    hooks.cancel = cancel;
    FailureCatch failure;
    failure.into(hooks);
    CalcResults fresh;
    PassUpdate passUpdate;
    try {
        ScoreLog log(m_pass->settings.scoreFile);
        passUpdate = m_pass->pass.update(log, fresh, hooks);
    } catch (const Error &e) {
        hooks.reportError(e, 0);
        passUpdate = {PassUpdate::Kind::Unchanged, false};
    }
    if (failure.cancelled) {
        u.outcome = m_last;
        u.outcome.status = CalcOutcome::Status::Cancelled;
        return u;
    }
    if (passUpdate.kind == PassUpdate::Kind::Unchanged) {
        // Nothing read: the results stand, unless the log could not be read.
        u.outcome = m_last;
        if (failure.error) {
            u.outcome.status = CalcOutcome::Status::NoValidData;
            u.outcome.passError = failure.error;
            u.outcome.passErrorLine = failure.line;
        }
        return u;
    }
    m_last = m_pass->conclude(passUpdate.ok, failure, fresh);
    results = fresh;
    u.change =
        passUpdate.kind == PassUpdate::Kind::Resumed ? Change::Updated : Change::Recalculated;
    u.outcome = m_last;
    return u;
}

QString Calculation::scoreFile() const
{
    return m_pass ? m_pass->settings.scoreFile : QString();
}

const LogSummary &Calculation::summary() const
{
    return m_last.summary;
}

CalcOutcome runCalculation(const Settings &settings, const TableInfo &tables, CalcResults &results,
                           CalcProgress *progress, const CancelFlag *cancel, ScorePassMode mode)
{
    Calculation calculation;
    return calculation.run(settings, tables, results, progress, cancel, mode);
}

QStringList noValidDataReasons(const Settings &settings, const TableInfo &tables,
                               const CalcOutcome &outcome)
{
    if (outcome.status != CalcOutcome::Status::NoValidData || outcome.passError)
        return {};
    const LogSummary &log = outcome.summary;
    const QString user = settings.userName();
    QStringList lines;
    if (user.isEmpty()) {
        lines << QStringLiteral("ユーザー名が指定されていません。計算情報の「ユーザー名」に、"
                                "スコアファイルに記録されている名前を入れてください。");
    } else {
        lines << QStringLiteral("ユーザー名「%1」の試合は、次の条件では見つかりませんでした。")
                     .arg(user)
              << ResultsReport::dateRangeLine(settings)
              << ResultsReport::tableLine(settings, tables);
    }
    QString games = QStringLiteral("スコアファイルの試合数： %1").arg(log.games());
    if (!user.isEmpty())
        games +=
            QStringLiteral("（「%1」のいる試合： %2）").arg(user, QString::number(log.seats(user)));
    lines << games;
    if (log.games() == 0)
        lines << QStringLiteral("スコアファイルではないか、計算情報ファイルの行の目印"
                                "（StartLine）が合っていない可能性があります。");
    if (const QStringList names = log.mostSeated(5); !names.isEmpty())
        lines << QStringLiteral("よく出てくる名前： ") + names.join(u'、');
    return lines;
}

} // namespace norva
