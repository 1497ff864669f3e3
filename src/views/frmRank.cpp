#include "frmRank.h"

namespace norva {

frmRank &frmRank::instance()
{
    static frmRank form;
    return form;
}

frmRank::frmRank()
    : ChildForm(QStringLiteral("frmRank"), QStringLiteral("順位"))
{}

void frmRank::Form_Load()
{
    setOuterSize(4950, 3060);
    trSetRankValues();
}

void frmRank::trSetRankValues() {}

} // namespace norva
