#pragma once

#include "core/calc/extrafigures.h"

#include <QList>
#include <QString>

#include <optional>

namespace norva {

class CalcResults;

// One figure of the rates table: a share of part in whole with its Wilson
// interval, or an average (a sum over a count) with the interval of its mean
// where one is known.
struct ExtraRate
{
    enum class Kind { Share, AverageRank, AveragePoints };
    QString name; // as the window shows it ("放銃率")
    Kind kind = Kind::Share;
    qint64 part = 0;  // the count, or the sum of an average
    qint64 whole = 0; // what it is taken over
    // None over a whole of 0.
    std::optional<double> value;
    std::optional<Interval> interval;
};

// The rates and averages of results in the order the window shows them:
// 和了率, 放銃率, 被ツモ率, ツモ和了率, 立直率 and 副露率 (only where the log
// records tiles), トップ率, 連対率, ラス回避率, 平均順位, 平均和了点, 平均放銃点.
QList<ExtraRate> extraRates(const CalcResults &results);

} // namespace norva
