#include "CommandLine.h"
#include "Devices.h"
#include "Line.h"
#include "Log.h"
#include "PseudoTerminal.h"

#include <QCoreApplication>

#include <csignal>
#include <cstdio>
#include <memory>
#include <sys/signalfd.h>

namespace {

// SIGINT, SIGTERM and SIGHUP arrive on a descriptor that the poll loop watches, so the program
// always leaves through its normal exit path, which removes the link.
int terminationSignals()
{
    sigset_t set;
    sigemptyset(&set);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP})
        sigaddset(&set, signal);
    sigprocmask(SIG_BLOCK, &set, nullptr);
    return signalfd(-1, &set, SFD_CLOEXEC | SFD_NONBLOCK);
}

std::unique_ptr<Device> makeDevice(const Config &config)
{
    switch (config.mode) {
    case Config::Mode::Echo:
        return std::make_unique<EchoDevice>();
    case Config::Mode::Probe:
        return std::make_unique<ProbeDevice>(config.probeSettings, config.probePair);
    case Config::Mode::Readings:
        return std::make_unique<ReadingsDevice>(config.readings);
    case Config::Mode::Flood:
        return std::make_unique<FloodDevice>(config.flood);
    }
    return nullptr;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    int exitCode = 0;
    const auto config = parseCommandLine(app.arguments(), &exitCode);
    if (!config)
        return exitCode;
    Log::setVerbose(config->verbose);

    const int signalFd = terminationSignals();
    if (signalFd < 0) {
        Log::error(QStringLiteral("cannot watch for signals"));
        return 1;
    }
    PseudoTerminal pty;
    QString error;
    if (!pty.open(&error) || (!config->link.isEmpty() && !pty.link(config->link, &error))) {
        Log::error(error);
        return 1;
    }
    std::printf("%s\n", qPrintable(pty.slavePath()));
    std::fflush(stdout);

    const auto device = makeDevice(*config);
    Line line(pty, signalFd);
    if (config->vanishAfter)
        line.vanishAfter(*config->vanishAfter, config->vanishDelay);
    if (config->exitOnClose)
        line.setExitOnClose();
    return line.run(*device);
}
