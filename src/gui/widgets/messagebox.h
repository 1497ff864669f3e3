#pragma once

#include "core/common/textfile.h"

#include <QList>
#include <QMessageBox>
#include <QString>

#include <functional>

class QWidget;

// Every message box of the program goes through showMessage, so that tests can
// answer the boxes and read back exactly what the user would have seen.
namespace norva {

// One box as it was asked for.
struct ShownBox
{
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QString title;
    QString text;
    QMessageBox::StandardButtons buttons;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
};

// Shows a modal message box over parent (the main window when parent is null)
// and returns the button pressed. Closing the box with Escape or its close box
// counts as the escape button (Cancel or No where present).
QMessageBox::StandardButton
showMessage(QWidget *parent, QMessageBox::Icon icon, const QString &title, const QString &text,
            QMessageBox::StandardButtons buttons = QMessageBox::Ok,
            QMessageBox::StandardButton defaultButton = QMessageBox::NoButton);

// The error box: stop icon, "エラー", OK.
void showError(QWidget *parent, const QString &text);

// A prompt for writeFileSafely and its callers: the Retry/Cancel error box with
// message, CR LF, the file that failed (path, unless the error names another)
// and the reason on a line of its own. Retry answers true.
RetryPrompt retryCancelPrompt(QWidget *parent, const QString &message, const QString &path);

namespace msgbox {

// Test hooks. A responder answers every box instead of showing it; every box
// asked for is recorded, answered or shown, until the record is cleared.
using Responder = std::function<QMessageBox::StandardButton(const ShownBox &)>;
void setResponderForTests(Responder responder);
const QList<ShownBox> &shownBoxes();
void clearShownBoxes();

} // namespace msgbox
} // namespace norva
