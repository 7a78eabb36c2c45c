// Display throughput and paint cost.
//
// (a) Raw bytes go through the token conversion, color grouping and the
//     display model, in 1024-byte entries as the receive queue holds them,
//     with the display already full so that every append trims. Reports MB/s
//     of raw input.
// (b) Time to lay out and paint the view once, bottom of the display, for a
//     model of about 500,000 characters in 10,000 lines and one of 5,000.
// (c) As (b) for the large model, with the view held in the middle of the text.
//
// Usage: bench_display [megabytes-of-input, default 64]
#include "BenchSetup.h"
#include "ColorValue.h"
#include "DisplayModel.h"
#include "DisplayOptions.h"
#include "DisplayView.h"
#include "TokenRunWriter.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QRandomGenerator>
#include <QScrollBar>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

// Printable lines ending CR LF, about 2% control bytes and 0.5% bytes above 0x7F.
QByteArray mixedTraffic(qsizetype size)
{
    QRandomGenerator random(1234);
    QByteArray out;
    out.reserve(size + 128);
    while (out.size() < size) {
        const int lineLength = random.bounded(20, 100);
        for (int i = 0; i < lineLength; ++i) {
            const int roll = random.bounded(1000);
            if (roll < 20)
                out.append(char(random.bounded(1, 27)));
            else if (roll < 25)
                out.append(char(random.bounded(0x80, 0x100)));
            else
                out.append(char(random.bounded(0x20, 0x7F)));
        }
        out.append("\r\n");
    }
    out.truncate(size);
    return out;
}

void fillToCapacity(DisplayModel &model, const DisplayOptions &options)
{
    TokenRunWriter writer(model, options);
    const QByteArray traffic = mixedTraffic(64 * 1024);
    while (model.length() < DisplayModel::TrimThreshold - 2000)
        writer.write(traffic, ColorValue::SystemButtonFace, ColorValue::Yellow);
}

double throughputMBps(qsizetype inputBytes)
{
    DisplayModel model;
    DisplayOptions options;
    DisplayView view(model); // connected as in the program, never shown
    fillToCapacity(model, options);

    const QByteArray traffic = mixedTraffic(4 * 1024 * 1024);
    TokenRunWriter writer(model, options);
    constexpr qsizetype EntrySize = 1024;
    QElapsedTimer timer;
    timer.start();
    qsizetype done = 0;
    while (done < inputBytes) {
        for (qsizetype at = 0; at < traffic.size() && done < inputBytes; at += EntrySize) {
            const QByteArrayView entry =
                QByteArrayView(traffic).sliced(at, std::min(EntrySize, traffic.size() - at));
            writer.write(entry, ColorValue::SystemButtonFace, ColorValue::Yellow);
            done += entry.size();
        }
    }
    const double seconds = double(timer.nsecsElapsed()) / 1e9;
    return double(done) / 1e6 / seconds;
}

double medianPaintMs(qsizetype characters, qsizetype lines, qsizetype *heldCharacters,
                     qsizetype *heldLines, bool scrolledUp = false)
{
    DisplayModel model;
    DisplayView view(model);
    view.resize(1000, 700);
    // Each line: its characters in two colors, then "[CR ]" and CR LF.
    const qsizetype perLine = characters / lines - 7;
    QByteArray line(perLine, 'x');
    for (qsizetype i = 0; i < perLine; ++i)
        line[i] = char(0x20 + i % 95);
    for (qsizetype i = 0; i < lines; ++i) {
        model.putInDisplay(line.left(perLine / 2), ColorValue::SystemButtonFace, "[CR ]");
        model.putInDisplay(line.mid(perLine / 2), ColorValue::Yellow, "[CR ]");
        model.putInDisplay("[CR ]", ColorValue::Yellow, "[CR ]");
    }
    *heldCharacters = model.length();
    *heldLines = model.lineCount();
    QImage canvas(view.viewport()->size(), QImage::Format_ARGB32_Premultiplied);
    view.updateNow();
    if (scrolledUp)
        view.verticalScrollBar()->setValue(view.verticalScrollBar()->maximum() / 2);
    view.viewport()->render(&canvas);

    std::vector<double> samples;
    for (int run = 0; run < 51; ++run) {
        // A new append dirties the layout, as arriving data would.
        model.putInDisplay("y", ColorValue::Green, "[CR ]");
        QElapsedTimer timer;
        timer.start();
        view.updateNow();
        view.viewport()->render(&canvas);
        samples.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    std::nth_element(samples.begin(), samples.begin() + 25, samples.end());
    return samples[25];
}

} // namespace

int main(int argc, char *argv[])
{
    BenchSetup::offscreenByDefault();
    QApplication app(argc, argv);
    const qsizetype megabytes = argc > 1 ? QByteArray(argv[1]).toLongLong() : 64;

    const double mbps = throughputMBps(megabytes * 1000 * 1000);
    std::printf("(a) tokens + grouping + display model, display full: %.1f MB/s of raw input "
                "(%lld MB, goal >= 50)\n",
                mbps, static_cast<long long>(megabytes));

    qsizetype largeChars = 0, largeLines = 0, smallChars = 0, smallLines = 0;
    const double large = medianPaintMs(500000, 10000, &largeChars, &largeLines);
    const double small = medianPaintMs(5000, 100, &smallChars, &smallLines);
    std::printf("(b) layout + paint once, median of 51: %.3f ms for %lld chars in %lld lines "
                "(goal < 5 ms); %.3f ms for %lld chars in %lld lines; ratio %.2f (goal <= 2)\n",
                large, static_cast<long long>(largeChars), static_cast<long long>(largeLines),
                small, static_cast<long long>(smallChars), static_cast<long long>(smallLines),
                large / small);
    const double held = medianPaintMs(500000, 10000, &largeChars, &largeLines, true);
    std::printf("(c) the same, view scrolled to the middle and held while text arrives: %.3f ms\n",
                held);
    return 0;
}
