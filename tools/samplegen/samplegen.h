#pragma once

#include <QByteArray>
#include <QDate>
#include <QIODevice>
#include <QStringList>

// Made-up score logs in the shapes the service's client writes: CP932 text,
// CR LF line ends, one block per game (header, rating line, hands with their
// result lines and optional tile records, result block, game end).
namespace norva::samplegen {

struct Options
{
    quint64 seed = 2009;
    int games = 300;
    // The first game starts on this day; the games spread over about `days`
    // days, in order.
    QDate startDate = QDate(2009, 1, 1);
    int days = 365;
    // players[0] is the log's owner; the others fill the remaining seats.
    // At least four names.
    QStringList players;
    // The share of games in which the owner sits (1.0: every game).
    double ownerShare = 1.0;
    // Whether the hands carry their tile and discard lines.
    bool tileRecords = true;
};

// かもめ first, then Japanese and ASCII names; "かもめ" is part of "かもめ丸".
QStringList defaultPlayers();

// Writes the log to out in chunks. False when a write fails.
bool writeLog(const Options &options, QIODevice &out);
// The whole log in memory, for small logs.
QByteArray makeLog(const Options &options);

} // namespace norva::samplegen
