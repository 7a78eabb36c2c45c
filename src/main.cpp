#include "QtCommPort.h"
#include "SetupFile.h"
#include "SystemServices.h"
#include "frmMain.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QStandardPaths>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Wirelook"));
    QApplication::setApplicationVersion(QStringLiteral("1.3.00"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Serial-port test terminal."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(
        QStringLiteral("port"),
        QStringLiteral("Port to open: a number N for the Nth serial port, or a device such as "
                       "/dev/ttyUSB0."),
        QStringLiteral("[port]"));
    parser.process(app);
    const QStringList arguments = parser.positionalArguments();
    if (arguments.size() > 1)
        parser.showHelp(1);

    SystemServices services;
    frmMain window(services.services(), std::make_unique<QtCommPort>());
    window.setSetupFolder(SetupFile::chooseFolder(
        QCoreApplication::applicationDirPath(),
        QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation)));
    window.Form_Load(arguments.value(0));
    return QApplication::exec();
}
