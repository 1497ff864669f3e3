#include "gui/widgets/dialogrunner.h"

#include <QFileDialog>
#include <QPointer>

namespace norva {

bool DialogRunner::run(QDialog &dialog)
{
    const QPointer<QDialog> guard(&dialog);
    const int answer = dialog.exec();
    return guard && answer == QDialog::Accepted;
}

QString DialogRunner::chooseFile(QFileDialog &dialog)
{
    const QPointer<QFileDialog> guard(&dialog);
    if (dialog.exec() != QDialog::Accepted || !guard)
        return {};
    return dialog.selectedFiles().value(0);
}

DialogRunner &DialogRunner::interactive()
{
    static DialogRunner runner;
    return runner;
}

} // namespace norva
