#pragma once

#include "samplegen.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QDate>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

#include <cstdio>

#include <algorithm>
#include <functional>
#include <vector>

namespace bench {

// The best and the median of runs timings, in seconds.
struct Timing
{
    double best;
    double median;
};

// The best and the median of timings (at least one).
inline Timing summary(std::vector<double> s)
{
    std::sort(s.begin(), s.end());
    return {s.front(), s[s.size() / 2]};
}

inline Timing timeIt(int runs, const std::function<void()> &f)
{
    std::vector<double> s;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        f();
        s.push_back(double(t.nsecsElapsed()) / 1e9);
    }
    return summary(std::move(s));
}

// The options every benchmark takes: the games of its log, the timed runs,
// and a log file to use (or create) instead of a temporary one.
struct LogOptions
{
    QCommandLineOption games{QStringLiteral("games"), QStringLiteral("Games (30000)."),
                             QStringLiteral("N"), QStringLiteral("30000")};
    QCommandLineOption runs{QStringLiteral("runs"), QStringLiteral("Timed runs (5)."),
                            QStringLiteral("N"), QStringLiteral("5")};
    QCommandLineOption log{QStringLiteral("log"), QStringLiteral("Use (or create) this log file."),
                           QStringLiteral("FILE")};

    int gameCount(const QCommandLineParser &p) const { return p.value(games).toInt(); }
    int runCount(const QCommandLineParser &p) const { return std::max(1, p.value(runs).toInt()); }
    // The log named by --log, else fallback.
    QString logPath(const QCommandLineParser &p, const QString &fallback) const
    {
        return p.isSet(log) ? QFileInfo(p.value(log)).absoluteFilePath() : fallback;
    }
};

// Makes the benchmarks' log at path unless it is there: games games of the
// sample's players over ten years, a share ownerShare of them with the owner,
// always the same for the same figures. False, with a message, when it cannot
// be written.
inline bool makeLog(const QString &path, int games, double ownerShare = 1.0)
{
    if (QFileInfo::exists(path))
        return true;
    norva::samplegen::Options o;
    o.seed = 150;
    o.games = games;
    o.days = 3650;
    o.ownerShare = ownerShare;
    o.players = norva::samplegen::defaultPlayers();
    QFile f(path);
    QElapsedTimer t;
    t.start();
    if (!f.open(QIODevice::WriteOnly) || !norva::samplegen::writeLog(o, f)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("generated %d games in %.1f s\n", games, double(t.elapsed()) / 1e3);
    return true;
}

// Game n after the benchmarks' log: one game of the log's owner, a few
// kilobytes.
inline QByteArray nextGame(int n)
{
    norva::samplegen::Options o;
    o.seed = quint64(1000 + n);
    o.games = 1;
    o.startDate = QDate(2030, 1, 1).addDays(n);
    o.days = 1;
    o.players = norva::samplegen::defaultPlayers();
    return norva::samplegen::makeLog(o);
}

inline bool append(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::Append) && f.write(bytes) == bytes.size();
}

} // namespace bench
