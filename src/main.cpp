#include "AddedOptions.h"
#include "DesktopIdentity.h"
#include "QtCommPort.h"
#include "SessionLogDecoder.h"
#include "SetupFile.h"
#include "SystemServices.h"
#include "TerminationSignals.h"
#include "frmMain.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFile>
#include <QFileInfo>

#include <string_view>

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

// Decoding a log, the help and the version need no display, so they run
// without the windowing system.
bool needsNoDisplay(int argc, char *argv[])
{
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--decode-log" || argument.starts_with("--decode-log=") ||
            argument == "-h" || argument == "-?" || argument == "--help" ||
            argument == "--help-all" || argument == "-v" || argument == "--version")
            return true;
    }
    return false;
}

// Help and the version end in setUp(); what is left is decoding.
int runWithoutDisplay(int argc, char *argv[])
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

// The main window until the program ends. A termination signal closes it as
// the user would (the setup saved, the log stopped, the port released), then
// ends the program, also while the help window is open.
int runWindow(const QCommandLineParser &parser, TerminationSignals &termination)
{
    SystemServices services;
    frmMain window(services.services(), std::make_unique<QtCommPort>());
    window.setSetupFolder(SetupFile::chooseFolder());
    window.setAddedOptionsFile(AddedOptionsFile::defaultPath());
    QObject::connect(&termination, &TerminationSignals::arrived, &window, [&window] {
        if (window.isVisible())
            window.close();
        QCoreApplication::quit();
    });
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

} // namespace

int main(int argc, char *argv[])
{
    if (needsNoDisplay(argc, argv))
        return runWithoutDisplay(argc, argv);

    QApplication app(argc, argv);
    DesktopIdentity::apply();
    QCommandLineParser parser;
    setUp(app, parser);
    TerminationSignals termination;
    const int code = runWindow(parser, termination);
    termination.endAsReceived();
    return code;
}
