#include "cTableInfo.h"

#include "common/convert.h"

namespace norva {

QVariant cTableInfo::trParamValue(const QString &psParamKey) const
{
    if (psParamKey == u"TableId")
        return m_tableId;
    if (psParamKey == u"TableString")
        return m_tableString;
    return {};
}

void cTableInfo::setTrParamValue(const QString &psParamKey, const QVariant &pvParamValue)
{
    if (psParamKey == u"TableId")
        m_tableId = variantToInt32(pvParamValue);
    else if (psParamKey == u"TableString")
        m_tableString = variantToText(pvParamValue);
}

} // namespace norva
