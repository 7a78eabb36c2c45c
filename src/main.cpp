#include "AddedOptions.h"
#include "QtCommPort.h"
#include "SessionLogDecoder.h"
#include "SetupFile.h"
#include "SystemServices.h"
#include "frmMain.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <cstring>

namespace {

const QCommandLineOption LogOption(QStringLiteral("log"),
                                   QStringLiteral("Log the session to FILE from the start, "
                                                  "appending to it."),
                                   QStringLiteral("FILE"));
const QCommandLineOption DecodeLogOption(
    QStringLiteral("decode-log"),
    QStringLiteral("Write the bytes received in the session log FILE to standard output as raw "
                   "bytes, then exit."),
    QStringLiteral("FILE"));
const QCommandLineOption TimeStampsOption(QStringLiteral("time-stamps"),
                                          QStringLiteral("Start with Time Stamps checked."));
const QCommandLineOption HexViewOption(QStringLiteral("hex-view"),
                                       QStringLiteral("Start with Hex View checked."));
const QCommandLineOption SentOption(QStringLiteral("sent"),
                                    QStringLiteral("With --decode-log: the bytes sent instead."));

void setUp(QCoreApplication &app, QCommandLineParser &parser)
{
    QCoreApplication::setApplicationName(QStringLiteral("Wirelook"));
    QCoreApplication::setApplicationVersion(QStringLiteral("1.3.00"));
    parser.setApplicationDescription(QStringLiteral("Serial-port test terminal."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOptions({LogOption, TimeStampsOption, HexViewOption, DecodeLogOption, SentOption});
    parser.addPositionalArgument(
        QStringLiteral("port"),
        QStringLiteral("Port to open: a number N for the Nth serial port, or a device such as "
                       "/dev/ttyUSB0."),
        QStringLiteral("[port]"));
    parser.process(app);
    if (parser.positionalArguments().size() > 1)
        parser.showHelp(1);
}

// Decoding needs no display, so it runs without the windowing system.
bool decodingRequested(int argc, char *argv[])
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--decode-log") == 0 ||
            std::strncmp(argv[i], "--decode-log=", 13) == 0)
            return true;
    }
    return false;
}

int decodeLog(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    setUp(app, parser);
    QFile out;
    QFile errors;
    if (!out.open(stdout, QIODevice::WriteOnly) || !errors.open(stderr, QIODevice::WriteOnly))
        return 1;
    return SessionLogDecoder::decodeFile(parser.value(DecodeLogOption),
                                         parser.isSet(SentOption)
                                             ? SessionLogLines::Direction::Sent
                                             : SessionLogLines::Direction::Received,
                                         out, errors);
}

} // namespace

int main(int argc, char *argv[])
{
    if (decodingRequested(argc, argv))
        return decodeLog(argc, argv);

    QApplication app(argc, argv);
    QCommandLineParser parser;
    setUp(app, parser);

    SystemServices services;
    frmMain window(services.services(), std::make_unique<QtCommPort>());
    window.setSetupFolder(SetupFile::chooseFolder(
        QCoreApplication::applicationDirPath(),
        QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation)));
    window.setAddedOptionsFile(AddedOptionsFile::defaultPath());
    if (parser.isSet(LogOption))
        window.startLogging(QFileInfo(parser.value(LogOption)).absoluteFilePath());
    window.Form_Load(parser.positionalArguments().value(0));
    // Over what the options' file restored.
    if (parser.isSet(TimeStampsOption))
        window.SetTimeStamps(true);
    if (parser.isSet(HexViewOption))
        window.SetHexView(true);
    return QApplication::exec();
}
