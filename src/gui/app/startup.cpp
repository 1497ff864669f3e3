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

#include <cstdio>

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
    // Icons are drawn by Qt's SVG plugins, loaded at run time: where they are
    // missing the toolbar stays blank, and the terminal says why.
    if (programIcon().pixmap(QSize(32, 32)).isNull())
        std::fputs("norva: アイコンを描けません。Qt の SVG プラグイン (libqt6svg6) "
                   "がありません。\n",
                   stderr);

    window = new MainWindow(session, options.graphs);
    if (options.dialogs)
        window->setDialogRunner(*options.dialogs);
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
    // A signal that arrived during the start (before the window existed, or
    // while a message was up) ends the program here, through its exit path.
    if (main && (main->closeRequested() || exitRequestedFlag()->load()))
        main->close();
    if (!main || main->hasExited())
        return false;
    main->load(!options.scoreFile.isEmpty());
    return main && !main->hasExited();
}

} // namespace norva
