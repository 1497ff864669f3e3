#pragma once

#include "app/childform.h"

#include <QPointer>

#include <array>

class QLabel;

namespace norva {

// The rank and score record of the last calculation.
class frmRank final : public ChildForm
{
public:
    static frmRank &instance();

    // True while the window is open.
    bool trrShowMe() const { return isLoaded(); }
    // Shows the current results: games, scores, average rank and, per final
    // rank, its count, share and longest run. Without games every value is
    // empty and the rank titles read "１位" to "４位". Does nothing while the
    // window is closed. An error of the result accessor passes to the caller.
    void trSetRankValues();

protected:
    void Form_Load() override;

private:
    frmRank();

    QPointer<QLabel> lblAllNum, lblScore, lblRankAve;
    QPointer<QLabel> lblHighScore, lblLowScore, lblScoreAve;
    std::array<QPointer<QLabel>, 4> lblRankTitle, lblRankNum, lblRankCont;
};

} // namespace norva
