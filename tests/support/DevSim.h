#pragma once

#include <QProcess>
#include <QStringList>

// wirelook-devsim run with the given arguments; path is the device it printed.
class DevSim
{
public:
    static constexpr int TimeoutMs = 3000;
    // The probe device answers this while the line settings match: SYN "C" CR.
    static inline const QByteArray Probe{"\026C\r"};

    explicit DevSim(const QStringList &arguments)
    {
        process.start(qEnvironmentVariable("WIRELOOK_DEVSIM"), arguments);
        while (!process.canReadLine() && process.waitForReadyRead(TimeoutMs)) {
        }
        path = QString::fromLocal8Bit(process.readLine().trimmed());
    }
    ~DevSim()
    {
        if (process.state() == QProcess::NotRunning)
            return;
        process.terminate();
        if (!process.waitForFinished(TimeoutMs))
            process.kill();
        process.waitForFinished(TimeoutMs);
    }
    bool exitsCleanly()
    {
        return process.waitForFinished(TimeoutMs) &&
               process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    }

    QProcess process;
    QString path;
};
