#pragma once

#include "core/calc/calcresults.h"

#include <QVariant>

namespace norva {

// Where the graphs read the calculated results and the han classes from. The
// program reads the calculation module and the table definitions
// (calcGraphSource()); tests supply their own figures.
class GraphSource
{
public:
    virtual ~GraphSource() = default;
    // As GetCalcValue: may raise SubscriptOutOfRange for an index outside a kind's range.
    virtual CalcValue calcValue(qint16 kind, qint32 index = 0) const = 0;
    // As GetTableInfoValue: kind 0 YakuLast, kind 1 YakuStrings(index).
    virtual QVariant tableInfoValue(qint16 kind, qint32 index = 0) const = 0;
};

// The results of the last calculation, read through GetCalcValue and GetTableInfoValue.
const GraphSource &calcGraphSource();

} // namespace norva
