// Flood benchmark: wirelook-devsim floods a pseudo-terminal with mixed traffic.
// First a plain reader drains it (the raw limit), then the program's window,
// shown on the offscreen platform, receives the same bytes through the real
// serial backend, the receive queue and the display. Both are timed from the
// first byte read to the last byte read (raw) or shown (window). The display
// is filled before the flood, so it trims all along; what it finally holds is
// compared with the raw bytes turned into display text, so a lost or
// reordered byte fails the run. A second flood measures how long a click on
// "Data Purge" takes to be handled while the data pour in. Throughout the
// first flood a 10 ms timer measures how long the window may keep the user
// waiting (the longest gap between its ticks, less the 10 ms).
//
// With --hex-view the hex view is shown instead of the text display (and the
// newest million bytes of its history are compared with the flood's last
// bytes); with --time-stamps the display shows time stamps.
//
// Usage: bench_flood [--hex-view] [--time-stamps] [megabytes, default 16]
//                    [path to wirelook-devsim]
#include "BenchSetup.h"
#include "DisplayModel.h"
#include "HexHistory.h"
#include "ProcessMemory.h"
#include "QtCommPort.h"
#include "SystemServices.h"
#include "TokenRunWriter.h"
#include "frmMain.h"

#include <QApplication>
#include <QComboBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <termios.h>
#include <unistd.h>

using namespace ProcessMemory;

namespace {

struct Flood
{
    QProcess process;
    QString path;

    Flood(const QString &devsim, qint64 bytes)
    {
        process.start(devsim, {"flood", "--bytes", QString::number(bytes), "--mix", "mixed"});
        process.waitForReadyRead(5000);
        path = QString::fromLocal8Bit(process.readLine().trimmed());
    }
    ~Flood()
    {
        process.terminate();
        process.waitForFinished(5000);
    }
};

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Drains the device with plain reads; returns the bytes and the seconds from first to last.
QByteArray readRaw(const QString &path, qint64 bytes, double *seconds)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return {};
    termios attributes{};
    tcgetattr(fd, &attributes);
    cfmakeraw(&attributes);
    tcsetattr(fd, TCSANOW, &attributes);
    QByteArray received;
    received.reserve(bytes);
    QElapsedTimer timer;
    char buffer[65536];
    while (received.size() < bytes) {
        pollfd descriptor{fd, POLLIN, 0};
        if (::poll(&descriptor, 1, 5000) <= 0)
            break;
        const ssize_t count = ::read(fd, buffer, sizeof buffer);
        if (count <= 0)
            break;
        if (received.isEmpty())
            timer.start();
        received.append(buffer, count);
    }
    *seconds = double(timer.nsecsElapsed()) / 1e9;
    ::close(fd);
    return received;
}

QByteArray expectedDisplay(const QByteArray &raw, const DisplayOptions &options, qsizetype fill)
{
    DisplayModel model;
    model.putInDisplay(QByteArray(fill, '.'), 0, options.breakCharacter());
    TokenRunWriter writer(model, options);
    for (qsizetype at = 0; at < raw.size(); at += 1024)
        writer.write(QByteArrayView(raw).sliced(at, std::min<qsizetype>(1024, raw.size() - at)),
                     0, 1);
    return model.text();
}

// The newest received bytes that the hex history holds, at most count.
QByteArray newestReceived(const HexHistory &history, qsizetype count)
{
    QByteArray bytes;
    for (qint64 number = history.endRow() - 1; number >= history.firstRow() && bytes.size() < count;
         --number) {
        const HexHistory::Row &row = history.row(number);
        if (row.kind == HexHistory::Kind::Received)
            bytes.prepend(row.bytes.data(), row.count);
    }
    return bytes.right(count);
}

} // namespace

