#pragma once

#include "app/childform.h"

namespace norva {

// The graph window. Its object holds what must survive the window being closed
// and opened again.
class frmGraph final : public ChildForm
{
public:
    static frmGraph &instance();

    // True while the window is open.
    bool trgShowMe() const { return isLoaded(); }
    // Draws the graphs anew.
    void trGraphDraw();

protected:
    void Form_Load() override;

private:
    frmGraph();
};

} // namespace norva
