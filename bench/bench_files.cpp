// File menu benchmark, on the program's window (offscreen platform):
//  - Save To File, Ascii and Text format, of a full display (499,000 characters
//    of mixed text and tokens);
//  - Print, All Data, of the same display to a PDF file;
//  - Transmit a File: a file of all byte values to `wirelook-devsim echo` over
//    a pseudo-terminal in the Receive Interrupts Allowed style, with the echo
//    shown as it comes back. A 10 ms timer measures how long the window ever
//    goes without answering; the peak memory is compared with the memory
//    before the send.
//
// Usage: bench_files [megabytes to transmit, default 10] [path to wirelook-devsim]
#include "BenchSetup.h"
#include "DisplayModel.h"
#include "ProcessMemory.h"
#include "GeneralUtilities.h"
#include "QtCommPort.h"
#include "QtPrinter.h"
#include "SystemServices.h"
#include "frmMain.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>

using namespace ProcessMemory;

namespace {

// Answers every file dialog with one path.
class FixedFileDialogs : public FileDialogs
{
public:
    QString saveFileName(const QString &, const QString &, const QString &) override
    {
        return answer;
    }
    QString openFileName(const QString &, const QString &, const QString &) override
    {
        return answer;
    }
    QString appendFileName(const QString &, const QString &, const QString &) override
    {
        return answer;
    }
    QString answer;
};

class CountingMessageBoxes : public MessageBoxes
{
public:
    void information(const QString &text) override
    {
        std::fprintf(stderr, "message: %s\n", qPrintable(text));
        ++count;
    }
    bool question(const QString &, const QString &) override { return false; }
    int count = 0;
};

double timeMenu(QAction *menu)
{
    QElapsedTimer timer;
    timer.start();
    menu->trigger();
    return double(timer.nsecsElapsed()) / 1e9;
}

// A display at its full 499,000 characters: received lines with CR LF tokens,
// a few control bytes and upper-half bytes among the text.
void fillDisplay(frmMain &window)
{
    const QByteArray line = "T=+0023.41C P=1013.2hPa \x02OK\x03 \x8A\xA4 status 0x1F\r\n";
    QByteArray shown;
    for (const char byte : line)
        shown += GeneralUtilities::CharacterTokenOf(uchar(byte), window.displayOptions()).text;
    DisplayModel &model = window.displayModel();
    while (model.length() + shown.size() <= DisplayModel::TrimThreshold)
        window.PutInDisplay(shown, window.ReturnReceiveCharColor());
    window.PutInDisplay(QByteArray(DisplayModel::TrimThreshold - model.length(), 'x'),
                        window.ReturnReceiveCharColor());
}

} // namespace

