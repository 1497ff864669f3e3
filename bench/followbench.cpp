// norva-bench-follow: following a large log while games are added to it, on a
// copy of the benchmarks' log.
//
//   norva-bench-follow [--games N] [--runs N] [--log FILE] [--evening N]
//
// Prints the time to bring the results up to date after one game was added
// (the update the program and norva-calc --follow make), the time from the
// write of a game to norva-calc --follow's line for it, and the resident
// memory over an evening of updates.

#include "benchutil.h"
#include "core/calc/calcresults.h"
#include "core/calc/calculation.h"
#include "core/calc/session.h"
#include "core/settings/settings.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <vector>

#include <unistd.h>

using namespace norva;

namespace {

using bench::append;
using bench::nextGame;

// The resident memory of a process, in MB (this one for 0).
double residentMB(qint64 pid = 0)
{
    QFile f(pid ? QStringLiteral("/proc/%1/statm").arg(pid) : QStringLiteral("/proc/self/statm"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    const QList<QByteArray> fields = f.readAll().split(' ');
    return fields.size() > 1 ? double(fields[1].toLongLong() * ::sysconf(_SC_PAGESIZE)) / 1e6 : -1;
}

void print(const char *what, const std::vector<double> &times)
{
    if (times.empty()) {
        std::printf("%-46s no runs\n", what);
        return;
    }
    const bench::Timing t = bench::summary(times);
    std::vector<double> sorted = times;
    std::sort(sorted.begin(), sorted.end());
    std::printf("%-46s best %6.2f ms  median %6.2f ms  worst %6.2f ms  (%zu runs)\n", what,
                t.best * 1e3, t.median * 1e3, sorted.back() * 1e3, times.size());
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser p;
    p.addHelpOption();
    const bench::LogOptions logOpts;
    const QCommandLineOption evening(QStringLiteral("evening"),
                                     QStringLiteral("Updates of an evening (1000)."),
                                     QStringLiteral("N"), QStringLiteral("1000"));
    p.addOptions({logOpts.games, logOpts.runs, logOpts.log, evening});
    p.process(app);
    const int runs = std::max(10, logOpts.runCount(p));

    QTemporaryDir dir;
    const QString source = logOpts.logPath(p, dir.filePath(QStringLiteral("MjScore.txt")));
    if (!bench::makeLog(source, logOpts.gameCount(p)))
        return 1;
    const QString log = dir.filePath(QStringLiteral("followed.txt"));
    if (!QFile::copy(source, log)) {
        std::fprintf(stderr, "cannot copy %s\n", qPrintable(source));
        return 1;
    }
    FileLocations files = FileLocations::portable(dir.path());
    files.tablesFile = QStringLiteral(NORVA_SOURCE_DATA "/norva.dat");
    Session session(files);
    if (!session.loadTables())
        return 1;
    Settings &settings = session.settings();
    settings.setValue(Settings::ScoreFile, log);
    settings.setValue(Settings::UserName, QStringLiteral("かもめ"));
    settings.setValue(Settings::SpecifyDate, false);
    settings.setValue(Settings::CheckLine, 1000);
    // Every table kind, so that every game added counts.
    settings.setValue(Settings::TableKind1, -1);
    settings.setValue(Settings::TableKind2, -1);
    std::printf("log: %.1f MB\n", double(QFileInfo(log).size()) / 1e6);

    // One game added, then the update, again and again.
    Calculation calculation;
    CalcResults &results = session.results();
    QElapsedTimer t;
    t.start();
    calculation.run(settings, session.tables(), results);
    std::printf("whole calculation first: %.1f ms, %d games\n", double(t.nsecsElapsed()) / 1e6,
                results.gameCount());
    int added = 0;
    std::vector<double> updates;
    bool ok = true;
    for (int i = 0; i < runs; ++i) {
        const qint32 before = results.gameCount();
        ok = ok && append(log, nextGame(++added));
        t.restart();
        const Calculation::Update u = calculation.update(results);
        updates.push_back(double(t.nsecsElapsed()) / 1e9);
        ok = ok && u.change == Calculation::Change::Updated && results.gameCount() == before + 1;
    }
    print("update after one game added (in process)", updates);

    // norva-calc --follow: from the write of a game to its line.
    QFile ini(dir.filePath(QStringLiteral("norva.ini")));
    ok = ok && ini.open(QIODevice::WriteOnly)
         && ini.write("[norva]\r\nUserName=\x82\xA9\x82\xE0\x82\xDF\r\nSpecifyDate=False\r\n"
                      "TableKind1=-1\r\nTableKind2=-1\r\nCheckLine=1000\r\n")
                > 0;
    ini.close();
    QProcess follower;
    follower.start(QStringLiteral(NORVA_CALC_EXE),
                   {QStringLiteral("--ini"), ini.fileName(), QStringLiteral("--dat"),
                    files.tablesFile, QStringLiteral("--log"), log, QStringLiteral("--follow")});
    auto gamesOfNextLine = [&follower] {
        // A line holds every game's figures: it comes in pieces.
        while (!follower.canReadLine())
            if (!follower.waitForReadyRead(30000))
                return -1;
        return QJsonDocument::fromJson(follower.readLine())
            .object()
            .value(QStringLiteral("GameCount"))
            .toInt(-1);
    };
    qint32 shown = gamesOfNextLine();
    std::vector<double> lines;
    for (int i = 0; i < runs && shown > 0; ++i) {
        // Apart from the last change by more than the follower's quiet time.
        QThread::msleep(300);
        ok = ok && append(log, nextGame(++added));
        t.restart();
        while (shown >= 0 && shown < results.gameCount() + 1 + i)
            shown = gamesOfNextLine();
        lines.push_back(double(t.nsecsElapsed()) / 1e9);
    }
    print("norva-calc --follow, write to line", lines);
    ok = ok && shown > 0;

    // An evening: many games, one update each; the memory the updates keep.
    const int count = p.value(evening).toInt();
    std::printf("\nresident memory over %d updates of a game each (MB):\n", count);
    std::printf("  %-8s %10s %12s\n", "updates", "in process", "--follow");
    for (int i = 1; i <= count && ok; ++i) {
        ok = append(log, nextGame(++added));
        calculation.update(results);
        if (i == 1 || i == 10 || i == 100 || i % 250 == 0 || i == count) {
            // The follower's own updates take their time: let it catch up.
            while (shown >= 0 && shown < results.gameCount())
                shown = gamesOfNextLine();
            std::printf("  %-8d %10.1f %12.1f\n", i, residentMB(),
                        residentMB(follower.processId()));
        }
    }
    follower.terminate();
    follower.waitForFinished(10000);
    std::printf("\n%s: %d games counted at the end, norva-calc --follow ended with %d\n",
                ok ? "ok" : "FAILED", results.gameCount(), follower.exitCode());
    return ok ? 0 : 1;
}
