#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace norva {

// "Version 3.5 (Build: 7)": the about box's version line for a version.
QString versionText(int major, int minor, int build);
// The program's notice of rights: three lines separated by line feeds.
QString copyrightText();

// The about box: the program's title, version and notice of rights. A new box
// is loaded each time it is shown.
class frmAbout final : public QDialog
{
    Q_OBJECT

public:
    explicit frmAbout(QWidget *parent = nullptr);

    // Shows a new box modally over parent until its OK button closes it.
    static void showModal(QWidget *parent);

    void cmdOK_Click();

private:
    void Form_Load();

    QLabel *m_picIcon;
    QLabel *m_lblTitle;
    QLabel *m_lblVersion;
    QLabel *m_lblCopyright;
    QPushButton *m_cmdOK;
};

} // namespace norva
