#include "gui/app/startup.h"

#include "core/common/exitsignals.h"
#include "gui/widgets/icons.h"
#include "gui/widgets/messagebox.h"
#include "gui/windows/mainwindow.h"

#include "core/common/messages.h"
#include "core/settings/settings.h"
#include "core/tables/tableinfo.h"

#include <QApplication>
#include <QFont>
#include <QPointer>

namespace norva {

void installFontSubstitutions()
{
    QFont::insertSubstitution(QStringLiteral("ＭＳ ゴシック"), QStringLiteral("IPAGothic"));
    QFont::insertSubstitution(QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAPGothic"));
}

bool startProgram()
{
    installFontSubstitutions();
    QApplication::setWindowIcon(programIcon());
    // From the start: a signal that arrives before the event loop runs is
    // handled as soon as it does.
    installExitSignalHandlers([] {
        if (MainWindow *m = MainWindow::instance())
            m->closeFromSignal();
        else
            QCoreApplication::quit();
    });

    const QPointer<MainWindow> main = new MainWindow;
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
    main->load();
    if (!main || main->hasExited())
        return false;
    main->show();
    return true;
}

} // namespace norva
