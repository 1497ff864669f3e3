#pragma once

#include <QString>

class QDialog;
class QFileDialog;

namespace norva {

// Runs the program's modal dialogs (files, printer, page, colours). The
// program shows them to the user; a test gives a runner of its own that
// answers them, seeing each dialog as the program set it up.
class DialogRunner
{
public:
    virtual ~DialogRunner() = default;

    // Shows dialog modally; true when the user accepted it. The dialog may be
    // gone on return (its window closed under it): the caller keeps a
    // QPointer.
    virtual bool run(QDialog &dialog);
    // Shows a file dialog modally: the file chosen, or an empty text.
    virtual QString chooseFile(QFileDialog &dialog);

    // The runner that shows every dialog to the user.
    static DialogRunner &interactive();
};

// The file dialogs' name filter for every file, the last of their list.
inline QString allFilesFilter()
{
    return QStringLiteral("すべてのファイル (*.*)");
}

} // namespace norva
