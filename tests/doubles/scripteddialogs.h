#pragma once

#include "gui/widgets/dialogrunner.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QInputDialog>
#include <QPageSetupDialog>
#include <QPrintDialog>

#include <functional>

// A dialog runner that answers the program's dialogs for a test, seeing each
// as the program set it up. A dialog without an answer is shown for real.
class ScriptedDialogs final : public norva::DialogRunner
{
public:
    // The chosen file, or an empty text for Cancel.
    std::function<QString(QFileDialog &)> file;
    // true for OK; the answer may change the printer or the colour.
    std::function<bool(QPrintDialog &)> print;
    std::function<bool(QPageSetupDialog &)> pageSetup;
    std::function<bool(QColorDialog &)> color;
    // true for OK; the answer sets the dialog's text.
    std::function<bool(QInputDialog &)> input;

    QString chooseFile(QFileDialog &dialog) override
    {
        return file ? file(dialog) : DialogRunner::chooseFile(dialog);
    }
    bool run(QDialog &dialog) override
    {
        if (auto *d = qobject_cast<QPrintDialog *>(&dialog); d && print)
            return print(*d);
        if (auto *d = qobject_cast<QPageSetupDialog *>(&dialog); d && pageSetup)
            return pageSetup(*d);
        if (auto *d = qobject_cast<QColorDialog *>(&dialog); d && color)
            return color(*d);
        if (auto *d = qobject_cast<QInputDialog *>(&dialog); d && input)
            return input(*d);
        return DialogRunner::run(dialog);
    }
    void clear() { *this = ScriptedDialogs(); }
};
