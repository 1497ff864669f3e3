#pragma once

#include <QString>
#include <QStringList>

#include <functional>

class QFileDialog;

namespace norva {

// The name filters of the score log's open dialog; the first is selected.
QStringList scoreFileFilters();

// Test hook: runs in place of the open dialog of File > Score file. It sees
// the dialog as it was set up and returns the chosen path, or an empty text
// for Cancel. An empty hook brings the real dialog back.
using FileDialogHook = std::function<QString(QFileDialog &dialog)>;
void setScoreFileDialogForTests(FileDialogHook hook);

} // namespace norva
