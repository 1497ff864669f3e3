#pragma once

#include "app/childform.h"

namespace norva {

// The calculation settings window: whose record to compute and from which data.
class frmUser final : public ChildForm
{
public:
    static frmUser &instance();

    // True while the window is open.
    bool truShowMe() const { return isLoaded(); }
    // Writes the window's fields to the settings store.
    void trSetUserInfo();

protected:
    void Form_Load() override;
    void Form_Unload() override;

private:
    frmUser();
};

} // namespace norva
