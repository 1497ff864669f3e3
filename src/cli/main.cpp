// norva-calc: the calculation of norva from the command line.

#include "calccommand.h"

#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>
#include <unistd.h>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("norva-calc"));
    QTextStream out(stdout);
    QTextStream err(stderr);
    QStringList args = QCoreApplication::arguments();
    args.removeFirst();
    return norva::cli::runCalc(args, out, err, ::isatty(STDERR_FILENO) == 1);
}
