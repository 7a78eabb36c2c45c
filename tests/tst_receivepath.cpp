#include "DisplayColors.h"
#include "DisplayModel.h"
#include "DisplayOptions.h"
#include "NumberText.h"
#include "ReceivePath.h"
#include "TestServices.h"

#include <QSignalSpy>
#include <QTest>

using namespace std::chrono_literals;

namespace {
// Entries that may wait to be shown; a read longer than 1024 bytes is several entries.
constexpr qsizetype QueueBound = 100000;
} // namespace

class TestReceivePath : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void readsAndMarkersShowInTheirColorsAndTimes();
    void longReadsBecomeBoundedEntries();
    void dropStartsAtTheEntryAfterTheBound_data();
    void dropStartsAtTheEntryAfterTheBound();
    void dropReportGivesElapsedSeconds_data();
    void dropReportGivesElapsedSeconds();
    void numberReadings_data();
    void numberReadings();

private:
    void showAll(std::chrono::microseconds budget = 10s);
    void fill(qsizetype entries);

    DisplayModel *m_model = nullptr;
    DisplayOptions m_options;
    DisplayColors m_colors;
    ManualClock m_clock;
    ReceivePath *m_path = nullptr;
};

void TestReceivePath::init()
{
    m_model = new DisplayModel;
    m_options = DisplayOptions();
    m_colors = DisplayColors();
    m_path = new ReceivePath(*m_model, m_options, m_colors, m_clock);
}

void TestReceivePath::cleanup()
{
    delete m_path;
    delete m_model;
}

// Shows slices as the receive timer does, until one says nothing waits.
void TestReceivePath::showAll(std::chrono::microseconds budget)
{
    qsizetype slices = 0;
    while (!m_path->showSlice(budget))
        QVERIFY(++slices <= 2 * QueueBound);
}

void TestReceivePath::fill(qsizetype entries)
{
    for (qsizetype i = 0; i < entries; ++i)
        m_path->receive("x");
    QCOMPARE(m_path->waitingEntries(), entries);
    QVERIFY(!m_path->isDropping());
}

// Shown long after they arrived, in one change of the display, the lines keep
// their times of arrival; markers keep their place, in red.
void TestReceivePath::readsAndMarkersShowInTheirColorsAndTimes()
{
    QSignalSpy waiting(m_path, &ReceivePath::entriesWaiting);
    const qint64 first = m_clock.current.toMSecsSinceEpoch();
    m_path->receive("AB\r");
    m_clock.current = m_clock.current.addMSecs(1500);
    m_path->receive("a");
    m_path->lineEvent(ReceiveQueue::Marker::Break);
    m_path->receive("b\x01\r");
    m_path->lineEvent(ReceiveQueue::Marker::Parity);
    m_path->lineEvent(ReceiveQueue::Marker::Frame);
    QCOMPARE(waiting.count(), 1);
    m_clock.current = m_clock.current.addSecs(10);
    QSignalSpy shown(m_model, &DisplayModel::textChanged);
    showAll();
    QCOMPARE(shown.count(), 1);
    QCOMPARE(m_model->text(), "AB[CR ]\r\na***BREAK***b[SOH][CR ]\r\n***PARITY******FRAME***");
    QList<DisplayModel::ColorSpan> spans;
    for (qsizetype at = 0; at < m_model->length(); at = spans.last().end)
        spans += m_model->colorSpanAt(at);
    const quint32 c = m_colors.receiveChar;
    const quint32 f = m_colors.receiveFunc;
    const quint32 red = ColorValue::Red;
    QCOMPARE(spans, (QList<DisplayModel::ColorSpan>{
                        {c, 2}, {f, 9}, {c, 10}, {red, 21}, {c, 22}, {f, 34}, {red, 57}}));
    QCOMPARE(m_model->lineTime(0), first);
    QCOMPARE(m_model->lineTime(1), first + 1500);
    QCOMPARE(m_model->lineTime(2), first + 1500);
}

void TestReceivePath::longReadsBecomeBoundedEntries()
{
    QByteArray data(2500, 'q');
    data[1023] = 'L';
    data[1024] = 'F';
    m_path->receive(data);
    QCOMPARE(m_path->waitingEntries(), 3);
    showAll();
    QCOMPARE(m_model->text(), data);
    // Changed options apply to the next read.
    m_options.showFunctionCharacters = false;
    m_path->receive("\x01z");
    showAll();
    QCOMPARE(m_model->text(), data + "z");
}

void TestReceivePath::dropStartsAtTheEntryAfterTheBound_data()
{
    QTest::addColumn<qint64>("budgetUs");
    QTest::newRow("one slice") << qint64(10000000);
    // Every slice runs out of time after one entry, the last one included:
    // the report must still come, or the timer would stop for good.
    QTest::newRow("budget spent at each entry") << qint64(0);
}

