#include "ReadPacer.h"

#include <QTest>

namespace {
// Reads of one size at one spacing.
struct Reads
{
    qint64 bytes;
    qint64 everyMs;
    int count;
};
} // namespace

Q_DECLARE_METATYPE(QList<Reads>)

class TestReadPacer : public QObject
{
    Q_OBJECT

private slots:
    void pausesWhileTheStreamIsSlow_data();
    void pausesWhileTheStreamIsSlow();
};

void TestReadPacer::pausesWhileTheStreamIsSlow_data()
{
    QTest::addColumn<QList<Reads>>("phases");
    // Whether the last read of each phase is followed by a pause.
    QTest::addColumn<QList<bool>>("pauses");

    const Reads trickle{230, 20, 50};   // 115200 baud, read every pause
    const Reads flood{4096, 1, 300};    // far beyond any pause
    const Reads fastUart{1840, 20, 50}; // 921600 baud, read every pause
    QTest::newRow("115200 baud") << QList<Reads>{trickle} << QList<bool>{true};
    QTest::newRow("a flood is read without pauses after its first window")
        << QList<Reads>{{4096, 1, 90}, flood} << QList<bool>{true, false};
    QTest::newRow("921600 baud") << QList<Reads>{fastUart} << QList<bool>{false};
    QTest::newRow("a flood that slows down") << QList<Reads>{flood, trickle}
                                             << QList<bool>{false, true};
    QTest::newRow("a burst after a quiet spell")
        << QList<Reads>{flood, {1, 5000, 1}, {4096, 1, 5}} << QList<bool>{false, true, true};
}

void TestReadPacer::pausesWhileTheStreamIsSlow()
{
    QFETCH(QList<Reads>, phases);
    QFETCH(QList<bool>, pauses);

    ReadPacer pacer;
    qint64 nowMs = 1000;
    for (qsizetype phase = 0; phase < phases.size(); ++phase) {
        bool paused = false;
        for (int read = 0; read < phases[phase].count; ++read) {
            nowMs += phases[phase].everyMs;
            paused = pacer.pauseAfterRead(phases[phase].bytes, nowMs);
        }
        QVERIFY2(paused == pauses[phase], qPrintable(QStringLiteral("phase %1").arg(phase)));
    }
}

QTEST_GUILESS_MAIN(TestReadPacer)
#include "tst_readpacer.moc"
