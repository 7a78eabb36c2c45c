#include "SystemServices.h"
#include "frmMain.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Wirelook"));
    SystemServices services;
    frmMain window(services.services());
    window.Form_Load();
    return QApplication::exec();
}