void TestReceivePath::dropStartsAtTheEntryAfterTheBound()
{
    QFETCH(qint64, budgetUs);
    fill(QueueBound - 1);
    QSignalSpy started(m_path, &ReceivePath::droppingStarted);
    // A read crossing the bound keeps the entry that fits.
    m_path->receive(QByteArray(1024, 'k') + "lost");
    QVERIFY(m_path->isDropping());
    QCOMPARE(started.count(), 1);
    m_path->receive("also lost");
    m_path->lineEvent(ReceiveQueue::Marker::Break);
    QCOMPARE(started.count(), 1);
    QCOMPARE(m_path->waitingEntries(), QueueBound);

    QSignalSpy reported(m_path, &ReceivePath::droppingReported);
    showAll(std::chrono::microseconds(budgetUs));
    QCOMPARE(reported.count(), 1);
    QVERIFY(!m_path->isDropping());
    const QByteArray text = m_model->text();
    QCOMPARE(text.count('x'), QueueBound - 1);
    QCOMPARE(text.count('k'), 1024);
    QVERIFY(!text.contains("lost"));
    QVERIFY(!text.contains("***BREAK***"));
    QVERIFY(text.endsWith("[CR ]\r\n.....................................[CR ]\r\n"));

    // Normal again: the next read is shown.
    m_path->receive("back");
    showAll();
    QVERIFY(m_model->text().endsWith("back"));
}

void TestReceivePath::dropReportGivesElapsedSeconds_data()
{
    QTest::addColumn<QTime>("start");
    QTest::addColumn<QTime>("end");
    QTest::addColumn<QByteArray>("line");

    const auto row = [](const char *name, QTime start, QTime end, const char *seconds) {
        QTest::newRow(name) << start << end << "Last " + QByteArray(seconds) + " Seconds dropped";
    };
    row("start rounded up", QTime(10, 0, 0, 600), QTime(10, 0, 3, 500), "2.5");
    row("half a second", QTime(10, 0, 0), QTime(10, 0, 0, 500), ".5");
    row("before the rounded start", QTime(10, 0, 1, 500), QTime(10, 0, 1, 750), "-.25");
    row("across midnight", QTime(23, 59, 58), QTime(0, 0, 3), "5");
}

void TestReceivePath::dropReportGivesElapsedSeconds()
{
    QFETCH(QTime, start);
    QFETCH(QTime, end);
    QFETCH(QByteArray, line);

    m_clock.current.setTime(start);
    fill(QueueBound);
    m_path->receive("x");
    QVERIFY(m_path->isDropping());
    m_path->purge();
    m_clock.current.setTime(end);
    showAll();
    const QByteArray expected = "[CR ]\r\n......Input Buffer OverFlow..........[CR ]\r\n" + line +
                                "[CR ]\r\n.....................................[CR ]\r\n";
    QCOMPARE(m_model->text(), expected);
    QCOMPARE(m_model->colorSpanAt(0).color, ColorValue::Red);
    QCOMPARE(m_model->colorSpanAt(0).end, m_model->length());
}

void TestReceivePath::numberReadings_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("leading");
    QTest::addColumn<bool>("converts");
    QTest::addColumn<int>("asLong");

    QTest::newRow("plain") << "9600" << 9600.0 << true << 9600;
    QTest::newRow("blanks around") << "  300 " << 300.0 << true << 300;
    QTest::newRow("letter after") << "9600a" << 9600.0 << false << 0;
    QTest::newRow("empty") << "" << 0.0 << false << 0;
    QTest::newRow("half to even down") << "27.5" << 27.5 << true << 28;
    QTest::newRow("half to even up") << "4800.5" << 4800.5 << true << 4800;
    QTest::newRow("exponent") << "1e3" << 1000.0 << true << 1000;
    QTest::newRow("negative") << "-5" << -5.0 << true << -5;
    QTest::newRow("overflow") << "3000000000" << 3e9 << false << 0;
    QTest::newRow("second point stops") << "1.5.2" << 1.5 << false << 0;
}

void TestReceivePath::numberReadings()
{
    QFETCH(QString, text);
    QFETCH(double, leading);
    QFETCH(bool, converts);
    QFETCH(int, asLong);

    QCOMPARE(NumberText::leadingValue(text), leading);
    const std::optional<qint32> value = NumberText::toLong(text);
    QCOMPARE(value.has_value(), converts);
    if (converts)
        QCOMPARE(*value, asLong);
}

QTEST_GUILESS_MAIN(TestReceivePath)
#include "tst_receivepath.moc"
