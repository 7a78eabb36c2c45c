#pragma once

#include "Devices.h"
#include "LineSettings.h"

#include <QString>
#include <QStringList>

#include <optional>

struct Config
{
    enum class Mode
    {
        Echo,
        Probe,
        Readings,
        Flood
    };

    Mode mode = Mode::Echo;
    QString link;
    bool verbose = false;
    bool exitOnClose = false;
    std::optional<qint64> vanishAfter;
    std::chrono::milliseconds vanishDelay{200};

    LineSettings probeSettings;
    QByteArray probePair;
    ReadingsDevice::Config readings;
    FloodDevice::Config flood;
};

// Parses the arguments (program name first). When the program should stop here, after --help or
// a bad argument, it has printed why and returns no config; exitCode says how to exit.
std::optional<Config> parseCommandLine(const QStringList &arguments, int *exitCode);
