#include "core/calc/calculation.h"

#include "core/calc/calcresults.h"
#include "core/calc/resultsreport.h"
#include "core/common/fileops.h"
#include "core/settings/settings.h"
#include "core/tables/tableinfo.h"

namespace norva {

CalcOutcome runCalculation(const Settings &settings, const TableInfo &tables, CalcResults &results,
                           CalcProgress *progress, const CancelFlag *cancel, ScorePassMode mode)
{
    CalcOutcome outcome;
    const PassSettings passSettings = PassSettings::from(settings);
    if (!fileops::hasAttributes(passSettings.scoreFile, 0)) {
        results.clear();
        outcome.status = CalcOutcome::Status::ScoreFileMissing;
        return outcome;
    }
    if (tables.recognition(1).isEmpty() || tables.recognition(2).isEmpty()) {
        results.clear();
        outcome.status = CalcOutcome::Status::NoTableKinds;
        return outcome;
    }

    PassHooks hooks;
    hooks.cancel = cancel;
    if (progress && progress->wantsLineCount()) {
        const qint32 lines = countScoreFileLines(passSettings.scoreFile, cancel);
        if (lines > passSettings.checkLine)
            progress->begin(lines, passSettings.checkLine);
        hooks.statusChange = [progress](qint16 value) {
            progress->step(value);
        };
    }
    bool cancelled = false;
    hooks.reportError = [&](const Error &error, qint64 line) {
        if (error.kind() == ErrorKind::Cancelled) {
            cancelled = true;
            return;
        }
        outcome.passError = error;
        outcome.passErrorLine = line;
    };
    ScorePass pass(passSettings, tables);
    pass.setMode(mode);
    const bool ok = pass.run(results, hooks);
    outcome.summary = pass.summary();
    if (cancelled) {
        results.clear();
        outcome.status = CalcOutcome::Status::Cancelled;
        return outcome;
    }
    if (!ok || results.gameCount() < 1) {
        results.clear();
        outcome.status = CalcOutcome::Status::NoValidData;
        return outcome;
    }
    outcome.status = CalcOutcome::Status::Counted;
    return outcome;
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
    QString games = QStringLiteral("スコアファイルの試合数： %1").arg(log.games);
    if (!user.isEmpty())
        games += QStringLiteral("（「%1」のいる試合： %2）")
                     .arg(user, QString::number(log.seats.value(user)));
    lines << games;
    if (log.games == 0)
        lines << QStringLiteral("スコアファイルではないか、計算情報ファイルの行の目印"
                                "（StartLine）が合っていない可能性があります。");
    if (const QStringList names = log.mostSeated(5); !names.isEmpty())
        lines << QStringLiteral("よく出てくる名前： ") + names.join(u'、');
    return lines;
}

} // namespace norva
