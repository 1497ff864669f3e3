#include "core/graph/graphsource.h"

#include "core/tables/tableinfo.h"

namespace norva {

namespace {

class CalcGraphSource final : public GraphSource
{
public:
    CalcValue calcValue(qint16 kind, qint32 index) const override
    {
        return GetCalcValue(kind, index);
    }
    QVariant tableInfoValue(qint16 kind, qint32 index) const override
    {
        return GetTableInfoValue(kind, index);
    }
};

} // namespace

const GraphSource &calcGraphSource()
{
    static const CalcGraphSource source;
    return source;
}

} // namespace norva
