#pragma once

#include "app/childform.h"

namespace norva {

// The user's own wins by han class.
class frmWin final : public ChildForm
{
public:
    static frmWin &instance();

    // True while the window is open.
    bool trwShowMe() const { return isLoaded(); }
    // Shows the current results.
    void trSetWinValues();

protected:
    void Form_Load() override;

private:
    frmWin();
};

} // namespace norva
