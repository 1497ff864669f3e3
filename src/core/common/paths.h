#pragma once

#include <QString>

namespace norva {

// The folder of the running executable (or the folder set for tests).
QString programDir();
// A file beside the executable: the folder, a separator only when the folder
// does not already end in one, then the name.
QString besideExecutable(const QString &fileName);
// Joins a folder and a file name with the separator rule above.
QString joinPath(const QString &folder, const QString &fileName);

// Tests point the program's folder at a temporary one; an empty text restores
// the executable's folder.
void setProgramDirForTests(const QString &dir);

} // namespace norva
