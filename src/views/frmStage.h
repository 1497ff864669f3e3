#pragma once

#include "app/childform.h"

#include <QPointer>

#include <array>

class QLabel;

namespace norva {

// How the hands of the counted games ended, seen from the user.
class frmStage final : public ChildForm
{
public:
    static frmStage &instance();

    // True while the window is open.
    bool trsShowMe() const { return isLoaded(); }
    // Shows the current results: the number of hands and, for the user's own
    // wins and chombos, the others' and the draws, each count with its share
    // of all hands. Without hands the values are empty and the titles plain.
    // Does nothing while the window is closed. An error of the result accessor
    // passes to the caller.
    void trSetStageValues();

protected:
    void Form_Load() override;

private:
    frmStage();

    QPointer<QLabel> lblStageNum;
    // The nine cells in the order they are always written.
    std::array<QPointer<QLabel>, 9> m_values, m_titles;
};

} // namespace norva
