#include "core/calc/calculation.h"

#include "core/calc/calcresults.h"
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

} // namespace norva
