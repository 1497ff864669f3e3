#include "frmAbout.h"

#include "childform.h"
#include "icons.h"

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
    return QStringLiteral("Copyright (C) 2026\nnorva developers\nAll rights reserved.");
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

frmAbout::frmAbout(QWidget *parent)
    : QDialog(parent)
    , m_picIcon(new QLabel(this))
    , m_lblTitle(new QLabel(QStringLiteral("Kelvo結果計算"), this))
    , m_lblVersion(new QLabel(this))
    , m_lblCopyright(new QLabel(this))
    , m_cmdOK(new QPushButton(QStringLiteral("OK"), this))
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("バージョン情報"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    m_picIcon->setObjectName(QStringLiteral("picIcon"));
    m_picIcon->setPixmap(programIcon().pixmap(32, 32));
    m_picIcon->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    m_lblTitle->setObjectName(QStringLiteral("lblTitle"));
    m_lblTitle->setFont(jpFont(QStringLiteral("ＭＳ ゴシック"), 12, true));
    m_lblVersion->setObjectName(QStringLiteral("lblVersion"));
    m_lblVersion->setFont(jpFont(QStringLiteral("ＭＳ Ｐゴシック"), 9.75, false));
    m_lblCopyright->setObjectName(QStringLiteral("lblCopyright"));
    m_lblCopyright->setFont(jpFont(QStringLiteral("ＭＳ Ｐゴシック"), 9.75, true));
    m_cmdOK->setObjectName(QStringLiteral("cmdOK"));
    m_cmdOK->setDefault(true);
    connect(m_cmdOK, &QPushButton::clicked, this, &frmAbout::cmdOK_Click);

    // Laid out in the twips of the design: icon at the left, texts beside it,
    // OK at the bottom right.
    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(twipsToPixels(240), twipsToPixels(240), twipsToPixels(240),
                             twipsToPixels(240));
    grid->setHorizontalSpacing(twipsToPixels(240));
    grid->setVerticalSpacing(twipsToPixels(120));
    grid->addWidget(m_picIcon, 0, 0, 3, 1);
    grid->addWidget(m_lblTitle, 0, 1);
    grid->addWidget(m_lblVersion, 1, 1);
    grid->addWidget(m_lblCopyright, 2, 1);
    grid->addWidget(m_cmdOK, 3, 1, Qt::AlignRight);
    m_cmdOK->setMinimumWidth(twipsToPixels(1260));

    Form_Load();
    setFixedSize(sizeHint().expandedTo(QSize(twipsToPixels(5400), twipsToPixels(2400))));
}

void frmAbout::Form_Load()
{
    m_lblVersion->setText(
        versionText(NORVA_VERSION_MAJOR, NORVA_VERSION_MINOR, NORVA_VERSION_PATCH));
    m_lblCopyright->setText(copyrightText());
}

void frmAbout::cmdOK_Click()
{
    accept();
}

void frmAbout::showModal(QWidget *parent)
{
    // On the heap: should the owner go away while the box is up (the program
    // told to quit), it takes the box with it.
    QPointer<frmAbout> box = new frmAbout(parent);
    box->exec();
    delete box.data();
}

} // namespace norva
