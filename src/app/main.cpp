#include "basMain.h"
#include "frmMain.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("norva"));
    if (!norva::Main()) {
        delete norva::frmMain::instance();
        return 0;
    }
    const int rc = QApplication::exec();
    delete norva::frmMain::instance();
    return rc;
}
