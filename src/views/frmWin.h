#pragma once

#include "app/childform.h"

#include <QPointer>

#include <array>

class QLabel;

namespace norva {

// The user's own wins by han class.
class frmWin final : public ChildForm
{
public:
    static frmWin &instance();

    // True while the window is open.
    bool trwShowMe() const { return isLoaded(); }
    // Shows the number of classified wins and, for every han class of the
    // table definitions, its name with its share and its count (the bare name
    // and no count while nothing is classified). Cells beyond the defined
    // classes are left alone. Does nothing while the window is closed. An
    // error of the result accessor passes to the caller.
    void trSetWinValues();

protected:
    void Form_Load() override;

private:
    frmWin();

    QPointer<QLabel> lblWinAllNum;
    std::array<QPointer<QLabel>, 9> lblWinValueTitle, lblWinValue;
};

} // namespace norva
