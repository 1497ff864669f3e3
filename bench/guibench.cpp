// norva-bench-gui: the calculation as the program runs it (Edit > Calculate
// with every window open: line count, status window, pass, result windows and
// graph) against norva-calc's calculation of the same log, on a large
// generated log with the default settings; then the time from a game appended
// to a copy of that log to the open windows showing it, as the program follows
// the log.
//
//   norva-bench-gui [--games N] [--runs N] [--log FILE]
//
// Run it on the screen it is to be measured on (xvfb-run, or the offscreen
// platform for the calculation alone).

#include "benchutil.h"
#include "cli/calccommand.h"
#include "core/calc/calcresults.h"
#include "core/calc/scorepass.h"
#include "core/calc/session.h"
#include "core/settings/settings.h"
#include "gui/app/startup.h"
#include "gui/widgets/messagebox.h"
#include "gui/windows/calculationcommand.h"
#include "gui/windows/graphwindow.h"
#include "gui/windows/mainwindow.h"
#include "gui/windows/statuswindow.h"
#include "gui/windows/userwindow.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

using namespace norva;

namespace {

using bench::summary;
using bench::timeIt;
using bench::Timing;

void print(const char *what, Timing t, Timing base)
{
    std::printf("%-44s %8.1f ms  (median %8.1f ms)  %5.2fx norva-calc\n", what, t.best * 1e3,
                t.median * 1e3, t.best / base.best);
}

bool writeFile(const QString &path, const QByteArray &data)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(data) == data.size();
}

