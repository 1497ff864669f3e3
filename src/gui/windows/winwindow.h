#pragma once

#include "gui/widgets/childwindow.h"

#include <QPointer>

#include <array>

class QLabel;

namespace norva {

// The user's own wins by han class.
class WinWindow final : public ChildWindow
{
public:
    static WinWindow &instance();

    // Shows the number of classified wins and, for every han class of the
    // table definitions, its name with its share and its count (the bare name
    // and no count while nothing is classified). Cells beyond the defined
    // classes are left alone. Does nothing while the window is closed. An
    // error of the result accessor passes to the caller.
    void refresh();

protected:
    void onLoad() override;

private:
    WinWindow();

    QPointer<QLabel> m_wins;
    std::array<QPointer<QLabel>, 9> m_classTitles, m_classCounts;
};

} // namespace norva
