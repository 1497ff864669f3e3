// norva-bench: generates a large realistic score log with a fixed seed and
// times the whole calculation against a plain read of the same file and
// against wc -l.
//
//   norva-bench [--games N] [--runs N] [--keep DIR]

#include "benchutil.h"
#include "core/calc/calcresults.h"
#include "core/calc/scorepass.h"
#include "core/calc/session.h"
#include "core/common/cp932.h"
#include "core/common/error.h"
#include "core/common/textfile.h"
#include "core/settings/settings.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

using namespace norva;

namespace {

using bench::timeIt;
using bench::Timing;

// The I/O floor: the file read in 1 MiB blocks, nothing else.
qint64 readPlain(const QString &path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY);
    if (fd < 0)
        return -1;
    std::vector<char> buf(1 << 20);
    qint64 total = 0;
    for (;;) {
        const ssize_t n = ::read(fd, buf.data(), buf.size());
        if (n <= 0)
            break;
        total += n;
    }
    ::close(fd);
    return total;
}

void print(const char *what, Timing t, double bytes, double lines, double floor)
{
    std::printf("%-26s %7.1f ms  %6.0f MB/s  %6.2f M lines/s  %5.1fx the plain read  "
                "(median %.1f ms)\n",
                what, t.best * 1e3, bytes / t.best / 1e6, lines / t.best / 1e6, t.best / floor,
                t.median * 1e3);
}

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser p;
    p.addHelpOption();
    const bench::LogOptions logOpts;
    const QCommandLineOption shareOpt(QStringLiteral("owner-share"),
                                      QStringLiteral("Share of games with the user (1)."),
                                      QStringLiteral("X"), QStringLiteral("1"));
    const QCommandLineOption passOnly(QStringLiteral("pass-only"),
                                      QStringLiteral("Time the pass alone (for a profiler)."));
    p.addOptions({logOpts.games, logOpts.runs, shareOpt, logOpts.log, passOnly});
    p.process(app);
    const int runs = logOpts.runCount(p);

    QTemporaryDir tmp;
    const QString path = logOpts.logPath(p, tmp.filePath(QStringLiteral("MjScore.txt")));
    if (!bench::makeLog(path, logOpts.gameCount(p), p.value(shareOpt).toDouble()))
        return 1;

    FileLocations files = FileLocations::portable(tmp.path());
    files.tablesFile = QStringLiteral(NORVA_SOURCE_DATA "/norva.dat");
    Session session(files);
    if (!session.loadTables()) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(files.tablesFile));
        return 1;
    }
    Settings &settings = session.settings();
    CalcResults &results = session.results();
    settings.setValue(Settings::ScoreFile, path);
    settings.setValue(Settings::UserName, QStringLiteral("かもめ"));
    settings.setValue(Settings::SpecifyDate, false);

    const double bytes = double(QFileInfo(path).size());
    readPlain(path); // into the page cache
    const qint32 lines = countScoreFileLines(path);
    // The progress step must fit 16 bits: lines / CheckLine below 32768.
    settings.setValue(Settings::CheckLine, std::max<qint32>(100, lines / 32000 + 1));
    std::printf("log: %s\n  %.1f MB, %d lines, CheckLine %d\n", qPrintable(path), bytes / 1e6,
                lines, settings.checkLine());
    ScorePass pass(PassSettings::from(settings), session.tables());

    if (p.isSet(passOnly)) {
        const Timing t = timeIt(runs, [&] { pass.run(results); });
        print("ScorePass", t, bytes, lines, t.best);
        return 0;
    }
    const Timing floor = timeIt(runs, [&] { readPlain(path); });
    const Timing lineRead = timeIt(runs, [&] {
        LineReader r(path);
        QByteArrayView l;
        qint64 n = 0;
        while (r.next(l))
            ++n;
    });
    const Timing count = timeIt(runs, [&] { countScoreFileLines(path); });
    bool ok = true;
    QString failure;
    PassHooks hooks;
    qint64 steps = 0;
    hooks.statusChange = [&](qint16) {
        ++steps;
    };
    hooks.reportError = [&](const Error &e, qint64 line) {
        failure = e.description() + QStringLiteral(" line %1").arg(line);
    };
    const Timing fast = timeIt(runs, [&] { ok = pass.run(results, hooks) && ok; });
    const ScorePassMode mode = pass.modeUsed();
    // With the dates of every game read (the default): a range of all years.
    PassSettings dated = PassSettings::from(settings);
    dated.specifyDate = true;
    dated.startDate = QDate(1930, 1, 1);
    dated.endDate = QDate(2029, 12, 31);
    dated.endTime = QTime(23, 59);
    ScorePass datedPass(dated, session.tables());
    const Timing withDates = timeIt(runs, [&] { ok = datedPass.run(results, hooks) && ok; });
    ok = ok && results.value(calc::GameCount).toInt() > 0;
    const qint32 games = results.value(calc::GameCount).toInt();
    const qint32 hands = results.value(calc::HandCount).toInt();
    pass.setMode(ScorePassMode::Plain);
    const Timing plainPass =
        timeIt(std::max(1, runs / 2), [&] { ok = pass.run(results, hooks) && ok; });
    const bool same = results.value(calc::GameCount).toInt() == games
                      && results.value(calc::HandCount).toInt() == hands;

    // The memory of the passes, before the conversion below holds the log.
    struct rusage ru;
    ::getrusage(RUSAGE_SELF, &ru);
    const double passMemory = double(ru.ru_maxrss) / 1024.0;

    // The same log converted to UTF-8, on its byte path.
    const QString utf8Path = tmp.filePath(QStringLiteral("MjScore-utf8.txt"));
    {
        QFile f(utf8Path);
        if (!f.open(QIODevice::WriteOnly) || f.write(cp932::decode(readAll(path)).toUtf8()) < 0) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(utf8Path));
            return 1;
        }
    }
    const double utf8Bytes = double(QFileInfo(utf8Path).size());
    readPlain(utf8Path);
    PassSettings utf8Settings = PassSettings::from(settings);
    utf8Settings.scoreFile = utf8Path;
    ScorePass utf8Pass(utf8Settings, session.tables());
    const Timing utf8 = timeIt(runs, [&] { ok = utf8Pass.run(results, hooks) && ok; });
    const bool utf8Same = utf8Pass.modeUsed() == ScorePassMode::Fast
                          && results.value(calc::GameCount).toInt() == games
                          && results.value(calc::HandCount).toInt() == hands;

    // As a user runs them, processes taking turns: wc -l, and norva-calc.
    const auto timeProcess = [](const QString &program, const QStringList &args) {
        QProcess p;
        p.setStandardOutputFile(QProcess::nullDevice());
        QElapsedTimer t;
        t.start();
        p.start(program, args);
        p.waitForFinished(-1);
        return p.exitCode() == 0 ? double(t.nsecsElapsed()) / 1e9 : 1e9;
    };
    std::vector<double> wcTimes, calcTimes;
    for (int i = 0; i < runs; ++i) {
        wcTimes.push_back(timeProcess(QStringLiteral("wc"), {QStringLiteral("-l"), path}));
        calcTimes.push_back(
            timeProcess(QStringLiteral(NORVA_CALC_EXE),
                        {QStringLiteral("--dat"), files.tablesFile, QStringLiteral("--log"), path,
                         QStringLiteral("--user"), QStringLiteral("かもめ"),
                         QStringLiteral("--all-dates"), QStringLiteral("--json")}));
    }
    const Timing wc = bench::summary(wcTimes);
    const Timing calcProcess = bench::summary(calcTimes);

    std::printf("\n");
    print("wc -l (a process)", wc, bytes, lines, floor.best);
    print("norva-calc --json (a process)", calcProcess, bytes, lines, floor.best);
    print("plain read (read 1 MiB)", floor, bytes, lines, floor.best);
    print("lines (LineReader)", lineRead, bytes, lines, floor.best);
    print("countScoreFileLines", count, bytes, lines, floor.best);
    print(mode == ScorePassMode::Fast ? "ScorePass (bytes)" : "ScorePass (decoded)", fast, bytes,
          lines, floor.best);
    print("ScorePass (bytes, dates read)", withDates, bytes, lines, floor.best);
    print("ScorePass (decoded)", plainPass, bytes, lines, floor.best);
    print("ScorePass (UTF-8 bytes)", utf8, utf8Bytes, lines, floor.best);
    std::printf("\n%s: %d games counted, %d hands, the decoded pass %s, the UTF-8 log %s\n",
                ok ? "ok" : "FAILED", games, hands, same ? "agrees" : "DISAGREES",
                utf8Same ? "agrees" : "DISAGREES");
    if (!failure.isEmpty())
        std::printf("error: %s\n", qPrintable(failure));
    std::printf("peak memory of the passes (ru_maxrss): %.1f MB\n", passMemory);
    std::printf("against wc -l (best of each): the pass %.2fx, norva-calc %.2fx\n",
                fast.best / wc.best, calcProcess.best / wc.best);
    return ok && same && utf8Same ? 0 : 1;
}
