#include "gui/app/startup.h"

#include "core/calc/session.h"
#include "core/common/exitsignals.h"
#include "core/common/fileops.h"
#include "core/common/messages.h"
#include "gui/widgets/icons.h"
#include "gui/widgets/messagebox.h"
#include "gui/windows/mainwindow.h"

#include <QApplication>
#include <QFont>
#include <QLocale>

namespace norva {

void installJapaneseInterface()
{
    QFont::insertSubstitution(QStringLiteral("ＭＳ ゴシック"), QStringLiteral("IPAGothic"));
    QFont::insertSubstitution(QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAPGothic"));
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
}

QString scoreFileArgument(const QStringList &arguments)
{
    for (const QString &a : arguments)
        if (!a.isEmpty() && !a.startsWith(u'-'))
            return fileops::absolutePath(a);
    return {};
}

bool startProgram(Session &session, QPointer<MainWindow> &window, const StartOptions &options)
{
    installJapaneseInterface();
    QApplication::setWindowIcon(programIcon());

    window = new MainWindow(session, options.graphs);
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
    const bool tablesRead = session.loadTables();
    if (!options.scoreFile.isEmpty())
        session.useScoreFileForThisRun(options.scoreFile);
    main->setSizeTwips(session.settings().mainWidth(), session.settings().mainHeight());
    // Shown first, so that the messages of the start and the calculation at
    // start-up with its status window show over it.
    main->show();
    if (!session.files().chosenHome.isEmpty())
        showMessage(main, QMessageBox::Warning, msg::titleConfirm(),
                    msg::homeChosen(session.files().chosenHome));
    if (main && session.settings().fileState() == Settings::FileState::Unclean)
        showMessage(main, QMessageBox::Warning, msg::titleConfirm(),
                    msg::settingsReadUncleanly(session.files().settingsFile,
                                               session.settings().backupPath()));
    if (main && !tablesRead)
        showError(main, msg::tableFileReadFailed() + msg::crlf() + session.files().tablesFile);
    // A signal that arrived while a message was up ends the program here.
    if (main && main->closeRequested())
        main->close();
    if (!main || main->hasExited())
        return false;
    main->load(!options.scoreFile.isEmpty() && !session.settings().userName().isEmpty());
    return main && !main->hasExited();
}

} // namespace norva
