#pragma once

#include "core/calc/calcresults.h"

#include <QVariant>

namespace norva {

class TableInfo;

// Where the graphs read the calculated results and the han classes from: the
// program's results and table definitions (ResultsGraphSource); tests supply
// their own figures.
class GraphSource
{
public:
    virtual ~GraphSource() = default;
    // As CalcResults::value: may raise SubscriptOutOfRange for an index outside
    // a kind's range.
    virtual CalcValue calcValue(qint16 kind, qint32 index = 0) const = 0;
    // As TableInfo::value: kind 0 YakuLast, kind 1 the han class at index.
    virtual QVariant tableInfoValue(qint16 kind, qint32 index = 0) const = 0;
};

// The figures of a calculation's results and the table definitions.
class ResultsGraphSource final : public GraphSource
{
public:
    ResultsGraphSource(const CalcResults &results, const TableInfo &tables)
        : m_results(results)
        , m_tables(tables)
    {}
    CalcValue calcValue(qint16 kind, qint32 index = 0) const override;
    QVariant tableInfoValue(qint16 kind, qint32 index = 0) const override;

private:
    const CalcResults &m_results;
    const TableInfo &m_tables;
};

} // namespace norva