int main(int argc, char *argv[])
{
    BenchSetup::offscreenByDefault();
    QApplication app(argc, argv);
    const qint64 megabytes = argc > 1 ? QByteArray(argv[1]).toLongLong() : 10;
    const QString devsim = BenchSetup::devsimPath(argc, argv, 2);
    QTemporaryDir dir;

    SystemServices system;
    FixedFileDialogs dialogs;
    CountingMessageBoxes messages;
    QtPrinter pdf(dir.filePath(QStringLiteral("display.pdf")));
    PlatformServices services = system.services();
    services.fileDialogs = &dialogs;
    services.messageBoxes = &messages;
    services.printer = &pdf;
    frmMain window(services, std::make_unique<QtCommPort>());
    window.resize(1000, 700);
    window.show();
    const auto menu = [&](const char *name) {
        return window.findChild<QAction *>(QLatin1String(name));
    };

    fillDisplay(window);
    std::printf("display of %lld characters\n",
                static_cast<long long>(window.displayModel().length()));
    dialogs.answer = dir.filePath(QStringLiteral("ascii.txt"));
    const double ascii = timeMenu(menu("mnuSaveAscii"));
    dialogs.answer = dir.filePath(QStringLiteral("text.txt"));
    const double text = timeMenu(menu("mnuSaveText"));
    std::printf("  Save To File, Ascii Format: %.3f s (goal < 0.5 s), %lld bytes\n", ascii,
                static_cast<long long>(QFile(dir.filePath(QStringLiteral("ascii.txt"))).size()));
    std::printf("  Save To File, Text Format:  %.3f s (goal < 0.2 s), %lld bytes\n", text,
                static_cast<long long>(QFile(dir.filePath(QStringLiteral("text.txt"))).size()));
    const double print = timeMenu(menu("mnuPrintAlldata"));
    std::printf("  Print, All Data, to PDF:    %.3f s, %lld bytes\n", print,
                static_cast<long long>(QFile(dir.filePath(QStringLiteral("display.pdf"))).size()));

    // The file to transmit: every byte value, in a changing order.
    const QString path = dir.filePath(QStringLiteral("transmit.bin"));
    const qint64 bytes = megabytes * 1024 * 1024;
    qint64 shownLength = 0; // of the file's bytes in the display
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            return 1;
        QByteArray block(1024 * 1024, Qt::Uninitialized);
        for (qint64 written = 0; written < bytes; written += block.size()) {
            for (qsizetype i = 0; i < block.size(); ++i) {
                block[i] = char((written + i) * 7 + (written + i) / 256);
                shownLength +=
                    GeneralUtilities::CharacterTokenOf(uchar(block[i]), window.displayOptions())
                        .text.size();
            }
            file.write(block);
        }
    }

    QProcess device;
    device.start(devsim, {"echo"});
    device.waitForReadyRead(5000);
    const QString devicePath = QString::fromLocal8Bit(device.readLine().trimmed());
    window.findChild<QComboBox *>(QStringLiteral("cboBaud"))->setEditText(QStringLiteral("115200"));
    window.Form_Load(devicePath);
    menu("mnuReceiveInterruptsAllowed")->trigger();
    app.processEvents();

    const qint64 rssBefore = statusKiB("VmRSS:");
    resetPeakMemory();
    const qint64 appendedBefore = window.displayModel().origin() + window.displayModel().length();
    qint64 lastEcho = 0;
    QElapsedTimer clock;
    QObject::connect(&window.commPort(), &CommPort::OnComm, &window,
                     [&] { lastEcho = clock.elapsed(); });
    // The longest time between two ticks of a 10 ms timer, less the 10 ms.
    qint64 lastTick = 0;
    qint64 worstStall = 0;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    ticker.setInterval(10);
    QObject::connect(&ticker, &QTimer::timeout, &window, [&] {
        const qint64 now = clock.elapsed();
        worstStall = std::max(worstStall, now - lastTick - 10);
        lastTick = now;
    });
    double sentSeconds = 0;
    QTimer watch;
    watch.setInterval(20);
    QObject::connect(&watch, &QTimer::timeout, &window, [&] {
        if (window.isTransmittingFile())
            return;
        if (sentSeconds == 0)
            sentSeconds = double(clock.elapsed()) / 1e3;
        // Done once the echo has been quiet for half a second.
        if (clock.elapsed() - lastEcho > 500)
            app.quit();
    });

    dialogs.answer = path;
    clock.start();
    ticker.start();
    watch.start();
    QTimer::singleShot(0, &window, [&] { menu("mnuTransmitFile")->trigger(); });
    QTimer::singleShot(600000, &app, &QApplication::quit);
    app.exec();
    const double echoSeconds = double(lastEcho) / 1e3;
    const qint64 peak = statusKiB("VmHWM:");

    // The end of the display is the echo of the file's last bytes.
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    file.seek(bytes - 64);
    QByteArray tail;
    for (const char byte : file.read(64))
        tail += GeneralUtilities::CharacterTokenOf(uchar(byte), window.displayOptions()).text;
    const DisplayModel &model = window.displayModel();
    const quint32 lastColor = model.colorSpanAt(model.length() - 1).color;
    // Everything appended since the send began: the file echoed as sent and as received.
    const qint64 appended = model.origin() + model.length() - appendedBefore;
    const bool echoed = appended == 2 * shownLength && model.text().endsWith(tail) &&
                        (lastColor == window.ReturnReceiveCharColor() ||
                         lastColor == window.ReturnReceiveFuncColor());

    std::printf("Transmit a File, %lld MiB to wirelook-devsim echo, Receive Interrupts Allowed\n",
                static_cast<long long>(megabytes));
    std::printf("  handed over in %.2f s (%.2f MB/s), echo shown until %.2f s; %s\n", sentSeconds,
                double(bytes) / 1e6 / sentSeconds, echoSeconds,
                echoed ? "the display got the whole file as sent and as echoed back"
                       : "ECHO INCOMPLETE");
    std::printf("  longest the window went without answering: %lld ms (goal < 100 ms)\n",
                static_cast<long long>(worstStall));
    std::printf("  memory: %lld MiB before, peak %lld MiB, growth %lld MiB (goal < 30 MiB)\n",
                static_cast<long long>(rssBefore / 1024), static_cast<long long>(peak / 1024),
                static_cast<long long>((peak - rssBefore) / 1024));
    std::printf("  messages shown: %d\n", messages.count);
    device.terminate();
    device.waitForFinished(5000);
    return echoed && messages.count == 0 ? 0 : 1;
}
