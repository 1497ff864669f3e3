#pragma once

#include "app/childform.h"

namespace norva {

// The rank and score record of the last calculation.
class frmRank final : public ChildForm
{
public:
    static frmRank &instance();

    // True while the window is open.
    bool trrShowMe() const { return isLoaded(); }
    // Shows the current results.
    void trSetRankValues();

protected:
    void Form_Load() override;

private:
    frmRank();
};

} // namespace norva
