#include "frmStage.h"

namespace norva {

frmStage &frmStage::instance()
{
    static frmStage form;
    return form;
}

frmStage::frmStage()
    : ChildForm(QStringLiteral("frmStage"), QStringLiteral("局"))
{}

void frmStage::Form_Load()
{
    setOuterSize(5025, 3030);
    trSetStageValues();
}

void frmStage::trSetStageValues() {}

} // namespace norva
