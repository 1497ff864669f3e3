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

    // The calculation run takes the window's fields over as settings: the
    // score log as typed, the user name without surrounding blanks, the date
    // range unless it is switched off, the chosen table kinds. A date or time
    // that is not one raises norva::Error; the settings stored before it keep
    // their new values.
    void takeOverForCalc();
    // Moves the input focus to the score file box.
    void focusFileName();

protected:
    void Form_Load() override;
    void Form_Unload() override;

private:
    frmUser();
};

} // namespace norva
