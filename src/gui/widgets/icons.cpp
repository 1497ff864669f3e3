#include "gui/widgets/icons.h"

namespace norva {

QIcon resourceIcon(QStringView name)
{
    return QIcon(QStringLiteral(":/icons/") + name + QStringLiteral(".svg"));
}

QIcon programIcon()
{
    return resourceIcon(u"norva");
}

} // namespace norva
