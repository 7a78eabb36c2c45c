#pragma once

#include <QCoreApplication>
#include <QString>

// Start-up steps that the benchmarks share.
namespace BenchSetup {

// Windows draw offscreen unless QT_QPA_PLATFORM says otherwise; call before
// the application object is made.
inline void offscreenByDefault()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

// The device simulator: argument `index` where given, else the one built
// beside the benchmarks.
inline QString devsimPath(int argc, char *argv[], int index)
{
    return argc > index ? QString::fromLocal8Bit(argv[index])
                        : QCoreApplication::applicationDirPath() +
                              QStringLiteral("/../devsim/wirelook-devsim");
}

} // namespace BenchSetup
