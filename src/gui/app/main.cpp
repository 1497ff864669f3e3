#include "core/calc/session.h"
#include "core/common/exitsignals.h"
#include "core/common/fileops.h"
#include "gui/app/startup.h"
#include "gui/windows/mainwindow.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

int main(int argc, char *argv[])
{
    // A termination signal during the start waits for the event loop, which
    // then closes the program through its exit path.
    norva::holdExitSignals();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("norva"));
    // The window system finds the installed desktop entry and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.norva.Norva"));
    // The interface is Japanese whatever the system's language: Qt's own
    // dialogs (files, printer, colours) too, where Qt's translations exist.
    QTranslator qtJapanese;
    if (qtJapanese.load(QStringLiteral("qtbase_ja"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtJapanese);
    // A file given on the command line (the desktop's "Open with") is the
    // score log of this run.
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << norva::fileops::decodeName(argv[i]);
    norva::StartOptions options;
    options.scoreFile = norva::scoreFileArgument(arguments);
    norva::Session session(norva::FileLocations::ofProgram());
    QPointer<norva::MainWindow> window;
    if (!norva::startProgram(session, window, options)) {
        delete window.data();
        return 0;
    }
    const int rc = QApplication::exec();
    delete window.data();
    return rc;
}
