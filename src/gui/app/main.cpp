#include "core/calc/session.h"
#include "gui/app/startup.h"
#include "gui/windows/mainwindow.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("norva"));
    // The interface is Japanese whatever the system's language: Qt's own
    // dialogs (files, printer, colours) too, where Qt's translations exist.
    QTranslator qtJapanese;
    if (qtJapanese.load(QStringLiteral("qtbase_ja"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtJapanese);
    norva::Session session(norva::FileLocations::ofProgram());
    QPointer<norva::MainWindow> window;
    if (!norva::startProgram(session, window)) {
        delete window.data();
        return 0;
    }
    const int rc = QApplication::exec();
    delete window.data();
    return rc;
}
