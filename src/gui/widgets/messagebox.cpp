#include "gui/widgets/messagebox.h"

#include "core/common/error.h"
#include "core/common/messages.h"

#include <QApplication>
#include <QMainWindow>
#include <QPointer>

namespace norva {

namespace {

msgbox::Responder &responder()
{
    static msgbox::Responder r;
    return r;
}

QList<ShownBox> &record()
{
    static QList<ShownBox> boxes;
    return boxes;
}

// The owner of a box asked for without one: the active window, else the main
// window, so the box is centred over the program rather than the screen.
QWidget *ownerFor(QWidget *parent)
{
    if (parent)
        return parent->window();
    if (QWidget *w = QApplication::activeModalWidget())
        return w;
    if (QWidget *w = QApplication::activeWindow())
        return w;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (qobject_cast<QMainWindow *>(w) && w->isVisible())
            return w;
    return nullptr;
}

} // namespace

QMessageBox::StandardButton showMessage(QWidget *parent, QMessageBox::Icon icon,
                                        const QString &title, const QString &text,
                                        QMessageBox::StandardButtons buttons,
                                        QMessageBox::StandardButton defaultButton)
{
    if (!buttons)
        buttons = QMessageBox::Ok;
    const ShownBox box{icon, title, text, buttons, defaultButton};
    // The record is for tests; a long session keeps only the latest boxes.
    if (record().size() >= 1000)
        record().removeFirst();
    record().append(box);
    if (responder())
        return responder()(box);

    // On the heap: should the owner go away while the box is up (the program
    // told to quit), it takes the box with it.
    QPointer<QMessageBox> mb = new QMessageBox(icon, title, text, buttons, ownerFor(parent));
    if (defaultButton != QMessageBox::NoButton)
        mb->setDefaultButton(defaultButton);
    const int answer = mb->exec();
    delete mb.data();
    // exec() gives the escape button's role when the box was closed; map an
    // unknown answer to the escape button, else the first of the buttons.
    if (buttons.testFlag(QMessageBox::StandardButton(answer)))
        return QMessageBox::StandardButton(answer);
    for (auto b : {QMessageBox::Cancel, QMessageBox::No, QMessageBox::Ok})
        if (buttons.testFlag(b))
            return b;
    return QMessageBox::NoButton;
}

void showError(QWidget *parent, const QString &text)
{
    showMessage(parent, QMessageBox::Critical, msg::titleError(), text, QMessageBox::Ok);
}

RetryPrompt retryCancelPrompt(QWidget *parent, const QString &message, const QString &path)
{
    return [owner = QPointer<QWidget>(parent), message, path](const Error &e) {
        // The file that failed (the backup kept before the file itself, say)
        // and why, as norva-calc says it.
        const QString failed = e.detail().isEmpty() ? path : e.detail();
        return showMessage(owner, QMessageBox::Critical, msg::titleError(),
                           message + msg::crlf() + failed + msg::crlf() + describe(e.kind()),
                           QMessageBox::Retry | QMessageBox::Cancel, QMessageBox::Retry)
               == QMessageBox::Retry;
    };
}

namespace msgbox {

void setResponderForTests(Responder r)
{
    responder() = std::move(r);
}

const QList<ShownBox> &shownBoxes()
{
    return record();
}

void clearShownBoxes()
{
    record().clear();
}

} // namespace msgbox
} // namespace norva
