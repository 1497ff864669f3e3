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

namespace norva {

void installFontSubstitutions()
{
    QFont::insertSubstitution(QStringLiteral("ＭＳ ゴシック"), QStringLiteral("IPAGothic"));
    QFont::insertSubstitution(QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAPGothic"));
}

void Main()
{
    installFontSubstitutions();
    QApplication::setWindowIcon(programIcon());

    auto *main = new frmMain;
    LoadParamFile();
    if (!LoadTableInfo())
        showError(main, msg::tableFileReadFailed() + msg::crlf() + tableInfoFilePath());
    main->setSizeTwips(GetParamValue(QStringLiteral("MainWidth")).toLongLong(),
                       GetParamValue(QStringLiteral("MainHeight")).toLongLong());
    main->MDIForm_Load();
    main->show();

    installExitSignalHandlers([] {
        if (frmMain *m = frmMain::instance())
            m->closeFromSignal();
        else
            QCoreApplication::quit();
    });
}

} // namespace norva
