// norva-samplegen: writes a made-up score log for trying norva out.

#include "samplegen.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QTextStream>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("norva-samplegen"));
    QCommandLineParser p;
    p.setApplicationDescription(
        QStringLiteral("Writes a made-up mahjong score log (CP932, CR LF) in the shapes of "
                       "the service's mjscore.txt."));
    p.addHelpOption();
    const QCommandLineOption games(QStringLiteral("games"),
                                   QStringLiteral("Number of games (default 300)."),
                                   QStringLiteral("N"), QStringLiteral("300"));
    const QCommandLineOption seed(QStringLiteral("seed"),
                                  QStringLiteral("Seed of the random numbers (default 2009)."),
                                  QStringLiteral("N"), QStringLiteral("2009"));
    const QCommandLineOption start(QStringLiteral("start"),
                                   QStringLiteral("Day of the first game, yyyy-mm-dd "
                                                  "(default 2009-01-01)."),
                                   QStringLiteral("DATE"), QStringLiteral("2009-01-01"));
    const QCommandLineOption days(QStringLiteral("days"),
                                  QStringLiteral("Days the games spread over (default 365)."),
                                  QStringLiteral("N"), QStringLiteral("365"));
    const QCommandLineOption players(
        QStringLiteral("players"),
        QStringLiteral("Comma-separated player names, the log's owner first (at least four)."),
        QStringLiteral("NAMES"));
    const QCommandLineOption share(QStringLiteral("owner-share"),
                                   QStringLiteral("Share of the games the owner sits in, 0 to 1 "
                                                  "(default 1)."),
                                   QStringLiteral("X"), QStringLiteral("1"));
    const QCommandLineOption noTiles(QStringLiteral("no-tiles"),
                                     QStringLiteral("Leave out the tile and discard lines."));
    p.addOptions({games, seed, start, days, players, share, noTiles});
    p.addPositionalArgument(QStringLiteral("output"), QStringLiteral("The log file to write."));
    p.process(app);

    QTextStream err(stderr);
    auto fail = [&](const QString &text) {
        err << text << Qt::endl;
        return 2;
    };
    if (p.positionalArguments().size() != 1)
        return fail(QStringLiteral("One output file is needed (see --help)."));
    norva::samplegen::Options o;
    bool ok = false;
    o.games = p.value(games).toInt(&ok);
    if (!ok || o.games < 0)
        return fail(QStringLiteral("--games: not a number of games."));
    o.seed = p.value(seed).toULongLong(&ok);
    if (!ok)
        return fail(QStringLiteral("--seed: not a number."));
    o.startDate = QDate::fromString(p.value(start), Qt::ISODate);
    if (!o.startDate.isValid())
        return fail(QStringLiteral("--start: not a date (yyyy-mm-dd)."));
    o.days = p.value(days).toInt(&ok);
    if (!ok || o.days < 1)
        return fail(QStringLiteral("--days: not a number of days."));
    if (p.isSet(players)) {
        o.players = p.value(players).split(u',', Qt::SkipEmptyParts);
        if (o.players.size() < 4)
            return fail(QStringLiteral("--players: at least four names are needed."));
    }
    o.ownerShare = p.value(share).toDouble(&ok);
    if (!ok || o.ownerShare < 0 || o.ownerShare > 1)
        return fail(QStringLiteral("--owner-share: a number from 0 to 1."));
    o.tileRecords = !p.isSet(noTiles);

    QFile out(p.positionalArguments().first());
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return fail(out.fileName() + QStringLiteral(": ") + out.errorString());
    if (!norva::samplegen::writeLog(o, out) || !out.flush())
        return fail(out.fileName() + QStringLiteral(": ") + out.errorString());
    return 0;
}
