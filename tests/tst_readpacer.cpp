#include "ReadPacer.h"

#include <QTest>

namespace {
// Reads of one size at one spacing.
struct Reads
{
    qint64 bytes;
    qint64 everyMs;
    int count;
    bool more = false; // each read stopped with data still waiting
};
} // namespace

Q_DECLARE_METATYPE(QList<Reads>)

class TestReadPacer : public QObject
{
    Q_OBJECT

private slots:
    void pauseAfterEachPhase_data();
    void pauseAfterEachPhase();
    void steadyStreamIsBatchedWithinTheLineBuffer_data();
    void steadyStreamIsBatchedWithinTheLineBuffer();
};

void TestReadPacer::pauseAfterEachPhase_data()
{
    QTest::addColumn<QList<Reads>>("phases");
    // The pause in ms after the last read of each phase; 0: read as data come.
    QTest::addColumn<QList<int>>("pauses");

    const Reads trickle{460, 40, 50}; // 115200 baud, read every 40 ms
    const Reads flood{4096, 1, 300};  // the line buffer full at every read
    const Reads quiet{0, 40, 1};      // a read that finds nothing
    QTest::newRow("first read of a stream probes its rate")
        << QList<Reads>{{20, 5000, 1}} << QList<int>{1};
    QTest::newRow("a full first read is followed at once")
        << QList<Reads>{{4096, 5000, 1}} << QList<int>{0};
    QTest::newRow("data left behind are read at once")
        << QList<Reads>{trickle, {65536, 40, 1, true}} << QList<int>{40, 0};
    QTest::newRow("a flood that slows to a trickle")
        << QList<Reads>{flood, trickle} << QList<int>{0, 40};
    QTest::newRow("an empty read after the longest pause ends the stream")
        << QList<Reads>{trickle, quiet, {20, 5000, 1}} << QList<int>{40, 0, 1};
    QTest::newRow("empty reads lengthen a shorter pause")
        << QList<Reads>{{20, 5000, 1}, {0, 1, 1}, {0, 2, 1}, {0, 4, 4}, {1, 40, 1}}
        << QList<int>{1, 2, 4, 40, 40};
    QTest::newRow("a burst shortens the pause at once")
        << QList<Reads>{trickle, {2048, 2, 1}} << QList<int>{40, 2};
    // A bursty stream is judged by its bursts, not by its lulls.
    QTest::newRow("a lull lengthens the pause only a little")
        << QList<Reads>{{2048, 2, 50}, {100, 20, 1}} << QList<int>{2, 3};
}

void TestReadPacer::pauseAfterEachPhase()
{
    QFETCH(QList<Reads>, phases);
    QFETCH(QList<int>, pauses);

    ReadPacer pacer;
    qint64 nowMs = 1000;
    for (qsizetype phase = 0; phase < phases.size(); ++phase) {
        int pause = -1;
        for (int read = 0; read < phases[phase].count; ++read) {
            nowMs += phases[phase].everyMs;
            pause = pacer.pauseAfterRead(phases[phase].bytes, nowMs, phases[phase].more);
        }
        QVERIFY2(pause == pauses[phase],
                 qPrintable(QStringLiteral("phase %1: %2 ms").arg(phase).arg(pause)));
    }
}

void TestReadPacer::steadyStreamIsBatchedWithinTheLineBuffer_data()
{
    QTest::addColumn<qint64>("bytesPerSecond");
    QTest::addColumn<int>("steadyPauseMs");

    QTest::newRow("9600 baud") << qint64(960) << 40;
    QTest::newRow("115200 baud") << qint64(11520) << 40;
    QTest::newRow("100 KB/s") << qint64(102400) << 20;
    QTest::newRow("921600 baud") << qint64(92160) << 22;
    QTest::newRow("1 MB/s") << qint64(1048576) << 2;
    QTest::newRow("4 MB/s") << qint64(4194304) << 0;
}

// The port reads again after each pause (at the next millisecond when there
// is none) and finds what arrived meanwhile.
void TestReadPacer::steadyStreamIsBatchedWithinTheLineBuffer()
{
    QFETCH(qint64, bytesPerSecond);
    QFETCH(int, steadyPauseMs);

    ReadPacer pacer;
    qint64 nowMs = 1000;
    int pause = pacer.pauseAfterRead(1, nowMs);
    for (int read = 0; read < 500; ++read) {
        const qint64 elapsedMs = std::max(pause, 1);
        nowMs += elapsedMs;
        const qint64 bytes = bytesPerSecond * elapsedMs / 1000;
        // The kernel throttles the device when its 4 KiB line buffer has
        // fewer than 128 bytes free; what a pause gathers stays well below.
        if (read > 0 && pause > 0)
            QVERIFY2(bytes <= 2 * 1024 + 128, qPrintable(QString::number(bytes)));
        pause = pacer.pauseAfterRead(bytes, nowMs);
        QVERIFY(pause <= 40);
    }
    QCOMPARE(pause, steadyPauseMs);
}

QTEST_GUILESS_MAIN(TestReadPacer)
#include "tst_readpacer.moc"
