#include "gui/windows/manualwindow.h"

#include "core/common/error.h"
#include "core/common/textfile.h"

#include <QFont>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace norva {

ManualWindow::ManualWindow(const QString &path, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_text(new QPlainTextEdit(this))
{
    setObjectName(QStringLiteral("frmManual"));
    setWindowTitle(QStringLiteral("説明"));
    setAttribute(Qt::WA_DeleteOnClose);
    m_text->setObjectName(QStringLiteral("txtManual"));
    m_text->setReadOnly(true);
    m_text->setLineWrapMode(QPlainTextEdit::NoWrap);
    // The manual lines its tables up in full-width and half-width characters.
    m_text->setFont(QFont(QStringLiteral("ＭＳ ゴシック"), 10));
    try {
        m_text->setPlainText(readTextLines(path).join(u'\n'));
    } catch (const Error &e) {
        m_text->setPlainText(path + u'\n' + e.description());
    }
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_text);
    resize(760, 560);
}

} // namespace norva
