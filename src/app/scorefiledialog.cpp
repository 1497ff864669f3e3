// File > Score file: the open dialog for the score log, whose choice goes into
// the calculation settings window.

#include "scorefiledialog.h"

#include "frmMain.h"

#include "calc/frmUser.h"
#include "settings/basParam.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QLineEdit>

namespace norva {

namespace {

FileDialogHook &hook()
{
    static FileDialogHook h;
    return h;
}

QString allFilesFilter()
{
    return QStringLiteral("すべてのファイル (*.*)");
}

// The folder the dialog opens in: that of the path in the settings window, or
// of the stored score log.
QString startFolder()
{
    QString path;
    if (QLineEdit *box = frmUser::instance().txtFileName())
        path = box->text();
    else
        path = GetParamValue(QStringLiteral("ScoreFile")).toString();
    const QFileInfo fi(path);
    if (fi.isDir())
        return fi.absoluteFilePath();
    if (!path.isEmpty() && fi.absoluteDir().exists())
        return fi.absolutePath();
    return {};
}

} // namespace

QStringList scoreFileFilters()
{
    return {QStringLiteral("スコアファイル(mjscore.txt)"),
            QStringLiteral("テキストファイル (*.txt)"), allFilesFilter()};
}

void setScoreFileDialogForTests(FileDialogHook h)
{
    hook() = std::move(h);
}

void frmMain::mnuFileOpen_Click()
{
    QFileDialog dialog(this);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setWindowTitle(QStringLiteral("開く"));
    dialog.setNameFilters(scoreFileFilters());
    dialog.selectNameFilter(scoreFileFilters().first());
    if (const QString folder = startFolder(); !folder.isEmpty())
        dialog.setDirectory(folder);
    // "*.*" means every file, also one without a dot in its name.
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString &f) {
        if (f != allFilesFilter())
            return;
        if (auto *model = dialog.findChild<QFileSystemModel *>())
            model->setNameFilters({QStringLiteral("*")});
    });

    QString path;
    if (hook()) {
        path = hook()(dialog);
    } else {
        if (dialog.exec() != QDialog::Accepted)
            return;
        const QStringList chosen = dialog.selectedFiles();
        if (!chosen.isEmpty())
            path = chosen.first();
    }
    if (path.isEmpty())
        return;
    frmUser::instance().setFileName(QDir::toNativeSeparators(path));
}

} // namespace norva
