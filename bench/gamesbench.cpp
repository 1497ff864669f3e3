// norva-bench-games: the game list of a large log (30,000 games by default):
// the pass that fills it, its memory, the model filled, sorted and filtered,
// the table view scrolled through, and the CSV made.
//
//   norva-bench-games [--games N] [--runs N] [--log FILE]

#include "benchutil.h"
#include "core/calc/calcresults.h"
#include "core/calc/calculation.h"
#include "core/calc/gamescsv.h"
#include "core/calc/session.h"
#include "core/common/convert.h"
#include "core/settings/settings.h"
#include "gui/windows/gamesmodel.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QScrollBar>
#include <QTableView>
#include <QTemporaryDir>

#include <cstdio>

using namespace norva;

namespace {

void print(const char *what, bench::Timing t)
{
    std::printf("%-40s %8.2f ms  (median %8.2f ms)\n", what, t.best * 1e3, t.median * 1e3);
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
    Session session(FileLocations::portable(dir.path()));
    if (!session.tables().load(QStringLiteral(NORVA_SOURCE_DATA "/norva.dat"))) {
        std::fprintf(stderr, "cannot read the table definitions\n");
        return 1;
    }
    Settings &settings = session.settings();
    settings.setValue(Settings::ScoreFile, log);
    settings.setValue(Settings::UserName, QStringLiteral("かもめ"));
    settings.setValue(Settings::SpecifyDate, false);

    CalcResults &results = session.results();
    const bench::Timing pass = bench::timeIt(runs, [&] {
        if (runCalculation(settings, session.tables(), results).status
            != CalcOutcome::Status::Counted)
            std::fprintf(stderr, "no games counted\n");
    });
    const GameList &games = results.games();
    const qsizetype listBytes = games.size() * qsizetype(sizeof(GameList::Game));

    GamesModel model(results);
    GamesFilter filter(model);
    const bench::Timing fill = bench::timeIt(runs, [&] { model.refresh(); });
    auto sortBy = [&](int column) {
        return bench::timeIt(runs, [&, column] {
            filter.sort(-1);
            filter.sort(column, Qt::AscendingOrder);
            (void)filter.rowCount();
        });
    };
    const bench::Timing byScore = sortBy(GamesModel::Score);
    const bench::Timing byStart = sortBy(GamesModel::Start);
    const bench::Timing byTable = sortBy(GamesModel::Table);
    filter.sort(-1);
    const bench::Timing byText = bench::timeIt(runs, [&] {
        // The rows are mapped when they are asked for.
        filter.setTableText(QStringLiteral("東南"));
        (void)filter.rowCount();
        filter.setTableText(QString());
        (void)filter.rowCount();
    });
    const bench::Timing byDays = bench::timeIt(runs, [&] {
        filter.setDateRange(QDate(2015, 1, 1), QDate(2016, 12, 31));
        (void)filter.rowCount();
        filter.setDateRange({}, {});
        (void)filter.rowCount();
    });
    const bench::Timing totals = bench::timeIt(runs, [&] { (void)filter.totals(); });

    QTableView view;
    view.setModel(&filter);
    view.setSortingEnabled(true);
    view.resize(900, 600);
    view.show();
    QCoreApplication::processEvents();
    const bench::Timing scroll = bench::timeIt(runs, [&] {
        QScrollBar *bar = view.verticalScrollBar();
        for (int i = 0; i <= 20; ++i) {
            bar->setValue(bar->maximum() * i / 20);
            view.viewport()->repaint();
        }
    });
    const bench::Timing viewSort = bench::timeIt(runs, [&] {
        view.sortByColumn(GamesModel::Score, Qt::DescendingOrder);
        view.viewport()->repaint();
        view.sortByColumn(GamesModel::Start, Qt::AscendingOrder);
        view.viewport()->repaint();
    });
    qsizetype csvSize = 0;
    const bench::Timing csvText = bench::timeIt(runs, [&] {
        csvSize = csv::encode(csv::gamesText(games), csv::Encoding::Utf8WithMark).data.size();
    });

    std::printf("log: %s\n  %lld games listed, list records %.2f MB (%d bytes a game), platform "
                "%s\n",
                qPrintable(log), static_cast<long long>(games.size()), double(listBytes) / 1e6,
                int(sizeof(GameList::Game)), qPrintable(QGuiApplication::platformName()));
    print("calculation (pass and list)", pass);
    print("model filled", fill);
    print("sorted by score (proxy)", byScore);
    print("sorted by start (proxy)", byStart);
    print("sorted by table (proxy)", byTable);
    print("filtered by table text and back", byText);
    print("filtered by days and back", byDays);
    print("totals of the rows shown", totals);
    print("view: 21 scroll steps, each painted", scroll);
    print("view: sorted twice, each painted", viewSort);
    print(qPrintable(QStringLiteral("CSV made (%1 bytes)").arg(csvSize)), csvText);
    return games.isEmpty() ? 1 : 0;
}
