#include "frmWin.h"

namespace norva {

frmWin &frmWin::instance()
{
    static frmWin form;
    return form;
}

frmWin::frmWin()
    : ChildForm(QStringLiteral("frmWin"), QStringLiteral("役"))
{}

void frmWin::Form_Load()
{
    setOuterSize(4665, 3045);
    trSetWinValues();
}

void frmWin::trSetWinValues() {}

} // namespace norva
