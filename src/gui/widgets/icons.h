#pragma once

#include <QIcon>
#include <QStringView>

namespace norva {

// An image of the program's resources by name (":/icons/<name>.svg"), drawn
// crisp at any size and screen scale.
QIcon resourceIcon(QStringView name);

// The program's own icon: the main window's and the about box's.
QIcon programIcon();

} // namespace norva
