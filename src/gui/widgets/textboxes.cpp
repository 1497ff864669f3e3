#include "gui/widgets/textboxes.h"

#include <QAbstractItemView>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QRegularExpressionValidator>
#include <QUrl>

#include <optional>

namespace norva {

namespace {

// How high a long list box reaches with its list open, in pixels.
constexpr int DropDownHeight = 1000;

} // namespace

std::optional<QString> droppedFile(const QMimeData *data)
{
    if (!data || !data->hasUrls())
        return std::nullopt;
    for (const QUrl &url : data->urls())
        if (url.isLocalFile())
            return QDir::toNativeSeparators(url.toLocalFile());
    return std::nullopt;
}

namespace {

// Ctrl+W deletes the word before the cursor, back to a blank, as in the
// terminals and many text fields of Linux desktops; in a text box it is an
// editing key, not the menu's.
bool isDeleteWordKey(const QKeyEvent *key)
{
    return key->keyCombination() == QKeyCombination(Qt::ControlModifier, Qt::Key_W);
}

} // namespace

bool FormTextBox::event(QEvent *event)
{
    if (event->type() == QEvent::ShortcutOverride && !isReadOnly()
        && isDeleteWordKey(static_cast<QKeyEvent *>(event))) {
        event->accept();
        return true;
    }
    return QLineEdit::event(event);
}

void FormTextBox::keyPressEvent(QKeyEvent *event)
{
    if (!isReadOnly() && isDeleteWordKey(event)) {
        if (hasSelectedText()) {
            del();
            return;
        }
        // Back over the blanks before the cursor, then over the word.
        const QString t = text();
        int from = cursorPosition();
        while (from > 0 && t[from - 1].isSpace())
            --from;
        while (from > 0 && !t[from - 1].isSpace())
            --from;
        setSelection(cursorPosition(), from - cursorPosition());
        del();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void FormTextBox::focusInEvent(QFocusEvent *event)
{
    QLineEdit::focusInEvent(event);
    selectAll();
}

void FormTextBox::dragEnterEvent(QDragEnterEvent *event)
{
    if (droppedFile(event->mimeData()))
        event->ignore();
    else
        QLineEdit::dragEnterEvent(event);
}

DigitBox::DigitBox(int maxLength, QWidget *parent)
    : FormTextBox(parent)
{
    setMaxLength(maxLength);
    setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), this));
}

FileNameBox::FileNameBox(QWidget *parent)
    : FormTextBox(parent)
{
    setAcceptDrops(true);
}

void FileNameBox::dragEnterEvent(QDragEnterEvent *event)
{
    if (droppedFile(event->mimeData()))
        event->acceptProposedAction();
    else
        event->ignore();
}

void FileNameBox::dragMoveEvent(QDragMoveEvent *event)
{
    if (droppedFile(event->mimeData()))
        event->acceptProposedAction();
    else
        event->ignore();
}

void FileNameBox::dropEvent(QDropEvent *event)
{
    if (const std::optional<QString> path = droppedFile(event->mimeData())) {
        setText(*path);
        event->acceptProposedAction();
        if (m_onDropped)
            m_onDropped(*path);
    } else {
        event->ignore();
    }
}

void LongListBox::showPopup()
{
    const int row = count() > 0 ? view()->sizeHintForRow(0) : 0;
    if (row > 0)
        setMaxVisibleItems(qMax(1, (DropDownHeight - height()) / row));
    QComboBox::showPopup();
    QWidget *popup = view()->window();
    if (popup != window() && popup->height() > DropDownHeight - height())
        popup->resize(popup->width(), DropDownHeight - height());
}

} // namespace norva
