#include "frmGraph.h"

#include "settings/basParam.h"

namespace norva {

frmGraph &frmGraph::instance()
{
    static frmGraph form;
    return form;
}

frmGraph::frmGraph()
    : ChildForm(QStringLiteral("frmGraph"), QStringLiteral("グラフ表示"))
{}

void frmGraph::Form_Load()
{
    setOuterSize(GetParamValue(QStringLiteral("GraphWidth")).toInt(),
                 GetParamValue(QStringLiteral("GraphHeight")).toInt());
}

void frmGraph::trGraphDraw() {}

} // namespace norva
