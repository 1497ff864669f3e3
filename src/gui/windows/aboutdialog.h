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
class AboutDialog final : public QDialog
{
    Q_OBJECT

public:
    explicit AboutDialog(QWidget *parent = nullptr);

    // Shows a new box modally over parent until its OK button closes it.
    static void showModal(QWidget *parent);

    void closeBox();

private:
    void onLoad();

    QLabel *m_icon;
    QLabel *m_title;
    QLabel *m_version;
    QLabel *m_copyright;
    QPushButton *m_okButton;
};

} // namespace norva
