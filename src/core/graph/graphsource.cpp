#include "core/graph/graphsource.h"

#include "core/tables/tableinfo.h"

namespace norva {

CalcValue ResultsGraphSource::calcValue(qint16 kind, qint32 index) const
{
    return m_results.value(kind, index);
}

QVariant ResultsGraphSource::tableInfoValue(qint16 kind, qint32 index) const
{
    return m_tables.value(kind, index);
}

} // namespace norva
