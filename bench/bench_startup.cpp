// Start-up with and without a setup file.
//
// Times the main window from its construction to being shown on the screen
// (start-up sequence included: restore, show, port opening), alternately with
// an empty setup folder and with a full LastSetup.txt, and reports the median
// of each and how much slower the start with a file is. Both open the same
// missing device, so the port's failure path costs the same in both; its
// message goes nowhere.
//
// Usage: QT_QPA_PLATFORM=offscreen bench_startup [rounds, default 40]
#include "ColorValue.h"
#include "QtCommPort.h"
#include "SetupFile.h"
#include "SystemServices.h"
#include "frmMain.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

class QuietMessageBoxes : public MessageBoxes
{
public:
    void information(const QString &) override {}
    bool question(const QString &, const QString &) override { return false; }
};

// Every string filled, so that the file is as long as a heavily used one.
LastSetup fullSetup()
{
    LastSetup setup;
    for (int set = 0; set < StringSetStore::SetCount; ++set) {
        setup.strings.setName(set, "Device set " + QByteArray::number(set));
        for (int key = 0; key < StringSetStore::KeyCount; ++key)
            setup.strings.setString(set, key,
                                    "READ " + QByteArray::number(set * 12 + key) +
                                        " [STX]payload of a typical command[ETX][CR][LF]");
    }
    setup.strings.setCurrentSet(4);
    setup.colors.background = ColorValue::Black;
    return setup;
}

double startMilliseconds(const PlatformServices &services, const QString &folder)
{
    QElapsedTimer timer;
    timer.start();
    auto window = std::make_unique<frmMain>(services, std::make_unique<QtCommPort>());
    window->setSetupFolder(folder);
    window->Form_Load(QStringLiteral("/dev/wirelook-bench-missing"));
    if (!QTest::qWaitForWindowExposed(window.get()))
        std::fprintf(stderr, "window not shown\n");
    return double(timer.nsecsElapsed()) / 1e6;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 40;

    QuietMessageBoxes messageBoxes;
    SystemServices system;
    PlatformServices services = system.services();
    services.messageBoxes = &messageBoxes;

    QTemporaryDir empty;
    QTemporaryDir withFile;
    if (!SetupFile(withFile.path()).save(fullSetup())) {
        std::fprintf(stderr, "cannot write the setup file\n");
        return 1;
    }

    // The first window pays for fonts and plugins; it is not counted.
    startMilliseconds(services, empty.path());
    std::vector<double> without;
    std::vector<double> with;
    for (int round = 0; round < rounds; ++round) {
        without.push_back(startMilliseconds(services, empty.path()));
        with.push_back(startMilliseconds(services, withFile.path()));
    }
    const double medianWithout = median(without);
    const double medianWith = median(with);
    std::printf("start to shown, median of %d: without a setup file %.2f ms, with one %.2f ms "
                "(%+.1f%%)\n",
                rounds, medianWithout, medianWith, (medianWith / medianWithout - 1) * 100);
    return 0;
}
