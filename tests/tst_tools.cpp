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
    void waitSecondsLetsTheProgramWork_data();
    void waitSecondsLetsTheProgramWork();
    void waitSecondsEndsWithItsContext();
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

    QTest::newRow("a steady reading is good on the fourth quiet tick, then again")
        << QByteArray("123[CR ]\r\n") << false
        << QByteArrayList{"123[CR ]\r\n", "", "", "", "", "123[CR ]\r\n", "", "", "", ""}
        << QByteArray("....G....G");
    QTest::newRow("a different reading is bad and the test goes on")
        << QByteArray("123") << false
        << QByteArrayList{"124", "", "", "", "", "123", "", "", "", ""} << QByteArray("....B....G");
    QTest::newRow("an empty display is never judged")
        << QByteArray("123") << false << QByteArrayList{"", "", "", "", "", "123", "", "", "", ""}
        << QByteArray(".........G");
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

void TestTools::waitSecondsLetsTheProgramWork_data()
{
    QTest::addColumn<float>("seconds");
    QTest::addColumn<bool>("atOnce");
    QTest::newRow("0.3 s") << 0.3f << false;
    QTest::newRow("0 s runs at once") << 0.0f << true;
    QTest::newRow("negative runs at once") << -1.0f << true;
}

void TestTools::waitSecondsLetsTheProgramWork()
{
    QFETCH(float, seconds);
    QFETCH(bool, atOnce);

    QObject context;
    QStringList order;
    QElapsedTimer clock;
    qint64 waited = -1;
    QTimer::singleShot(0, &context, [&] { order.append(QStringLiteral("event")); });
    clock.start();
    WaitSeconds(seconds, &context, [&] {
        order.append(QStringLiteral("done"));
        waited = clock.elapsed();
    });
    QCOMPARE(order.size(), atOnce ? 1 : 0);
    QTRY_COMPARE(order.size(), 2);
    QCOMPARE(order.first(), atOnce ? QStringLiteral("done") : QStringLiteral("event"));
    if (!atOnce)
        QVERIFY2(waited >= 300, qPrintable(QString::number(waited)));
}

void TestTools::waitSecondsEndsWithItsContext()
{
    bool ran = false;
    {
        QObject context;
        WaitSeconds(0.05f, &context, [&] { ran = true; });
    }
    QTest::qWait(150);
    QVERIFY(!ran);
}

QTEST_GUILESS_MAIN(TestTools)
#include "tst_tools.moc"
