// The calculation command of the main window: takes the settings over from the
// settings window, checks the score log and the table definitions, runs the
// pass with the status window and refreshes the open result windows.

#include "app/frmMain.h"
#include "app/frmStatus.h"
#include "app/msgbox.h"
#include "app/signals.h"
#include "calc/basCalc.h"
#include "calc/frmUser.h"
#include "common/convert.h"
#include "common/messages.h"
#include "graph/frmGraph.h"
#include "settings/basParam.h"
#include "tables/basTableInfo.h"
#include "views/frmRank.h"
#include "views/frmStage.h"
#include "views/frmWin.h"

#include <QApplication>
#include <QScopedValueRollback>

#include <limits>
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

} // namespace

void frmMain::mnuEditCalc_Click()
{
    // A signal to quit waits for the end of the run (closeFromSignal).
    const QScopedValueRollback<bool> calculating(m_calculating, true);
    std::optional<BusyCursor> busy;
    try {
        frmUser &user = frmUser::instance();
        if (user.truShowMe())
            user.takeOverForCalc();

        const QString scoreFile = GetParamValue(QStringLiteral("ScoreFile")).toString();
        if (!IsFileAttr(scoreFile, 0)) {
            ClearCalcValues();
            showError(this, msg::scoreFileNotFound() + msg::crlf() + scoreFile);
            if (user.truShowMe())
                user.focusFileName();
            EnableResultCommands(false);
            return;
        }
        if (TableStringList(1).isEmpty() || TableStringList(2).isEmpty()) {
            ClearCalcValues();
            showError(this, msg::selectTableKinds());
            EnableResultCommands(false);
            return;
        }

        busy.emplace();
        // An exit signal stops the run where it is: counting or reading.
        const CancelFlag *cancel = exitRequestedFlag();
        const qint32 lines = CountScoreFileLines(cancel);
        const qint32 checkLine = GetParamValue(QStringLiteral("CheckLine")).toInt();
        if (lines > checkLine) {
            frmStatus &status = frmStatus::instance();
            status.show();
            // The bar's maximum only scales the bar: a log too long for it is
            // left to the pass, which reports it in its own words.
            const double steps = double(lines) / double(checkLine);
            status.truStausInit(
                toInt16(std::min(steps, double(std::numeric_limits<qint16>::max()))),
                msg::calcInProgress());
        }

        PassHooks hooks;
        hooks.cancel = cancel;
        hooks.statusChange = [](qint16 value) {
            frmStatus::instance().truStatusChange(value);
        };
        bool cancelled = false;
        hooks.reportError = [this, &busy, &cancelled](const Error &error, qint64) {
            if (error.kind() == ErrorKind::Cancelled) {
                cancelled = true;
                return;
            }
            busy.reset(); // no hourglass over a message box
            showMessage(this, QMessageBox::Critical, msg::titleCalcError(), error.description());
        };
        const bool ok = CalcScoreFile(hooks);
        if (cancelled) {
            // The program is on its way out: what the pass gathered is
            // neither shown nor kept.
            ClearCalcValues();
            EnableResultCommands(false);
            frmStatus::unload();
            return;
        }

        if (!ok || GetCalcValue(0).toInt() < 1) {
            ClearCalcValues();
            busy.reset();
            showMessage(this, QMessageBox::Warning, msg::titleConfirm(), msg::noValidData());
            EnableResultCommands(false);
        } else {
            EnableResultCommands(true);
        }

        if (frmRank::instance().trrShowMe())
            frmRank::instance().trSetRankValues();
        if (frmStage::instance().trsShowMe())
            frmStage::instance().trSetStageValues();
        if (frmWin::instance().trwShowMe())
            frmWin::instance().trSetWinValues();
        if (frmGraph::instance().trgShowMe())
            frmGraph::instance().trGraphDraw();

        frmStatus::unload();
    } catch (const Error &) {
        busy.reset();
        showError(this, msg::calcFailed() + msg::crlf() + msg::checkSettings());
        frmStatus::unload();
        EnableResultCommands(false);
    }
}

} // namespace norva
