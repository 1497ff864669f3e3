#pragma once

#include <QIcon>
#include <QString>

namespace norva {

// The toolbar's button images by button key. An unknown key gives an empty
// icon.
QIcon toolbarIcon(const QString &key);

// The program's own icon: the main window's and the about box's.
QIcon programIcon();

} // namespace norva