int main(int argc, char *argv[])
{
    BenchSetup::offscreenByDefault();
    QApplication app(argc, argv);
    bool hexView = false;
    bool timeStamps = false;
    std::vector<char *> positional; // the arguments without the view options
    for (int i = 0; i < argc; ++i) {
        if (std::strcmp(argv[i], "--hex-view") == 0)
            hexView = true;
        else if (std::strcmp(argv[i], "--time-stamps") == 0)
            timeStamps = true;
        else
            positional.push_back(argv[i]);
    }
    const int count = int(positional.size());
    const qint64 megabytes = count > 1 ? QByteArray(positional[1]).toLongLong() : 16;
    const QString devsim = BenchSetup::devsimPath(count, positional.data(), 2);
    const qint64 bytes = megabytes * 1024 * 1024;

    double rawSeconds = 0;
    QByteArray raw;
    {
        Flood flood(devsim, bytes);
        raw = readRaw(flood.path, bytes, &rawSeconds);
    }
    if (raw.size() != bytes) {
        std::fprintf(stderr, "raw reader got %lld of %lld bytes\n",
                     static_cast<long long>(raw.size()), static_cast<long long>(bytes));
        return 1;
    }

    SystemServices services;
    frmMain window(services.services(), std::make_unique<QtCommPort>());
    window.resize(1000, 700);
    const qsizetype fill = DisplayModel::TrimThreshold - 10;
    window.PutInDisplay(QByteArray(fill, '.'), 0);

    Flood flood(devsim, bytes);
    QElapsedTimer timer;
    bool started = false;
    QObject::connect(&window.commPort(), &CommPort::OnComm, &window, [&] {
        if (!started) {
            started = true;
            timer.start();
        }
    });
    QTimer::singleShot(0, &window, [&] {
        window.Form_Load(flood.path);
        window.SetHexView(hexView);
        window.SetTimeStamps(timeStamps);
    });
    app.processEvents();
    const double cpuBefore = cpuSeconds();
    const qint64 rssBefore = statusKiB("VmRSS:");
    resetPeakMemory();

    double shownSeconds = 0;
    QTimer watch;
    watch.setInterval(5);
    QObject::connect(&watch, &QTimer::timeout, &window, [&] {
        const DisplayModel &model = window.displayModel();
        const QByteArrayView tail = model.textView(model.length() - 200, 200);
        if (tail.contains(QByteArrayView("END-OF-PAYLOAD")) &&
            !window.findChild<QTimer *>(QStringLiteral("Timer1"))->isActive()) {
            shownSeconds = double(timer.nsecsElapsed()) / 1e9;
            app.quit();
        }
    });
    watch.start();
    QElapsedTimer sinceTick;
    qint64 longestGapNs = 0;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    ticker.setInterval(10);
    QObject::connect(&ticker, &QTimer::timeout, &window, [&] {
        if (started)
            longestGapNs = std::max(longestGapNs, sinceTick.nsecsElapsed());
        sinceTick.start();
    });
    ticker.start();
    QTimer::singleShot(120000, &app, &QApplication::quit);
    app.exec();
    const double cpu = cpuSeconds() - cpuBefore;
    const qint64 peak = statusKiB("VmHWM:");
    const qint64 rssAfter = statusKiB("VmRSS:");

    const bool intact =
        window.displayModel().text() == expectedDisplay(raw, window.displayOptions(), fill);
    const double mb = double(bytes) / 1e6;
    ticker.stop();
    std::printf("flood of %lld MiB mixed traffic over a pseudo-terminal%s%s\n",
                static_cast<long long>(megabytes), hexView ? ", hex view shown" : "",
                timeStamps ? ", time stamps shown" : "");
    std::printf("  raw reader:  %.1f MB/s (%.3f s)\n", mb / rawSeconds, rawSeconds);
    if (shownSeconds <= 0) {
        std::printf("  window: the end of the flood was not shown within 120 s\n");
        return 1;
    }
    std::printf("  window:      %.1f MB/s (%.3f s), %.0f%% of raw\n", mb / shownSeconds,
                shownSeconds, 100.0 * rawSeconds / shownSeconds);
    std::printf("  window CPU:  %.2f s; memory: %lld MiB before, peak %lld MiB, growth %lld MiB\n",
                cpu, static_cast<long long>(rssBefore / 1024),
                static_cast<long long>(peak / 1024),
                static_cast<long long>((peak - rssBefore) / 1024));
    std::printf("  after: %lld MiB; display content %s\n",
                static_cast<long long>(rssAfter / 1024),
                intact ? "matches the bytes sent (nothing lost or reordered)" : "DIFFERS");
    std::printf("  window answers within %.1f ms (the longest wait of a 10 ms timer)\n",
                std::max(0.0, double(longestGapNs) / 1e6 - 10));
    if (!intact)
        return 1;
    if (hexView) {
        const QByteArray newest = newestReceived(window.hexHistory(), HexHistory::KeptBytes);
        const bool same = newest.size() == HexHistory::KeptBytes && raw.endsWith(newest);
        std::printf("  hex history: newest %lld bytes %s\n", static_cast<long long>(newest.size()),
                    same ? "equal the flood's last bytes" : "DIFFER from the flood's last bytes");
        if (!same)
            return 1;
    }

    // A second flood, with clicks on "Data Purge" posted as mouse events every
    // 100 ms: the time from posting to the button's handler running is what
    // the user waits for a click to take effect.
    watch.stop();
    Flood second(devsim, 4 * bytes); // long enough for all the clicks
    window.cmdPortState_Click();
    auto *purge = window.findChild<QPushButton *>(QStringLiteral("cmdPurge"));
    QElapsedTimer posted;
    QList<double> latencies;
    QObject::connect(purge, &QPushButton::clicked, &window,
                     [&] { latencies.append(double(posted.nsecsElapsed()) / 1e6); });
    window.findChild<QComboBox *>(QStringLiteral("cboPortNumber"))->setEditText(second.path);
    window.EnableCommPort();
    QTimer clicker;
    clicker.setInterval(100);
    QObject::connect(&clicker, &QTimer::timeout, &window, [&] {
        if (latencies.size() == 10) {
            app.quit();
            return;
        }
        const QPointF centre = QRectF(purge->rect()).center();
        posted.start();
        QCoreApplication::postEvent(purge, new QMouseEvent(QEvent::MouseButtonPress, centre,
                                                           purge->mapToGlobal(centre),
                                                           Qt::LeftButton, Qt::LeftButton,
                                                           Qt::NoModifier));
        QCoreApplication::postEvent(purge, new QMouseEvent(QEvent::MouseButtonRelease, centre,
                                                           purge->mapToGlobal(centre),
                                                           Qt::LeftButton, Qt::NoButton,
                                                           Qt::NoModifier));
    });
    clicker.start();
    app.exec();
    std::sort(latencies.begin(), latencies.end());
    std::printf("  Data Purge clicked during a flood: %lld clicks, worst %.1f ms, median %.1f ms "
                "(goal < 100 ms)\n",
                static_cast<long long>(latencies.size()), latencies.value(latencies.size() - 1),
                latencies.value(latencies.size() / 2));
    return 0;
}
