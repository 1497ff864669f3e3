#pragma once

#include <QWidget>

class QPlainTextEdit;

namespace norva {

// The manual as plain text in a window of the program's own, for a desktop
// that has no viewer for it. Read-only; it closes with its window.
class ManualWindow final : public QWidget
{
    Q_OBJECT

public:
    // The manual at path (CP932 text) in a new window over parent.
    ManualWindow(const QString &path, QWidget *parent);

    QPlainTextEdit *textView() const { return m_text; }

private:
    QPlainTextEdit *m_text;
};

} // namespace norva
