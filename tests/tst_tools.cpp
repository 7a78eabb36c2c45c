#include "CompareTest.h"
#include "WaitSeconds.h"

#include <QElapsedTimer>
#include <QTest>
#include <QTimer>

class TestTools : public QObject
{
    Q_OBJECT

private slots:
    void compareTestJudgesReadings_data();
    void compareTestJudgesReadings();
    void waitSecondsLetsTheProgramWork();
};

// Each step is what arrives on the display before one tick of the test timer;
// the step "restart" is the Restart button instead: the display is cleared
// and no tick happens. The verdicts are one character per tick: '.' none,
// 'G' good, 'B' bad, 'H' bad and held. After G and B the window clears the
// display, as the driver below does.
void TestTools::compareTestJudgesReadings_data()
{
    QTest::addColumn<QByteArray>("standard");
    QTest::addColumn<bool>("hold");
    QTest::addColumn<QByteArrayList>("steps");
    QTest::addColumn<QByteArray>("verdicts");

    QTest::newRow("empty display not judged; good on the fourth quiet tick, then bad")
        << QByteArray("123[CR ]\r\n") << false
        << QByteArrayList{"", "", "123[CR ]\r\n", "", "", "", "", "124[CR ]\r\n", "", "", "", ""}
        << QByteArray("......G....B");
    QTest::newRow("an empty standard makes every reading bad")
        << QByteArray() << false << QByteArrayList{"123", "", "", "", "", "", "", "", "", "", ""}
        << QByteArray("....B......");
    QTest::newRow("growth does not reset the quiet ticks: a reading in bursts is judged early")
        << QByteArray("123456") << false
        << QByteArrayList{"12", "", "", "34", "", "", "56", "", "", "", ""}
        << QByteArray(".....B....B");
    QTest::newRow("held bad reading; after Restart a reading of its length is judged at once")
        << QByteArray("123") << true
        << QByteArrayList{"999", "", "", "", "", "restart", "123", "", "", "", "", ""}
        << QByteArray("....HG.....");
    QTest::newRow("after Restart the first tick without growth judges")
        << QByteArray("123") << true
        << QByteArrayList{"9999", "", "", "", "", "restart", "12", "", "restart", "123", "", ""}
        << QByteArray("....H.H.G.");
}

void TestTools::compareTestJudgesReadings()
{
    QFETCH(QByteArray, standard);
    QFETCH(bool, hold);
    QFETCH(QByteArrayList, steps);

    CompareTest test;
    test.setStandard(standard);
    QByteArray display;
    QByteArray verdicts;
    for (const QByteArray &step : steps) {
        if (step == "restart") {
            display.clear();
            continue;
        }
        display += step;
        switch (test.tick(display, hold)) {
        case CompareTest::Verdict::None:
            verdicts += '.';
            break;
        case CompareTest::Verdict::Good:
            verdicts += 'G';
            display.clear();
            break;
        case CompareTest::Verdict::Bad:
            verdicts += 'B';
            display.clear();
            break;
        case CompareTest::Verdict::BadHeld:
            verdicts += 'H';
            break;
        }
    }
    QTEST(verdicts, "verdicts");
    QCOMPARE(test.standard(), standard);
}

void TestTools::waitSecondsLetsTheProgramWork()
{
    QObject context;
    QStringList order;
    QElapsedTimer clock;
    qint64 waited = -1;
    QTimer::singleShot(0, &context, [&] { order.append(QStringLiteral("event")); });
    clock.start();
    WaitSeconds(0.3f, &context, [&] { waited = clock.elapsed(); });
    WaitSeconds(0, &context, [&] { order.append(QStringLiteral("no wait")); });
    QCOMPARE(order, QStringList{QStringLiteral("no wait")});
    QTRY_VERIFY(waited >= 0);
    QCOMPARE(order.last(), QStringLiteral("event"));
    QVERIFY2(waited >= 300, qPrintable(QString::number(waited)));

    // Nothing runs once the context is gone.
    bool ran = false;
    {
        QObject gone;
        WaitSeconds(0.05f, &gone, [&] { ran = true; });
    }
    QTest::qWait(150);
    QVERIFY(!ran);
}

QTEST_GUILESS_MAIN(TestTools)
#include "tst_tools.moc"
