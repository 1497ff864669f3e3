#include "guiutil.h"

#include <memory>

namespace guiutil {

namespace {

struct Program
{
    std::unique_ptr<norva::Session> session;
    QPointer<norva::MainWindow> window;
    ScriptedDialogs dialogs;
    const norva::GraphSource *graphs = nullptr;
};

Program &program()
{
    static Program p;
    return p;
}

} // namespace

bool startProgram(const QString &folder, const QString &scoreFile)
{
    Program &p = program();
    const testutil::ProgramDir *dir = testutil::ProgramDir::current();
    // A window of an earlier test that is still closing keeps its session.
    if (p.window)
        delete p.window.data();
    p.session =
        std::make_unique<norva::Session>(!folder.isEmpty() ? norva::FileLocations::portable(folder)
                                         : dir             ? dir->locations()
                                                           : norva::FileLocations::ofProgram());
    norva::StartOptions options;
    options.graphs = p.graphs;
    options.scoreFile = scoreFile;
    options.dialogs = &p.dialogs;
    return norva::startProgram(*p.session, p.window, options);
}

QPointer<norva::MainWindow> start(const QString &folder, const QString &scoreFile)
{
    startProgram(folder, scoreFile);
    QPointer<norva::MainWindow> m = program().window;
    if (m)
        (void)QTest::qWaitForWindowExposed(m);
    return m;
}

void setGraphSource(const norva::GraphSource *source)
{
    program().graphs = source;
}

norva::Session &session()
{
    Program &p = program();
    if (!p.session)
        p.session = std::make_unique<norva::Session>(norva::FileLocations::ofProgram());
    return *p.session;
}

norva::MainWindow *mainWindow()
{
    return program().window;
}

ScriptedDialogs &dialogs()
{
    return program().dialogs;
}

} // namespace guiutil