// count games, each one game of the log's owner after the log's games that the
// settings of session count.
std::vector<QByteArray> countedGames(Session &session, const QString &scratch, int count)
{
    std::vector<QByteArray> games;
    for (int n = 1; int(games.size()) < count && n < 100 * count; ++n) {
        const QByteArray game = bench::nextGame(n);
        if (!writeFile(scratch, game))
            break;
        PassSettings settings = PassSettings::from(session.settings());
        settings.scoreFile = scratch;
        ScorePass pass(settings, session.tables());
        CalcResults results;
        if (pass.run(results) && results.gameCount() == 1)
            games.push_back(game);
    }
    return games;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QCommandLineParser p;
    p.addHelpOption();
    const bench::LogOptions logOpts;
    p.addOptions({logOpts.games, logOpts.runs, logOpts.log});
    p.process(app);
    const int runs = logOpts.runCount(p);

    QTemporaryDir dir;
    const QString log = logOpts.logPath(p, dir.filePath(QStringLiteral("MjScore.txt")));
    if (!bench::makeLog(log, logOpts.gameCount(p)))
        return 1;
    // The program's folder: the bundled table definitions, settings naming
    // the log's owner, every window open, the default CheckLine.
    const FileLocations files = FileLocations::portable(dir.path());
    QFile::copy(QStringLiteral(NORVA_SOURCE_DATA "/norva.dat"),
                dir.filePath(QStringLiteral("norva.dat")));
    const QString ini = dir.filePath(QStringLiteral("norva.ini"));
    if (!writeFile(ini, QByteArrayLiteral("[norva]\r\nUserName=\x82\xA9\x82\xE0\x82\xDF\r\n"
                                          "SpecifyDate=False\r\nScoreFile=")
                            + QFile::encodeName(log) + "\r\n")) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(ini));
        return 1;
    }

    // norva-calc's calculation, in this process, its JSON thrown away.
    QString sink;
    QTextStream out(&sink);
    QTextStream err(&sink);
    const QStringList cliArgs{QStringLiteral("--ini"), ini, QStringLiteral("--json")};
    int rc = 0;
    Session cliSession(files);
    const auto runCli = [&] {
        sink.clear();
        rc = cli::runCalc(cliArgs, out, err, cliSession);
    };
    runCli();
    if (rc != 0) {
        std::fprintf(stderr, "norva-calc failed (%d)\n", rc);
        return 1;
    }
    const qint32 games = cliSession.results().gameCount();
    const qint32 lines = countScoreFileLines(log);

    // norva-calc as the user runs it: a process, its JSON thrown away.
    const auto runProcess = [&] {
        QProcess p;
        p.setStandardOutputFile(QProcess::nullDevice());
        p.start(QStringLiteral(NORVA_CALC_EXE), cliArgs);
        p.waitForFinished(-1);
    };

    msgbox::setResponderForTests([](const ShownBox &b) {
        std::fprintf(stderr, "box: %s\n", qPrintable(b.text));
        return QMessageBox::Ok;
    });
    Session session(files);
    QPointer<MainWindow> main;
    startProgram(session, main);
    if (!main) {
        std::fprintf(stderr, "the main window did not open\n");
        return 1;
    }
    (void)QTest::qWaitForWindowExposed(main);
    QTest::qWait(200);
    const auto runGui = [&] {
        main->calculation().calculate();
        QCoreApplication::processEvents();
    };
    // The runs take turns, so that what else the machine does falls on all
    // of them alike.
    std::vector<double> cliTimes, processTimes, guiTimes, noGraphTimes;
    for (int i = 0; i < runs; ++i) {
        cliTimes.push_back(timeIt(1, runCli).best);
        processTimes.push_back(timeIt(1, runProcess).best);
        guiTimes.push_back(timeIt(1, runGui).best);
    }
    const bool same = session.results().gameCount() == games;
    for (QMdiSubWindow *w : main->mdiArea()->subWindowList())
        if (w->objectName() == QStringLiteral("frmGraph"))
            w->close();
    QCoreApplication::processEvents();
    for (int i = 0; i < runs; ++i) {
        cliTimes.push_back(timeIt(1, runCli).best);
        noGraphTimes.push_back(timeIt(1, runGui).best);
    }
    const Timing cli = summary(cliTimes);
    const Timing process = summary(processTimes);
    const Timing gui = summary(guiTimes);
    const Timing noGraph = summary(noGraphTimes);

    // The status window alone: a pass of the log reports this many steps.
    const qint16 steps = qint16(qMin(lines / session.settings().checkLine(), 32767));
    const Timing status = timeIt(runs, [&] {
        StatusWindow window(main);
        window.show();
        window.begin(steps, QStringLiteral("結果計算中"));
        for (qint16 v = 1; v <= steps; ++v)
            window.setProgress(v);
    });

    std::printf("log: %s\n  %.1f MB, %d lines, %d games counted, CheckLine %d, platform %s\n",
                qPrintable(log), double(QFileInfo(log).size()) / 1e6, lines, games,
                session.settings().checkLine(), qPrintable(QGuiApplication::platformName()));
    print("norva-calc (--json, in process)", cli, cli);
    print("norva-calc (--json, a process)", process, cli);
    print("Edit > Calculate, every window open", gui, cli);
    print("Edit > Calculate, every window but the graph", noGraph, cli);
    print(qPrintable(QStringLiteral("status window alone, %1 steps").arg(steps)), status, cli);

    // Following: a game appended to a copy of the log, timed from the write
    // until every open window shows it (the watcher's event, the update, the
    // result windows and the graph redrawn, their paints done).
    main->graphWindow().show();
    const QString followed = dir.filePath(QStringLiteral("followed.txt"));
    QFile::remove(followed);
    bool followOk = QFile::copy(log, followed);
    // The settings window is open: the calculation takes its box over.
    session.settings().setValue(Settings::ScoreFile, followed);
    main->userWindow().setFileName(followed);
    main->calculation().calculate();
    QCoreApplication::processEvents();
    followOk = followOk && main->calculation().isFollowing();
    const auto *gameCount = main->findChild<QLabel *>(QStringLiteral("lblAllNum"));
    std::vector<double> followTimes;
    for (const QByteArray &game :
         countedGames(session, dir.filePath(QStringLiteral("game.txt")), std::max(10, runs))) {
        if (!followOk)
            break;
        // Apart from the last change by more than the watcher's quiet time.
        QTest::qWait(300);
        const qint32 want = session.results().gameCount() + 1;
        QElapsedTimer t;
        t.start();
        followOk = bench::append(followed, game);
        while (session.results().gameCount() != want && t.elapsed() < 10000)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        QCoreApplication::processEvents(); // the paints
        followTimes.push_back(double(t.nsecsElapsed()) / 1e9);
        followOk = followOk && gameCount && gameCount->text() == QString::number(want);
    }
    if (!followTimes.empty()) {
        const Timing f = summary(followTimes);
        std::printf("%-44s %8.2f ms  (median %8.2f ms, worst %.2f ms, %zu games)\n",
                    "followed: a game appended to windows updated", f.best * 1e3, f.median * 1e3,
                    *std::max_element(followTimes.begin(), followTimes.end()) * 1e3,
                    followTimes.size());
    }
    followOk = followOk && followTimes.size() >= 10;
    // Where that time goes: the open windows shown again, the graph alone.
    const Timing windows = timeIt(runs, [&] { main->refreshResultWindows(); });
    const Timing graph = timeIt(runs, [&] { main->graphWindow().redraw(); });
    std::printf("%-44s %8.2f ms  (median %8.2f ms)\n", "  of which every open window shown again",
                windows.best * 1e3, windows.median * 1e3);
    std::printf("%-44s %8.2f ms  (median %8.2f ms)\n", "  of which the graph redrawn",
                graph.best * 1e3, graph.median * 1e3);
    std::printf("%s\n", same ? "ok: the same games counted" : "FAILED: the results differ");
    std::printf("%s\n", followOk ? "ok: every game appended shown"
                                 : "FAILED: a game appended was not shown");
    main->close();
    QCoreApplication::processEvents();
    delete main.data();
    return same && followOk ? 0 : 1;
}
