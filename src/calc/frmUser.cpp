#include "frmUser.h"

namespace norva {

frmUser &frmUser::instance()
{
    static frmUser form;
    return form;
}

frmUser::frmUser()
    : ChildForm(QStringLiteral("frmUser"), QStringLiteral("計算情報"))
{}

void frmUser::Form_Load()
{
    setOuterSize(5295, 3390);
}

void frmUser::Form_Unload()
{
    trSetUserInfo();
}

void frmUser::trSetUserInfo() {}

void frmUser::takeOverForCalc() {}

void frmUser::focusFileName() {}

} // namespace norva
