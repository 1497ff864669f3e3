#include "gui/windows/aboutdialog.h"

#include "gui/widgets/childwindow.h"
#include "gui/widgets/icons.h"

#include "norva_version.h"

#include <QFont>
#include <QGridLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>

namespace norva {

QString versionText(int major, int minor, int build)
{
    return QStringLiteral("Version %1.%2 (Build: %3)").arg(major).arg(minor).arg(build);
}

QString copyrightText()
{
    return QStringLiteral("Copyright (C) 2026\nnorva 開発者\n無断で複製・転載することを禁じます。");
}

namespace {

QFont jpFont(const QString &family, double points, bool bold)
{
    QFont f(family);
    f.setPointSizeF(points);
    f.setBold(bold);
    return f;
}

} // namespace

AboutDialog::AboutDialog(QWidget *parent)
    : QDialog(parent)
    , m_icon(new QLabel(this))
    , m_title(new QLabel(QStringLiteral("Kelvo結果計算"), this))
    , m_version(new QLabel(this))
    , m_copyright(new QLabel(this))
    , m_okButton(new QPushButton(QStringLiteral("OK"), this))
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("バージョン情報"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    m_icon->setObjectName(QStringLiteral("picIcon"));
    m_icon->setPixmap(programIcon().pixmap(32, 32));
    m_icon->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    m_title->setObjectName(QStringLiteral("lblTitle"));
    m_title->setFont(jpFont(QStringLiteral("ＭＳ ゴシック"), 12, true));
    m_version->setObjectName(QStringLiteral("lblVersion"));
    m_version->setFont(jpFont(QStringLiteral("ＭＳ Ｐゴシック"), 9.75, false));
    m_copyright->setObjectName(QStringLiteral("lblCopyright"));
    m_copyright->setFont(jpFont(QStringLiteral("ＭＳ Ｐゴシック"), 9.75, true));
    m_okButton->setObjectName(QStringLiteral("cmdOK"));
    m_okButton->setDefault(true);
    connect(m_okButton, &QPushButton::clicked, this, &AboutDialog::closeBox);

    // Laid out in twips: icon at the left, texts beside it,
    // OK at the bottom right.
    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(twipsToPixels(240), twipsToPixels(240), twipsToPixels(240),
                             twipsToPixels(240));
    grid->setHorizontalSpacing(twipsToPixels(240));
    grid->setVerticalSpacing(twipsToPixels(120));
    grid->addWidget(m_icon, 0, 0, 3, 1);
    grid->addWidget(m_title, 0, 1);
    grid->addWidget(m_version, 1, 1);
    grid->addWidget(m_copyright, 2, 1);
    grid->addWidget(m_okButton, 3, 1, Qt::AlignRight);
    m_okButton->setMinimumWidth(twipsToPixels(1260));

    onLoad();
    setFixedSize(sizeHint().expandedTo(QSize(twipsToPixels(5400), twipsToPixels(2400))));
}

void AboutDialog::onLoad()
{
    m_version->setText(versionText(NORVA_VERSION_MAJOR, NORVA_VERSION_MINOR, NORVA_VERSION_PATCH));
    m_copyright->setText(copyrightText());
}

void AboutDialog::closeBox()
{
    accept();
}

void AboutDialog::showModal(QWidget *parent)
{
    // On the heap: should the owner go away while the box is up (the program
    // told to quit), it takes the box with it.
    QPointer<AboutDialog> box = new AboutDialog(parent);
    box->exec();
    delete box.data();
}

} // namespace norva
