// norva-calc: the calculation of norva from the command line.

#include "cli/calccommand.h"

#include "core/calc/session.h"
#include "core/common/fileops.h"

#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("norva-calc"));
    QTextStream out(stdout);
    QTextStream err(stderr);
    // File names are taken as the system gives them, valid UTF-8 or not.
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << norva::fileops::decodeName(argv[i]);
    norva::Session session(norva::FileLocations::ofProgram());
    return norva::cli::runCalc(args, out, err, session, norva::fileops::standardErrorIsTerminal());
}
