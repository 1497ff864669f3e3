#pragma once

#include <QComboBox>
#include <QLineEdit>

#include <functional>
#include <optional>

class QMimeData;

namespace norva {

// A text box whose whole text is selected whenever it gets the focus. Its
// editing keys (select all, copy, cut, paste, undo, and Ctrl+W deleting the
// word before the cursor) act on its text; every other shortcut is the
// menus', here as anywhere. A dragged file is left to the window under it
// (the main window takes a score log dropped anywhere).
class FormTextBox : public QLineEdit
{
public:
    using QLineEdit::QLineEdit;

protected:
    bool event(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
};

// A date or time box: digits only, typed or pasted; editing keys still work.
class DigitBox final : public FormTextBox
{
public:
    DigitBox(int maxLength, QWidget *parent);
};

// The first local file of a list of files dragged from the file manager, if
// the data holds one.
std::optional<QString> droppedFile(const QMimeData *data);

// A file name box that takes the path of a file dropped on it from the file
// manager (the first local file of the list), then tells onDropped. Other
// dragged data is refused.
class FileNameBox final : public FormTextBox
{
public:
    explicit FileNameBox(QWidget *parent);
    void setDropHandler(std::function<void(const QString &path)> onDropped)
    {
        m_onDropped = std::move(onDropped);
    }

protected:
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    std::function<void(const QString &)> m_onDropped;
};

// A choice box whose open list reaches down to 1000 pixels from the top of the
// box, so that long lists need no scrolling.
class LongListBox final : public QComboBox
{
public:
    using QComboBox::QComboBox;
    void showPopup() override;
};

} // namespace norva
