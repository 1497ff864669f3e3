#include "basMain.h"

#include "frmMain.h"
#include "icons.h"
#include "msgbox.h"
#include "signals.h"

#include "common/messages.h"
#include "settings/basParam.h"
#include "tables/basTableInfo.h"

#include <QApplication>
#include <QFont>
#include <QPointer>

namespace norva {

void installFontSubstitutions()
{
    QFont::insertSubstitution(QStringLiteral("ＭＳ ゴシック"), QStringLiteral("IPAGothic"));
    QFont::insertSubstitution(QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAPGothic"));
}

bool Main()
{
    installFontSubstitutions();
    QApplication::setWindowIcon(programIcon());
    // From the start: a signal that arrives before the event loop runs is
    // handled as soon as it does.
    installExitSignalHandlers([] {
        if (frmMain *m = frmMain::instance())
            m->closeFromSignal();
        else
            QCoreApplication::quit();
    });

    const QPointer<frmMain> main = new frmMain;
    LoadParamFile();
    if (paramFileState() == ParamFileState::Unclean)
        showMessage(main, QMessageBox::Warning, msg::titleConfirm(),
                    msg::settingsReadUncleanly(paramFilePath(), paramBackupPath()));
    if (main && !LoadTableInfo())
        showError(main, msg::tableFileReadFailed() + msg::crlf() + tableInfoFilePath());
    // A signal that arrived while the message was up ends the program here.
    if (main && main->closeRequested())
        main->close();
    if (!main || main->hasExited())
        return false;
    main->setSizeTwips(GetParamValue(QStringLiteral("MainWidth")).toLongLong(),
                       GetParamValue(QStringLiteral("MainHeight")).toLongLong());
    main->MDIForm_Load();
    if (!main || main->hasExited())
        return false;
    main->show();
    return true;
}

} // namespace norva
