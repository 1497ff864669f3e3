#include "gui/app/startup.h"

#include "core/calc/session.h"
#include "core/common/exitsignals.h"
#include "core/common/messages.h"
#include "gui/widgets/icons.h"
#include "gui/widgets/messagebox.h"
#include "gui/windows/mainwindow.h"

#include <QApplication>
#include <QFont>

namespace norva {

void installFontSubstitutions()
{
    QFont::insertSubstitution(QStringLiteral("ＭＳ ゴシック"), QStringLiteral("IPAGothic"));
    QFont::insertSubstitution(QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAPGothic"));
}

bool startProgram(Session &session, QPointer<MainWindow> &window, const GraphSource *graphs)
{
    installFontSubstitutions();
    QApplication::setWindowIcon(programIcon());

    window = new MainWindow(session, graphs);
    // Before anything can show a box: a signal that arrives before the event
    // loop runs is handled as soon as it does.
    installExitSignalHandlers([main = window] {
        if (main)
            main->closeFromSignal();
        else
            QCoreApplication::quit();
    });

    const QPointer<MainWindow> main = window;
    session.loadSettings();
    if (session.settings().fileState() == Settings::FileState::Unclean)
        showMessage(main, QMessageBox::Warning, msg::titleConfirm(),
                    msg::settingsReadUncleanly(session.files().settingsFile,
                                               Settings::backupPath(session.files().settingsFile)));
    if (main && !session.loadTables())
        showError(main, msg::tableFileReadFailed() + msg::crlf() + session.files().tablesFile);
    // A signal that arrived while the message was up ends the program here.
    if (main && main->closeRequested())
        main->close();
    if (!main || main->hasExited())
        return false;
    main->setSizeTwips(session.settings().mainWidth(), session.settings().mainHeight());
    main->load();
    if (!main || main->hasExited())
        return false;
    main->show();
    return true;
}

} // namespace norva
