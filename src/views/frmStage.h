#pragma once

#include "app/childform.h"

namespace norva {

// How the hands of the counted games ended, seen from the user.
class frmStage final : public ChildForm
{
public:
    static frmStage &instance();

    // True while the window is open.
    bool trsShowMe() const { return isLoaded(); }
    // Shows the current results.
    void trSetStageValues();

protected:
    void Form_Load() override;

private:
    frmStage();
};

} // namespace norva
