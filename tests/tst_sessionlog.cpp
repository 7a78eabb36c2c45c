#include "DisplayOptions.h"
#include "ScratchFiles.h"
#include "SessionLog.h"
#include "SessionLogDecoder.h"
#include "SessionLogLines.h"
#include "TestServices.h"

#include <QFile>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

#include <sys/stat.h>

namespace {

using Direction = SessionLogLines::Direction;
constexpr Direction In = Direction::Received;
constexpr Direction Out = Direction::Sent;
constexpr Direction Mark = Direction::Event;

// One step of traffic: after advancing the clock by ms, data in a direction,
// or an event when the direction is Event.
struct Step
{
    int ms;
    Direction direction;
    QByteArray data;
};

// The clock starts at 2026-01-02 03:04:05.000.
QByteArray stamp(int ms)
{
    return "2026-01-02T03:04:" + QByteArray::number(5 + ms / 1000).rightJustified(2, '0') + '.' +
           QByteArray::number(ms % 1000).rightJustified(3, '0');
}

// A session log on a fixed clock, with what it shows and signals.
struct Logging
{
    DisplayOptions options;
    ManualClock clock;
    RecordingMessageBoxes boxes;
    SessionLog log{options, clock, boxes};
    QSignalSpy changes{&log, &SessionLog::loggingChanged};
};

} // namespace

Q_DECLARE_METATYPE(QList<Step>)

class TestSessionLog : public QObject
{
    Q_OBJECT

private slots:
    void linesEndWhereTheyShould_data();
    void linesEndWhereTheyShould();
    void everyByteDecodesBack_data();
    void everyByteDecodesBack();
    void decoderSkipsWhatIsNoLogLine();
    void fileIsAppendedToAndWrittenEverySecond();
    void failedOpensAndWritesStopLoggingWithOneMessage_data();
    void failedOpensAndWritesStopLoggingWithOneMessage();
};

void TestSessionLog::linesEndWhereTheyShould_data()
{
    QTest::addColumn<QByteArray>("breakCharacter");
    QTest::addColumn<QList<Step>>("steps");
    QTest::addColumn<QByteArray>("expected");

    const auto line = [](int ms, char mark, const QByteArray &text) {
        return stamp(ms) + ' ' + mark + ' ' + text + "\r\n";
    };
    const auto row = [](const char *name, const char *breakCharacter, const QList<Step> &steps,
                        const QByteArray &expected) {
        QTest::newRow(name) << QByteArray(breakCharacter) << steps << expected;
    };
    row("after the break character, its time the first byte's", "[CR ]",
        {{0, In, "ab\r\ncd"}, {50, In, "e\r"}},
        line(0, '<', "ab[CR ]") + line(0, '<', "[LF ]cde[CR ]"));
    row("a printable break character", "A", {{0, In, "xAyA"}},
        line(0, '<', "xA") + line(0, '<', "yA"));
    row("where the direction changes, events apart", "[CR ]",
        {{0, In, "ab"}, {10, Out, "c"}, {10, Out, "d"}, {5, Mark, "break"}, {5, Out, "e"}},
        line(0, '<', "ab") + line(10, '>', "cd") + line(25, '!', "break") + line(30, '>', "e"));
    row("a pause of more than 100 ms", "[CR ]", {{0, In, "a"}, {100, In, "b"}, {101, In, "c"}},
        line(0, '<', "ab") + line(201, '<', "c"));
    row("tokens and the opening bracket", "[CR ]", {{0, In, QByteArray("[CR ]\0\x7F\xFF ]", 10)}},
        line(0, '<', "[x5B]CR ][NUL][x7F][xFF] ]"));
    row("at 4,096 bytes", "[CR ]", {{0, In, QByteArray(4000, 'a')}, {0, In, QByteArray(97, 'b')}},
        line(0, '<', QByteArray(4000, 'a') + QByteArray(96, 'b')) + line(0, '<', "b"));
}

void TestSessionLog::linesEndWhereTheyShould()
{
    QFETCH(QByteArray, breakCharacter);
    QFETCH(QList<Step>, steps);
    QFETCH(QByteArray, expected);
    DisplayOptions options;
    options.setBreakCharacter(breakCharacter);
    // The log ignores how the display shows function characters and spaces.
    options.showFunctionCharacters = false;
    options.spaceOption = SpaceOption::SpecialCharacter;
    ManualClock clock;
    SessionLogLines lines(options, clock);
    for (const Step &step : steps) {
        clock.ticks += step.ms;
        clock.current = clock.current.addMSecs(step.ms);
        if (step.direction == Mark)
            lines.addEvent(QString::fromLatin1(step.data));
        else
            lines.addData(step.direction, step.data);
    }
    lines.endLine();
    QCOMPARE(lines.takeText(), expected);
}

void TestSessionLog::everyByteDecodesBack_data()
{
    QTest::addColumn<QByteArray>("breakCharacter");
    QTest::newRow("CR") << QByteArray("[CR ]");
    QTest::newRow("[") << QByteArray("[");
}

// All 256 byte values each way, in interleaved bursts of random size, with texts that look
// like tokens and lines longer than 4,096 bytes.
void TestSessionLog::everyByteDecodesBack()
{
    QFETCH(QByteArray, breakCharacter);
    DisplayOptions options;
    options.setBreakCharacter(breakCharacter);
    ManualClock clock;
    SessionLogLines lines(options, clock);

    QByteArray values;
    for (int code = 0; code < 256; ++code)
        values += char(code);
    const QByteArray lookalikes = "[CR ][x5B][[LF ]][NUL]x[x0d]";
    const QByteArray received = values + lookalikes + QByteArray(5000, 'r');
    const QByteArray sent = lookalikes + QByteArray(4097, '[') + values;
    QRandomGenerator random(7);

    for (qsizetype in = 0, out = 0; in < received.size() || out < sent.size();) {
        const qsizetype burst = random.bounded(1, 40);
        lines.addData(
            In, QByteArrayView(received).sliced(in).first(std::min(burst, received.size() - in)));
        in = std::min(in + burst, received.size());
        clock.ticks += random.bounded(150);
        lines.addData(Out,
                      QByteArrayView(sent).sliced(out).first(std::min(burst, sent.size() - out)));
        out = std::min(out + burst, sent.size());
    }
    lines.endLine();
    const QByteArray log = lines.takeText();
    const SessionLogDecoder::Result back = SessionLogDecoder::decode(log, In);
    QVERIFY(back.badLines.isEmpty());
    QCOMPARE(back.bytes, received);
    QCOMPARE(SessionLogDecoder::decode(log, Out).bytes, sent);
}

void TestSessionLog::decoderSkipsWhatIsNoLogLine()
{
    const QByteArray log = "2026-01-02T03:04:05.000 ! log started\r\n"
                           "2026-01-02T03:04:05.001 < a[CR ]\r\n"
                           "\r\n"
                           "garbage line\r\n"
                           "2026-01-02T03:04:05.002 ? b\r\n"
                           "2026-01-02T03:04:05.003 > c\r\n"
                           "2026-01-02T03:04:05.003 < " +
                           QByteArray(30000, 'e') + // longer than any log line
                           "\r\n"
                           "2026-01-02T03:04:05.004 <  d[x8A]"; // cut short by a kill
    const SessionLogDecoder::Result received = SessionLogDecoder::decode(log, In);
    QCOMPARE(received.bytes, QByteArray("a\r d\x8A"));
    QCOMPARE(received.badLines, (QList<int>{4, 5, 7}));
    QCOMPARE(SessionLogDecoder::decode(log, Out).bytes, QByteArray("c"));
}

void TestSessionLog::fileIsAppendedToAndWrittenEverySecond()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("session.log"));
    QVERIFY(writeFile(path, "earlier session\r\n"));
    const QFile::Permissions earlierPermissions = QFile::permissions(path);
    Logging logging;
    auto &[options, clock, messages, log, changes] = logging;
    QVERIFY(log.start(path));
    QVERIFY(
        contentOf(path).startsWith("earlier session\r\n2026-01-02T03:04:05.000 ! log started\r\n"));
    QCOMPARE(QFile::permissions(path), earlierPermissions);

    // A line still open is written with the rest within a second, and ended
    // there once its data have paused.
    log.received("reading");
    QVERIFY(!contentOf(path).contains("reading"));
    QTRY_VERIFY_WITH_TIMEOUT(contentOf(path).endsWith(" < reading"), 1500);
    clock.ticks += 101;
    QTRY_VERIFY_WITH_TIMEOUT(contentOf(path).endsWith(" < reading\r\n"), 1500);
    // 64 KiB are written at once.
    const QByteArray full(4096, 'b');
    log.received(full.repeated(16));
    QVERIFY(contentOf(path).endsWith(" < " + full + "\r\n"));

    log.sent("x");
    log.stop();
    QVERIFY(!log.isLogging());
    QVERIFY(contentOf(path).endsWith(" < " + full +
                                     "\r\n2026-01-02T03:04:05.000 > x\r\n"
                                     "2026-01-02T03:04:05.000 ! log stopped\r\n"));
    log.received("after");
    QVERIFY(!contentOf(path).contains("after"));
    QCOMPARE(changes.count(), 2);
    QVERIFY(messages.shown.isEmpty());

    // A new log is for its owner's eyes only.
    const QString newPath = dir.filePath(QStringLiteral("new.log"));
    QVERIFY(log.start(newPath));
    log.stop();
    struct stat status = {};
    QCOMPARE(::stat(QFile::encodeName(newPath).constData(), &status), 0);
    QCOMPARE(status.st_mode & 0777, 0600u);
}

void TestSessionLog::failedOpensAndWritesStopLoggingWithOneMessage_data()
{
    QTest::addColumn<QString>("situation");
    QTest::addColumn<QString>("reason");
    const auto row = [](const char *name, const char *situation, const char *reason) {
        QTest::newRow(name) << QString::fromLatin1(situation) << QString::fromLatin1(reason);
    };
    const char *const noRoom = "No space left on device";
    // Writing to /dev/full fails as a full disk does.
    row("full device", "full device", noRoom);
    // Full while 64 KiB go out at once, with room again before the next write.
    row("disk full for a moment", "disk full", noRoom);
    row("file replaced", "replaced", "another file has taken its place");
    // Refused at the start.
    row("no such folder", "missing", "could not be opened: No such file or directory");
    row("pipe", "pipe", "could not be opened: it is a pipe, not a file");
}

void TestSessionLog::failedOpensAndWritesStopLoggingWithOneMessage()
{
    QFETCH(QString, situation);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    std::optional<ScratchFiles> scratch;
    QString path = dir.filePath("session.log");
    if (situation == QLatin1String("full device")) {
        path = QStringLiteral("/dev/full");
    } else if (situation == QLatin1String("missing")) {
        path = dir.filePath("missing/session.log");
    } else if (situation == QLatin1String("pipe")) {
        QVERIFY(::mkfifo(QFile::encodeName(path).constData(), 0600) == 0);
    } else if (situation == QLatin1String("disk full")) {
        scratch.emplace(64 * 1024);
        if (*scratch->why())
            QSKIP(scratch->why());
        path = scratch->filePath("session.log");
    }
    const bool refused =
        situation == QLatin1String("missing") || situation == QLatin1String("pipe");
    Logging logging;
    auto &[options, clock, messages, log, changes] = logging;
    QVERIFY(log.start(path) != refused ||
            situation == QLatin1String("full device")); // a full device fails at once
    const QByteArray other = "another file\r\n";
    if (situation == QLatin1String("disk full")) {
        QVERIFY(scratch->fill(4096));
    } else if (situation == QLatin1String("replaced")) {
        QVERIFY(writeFile(dir.filePath("other"), other));
        QVERIFY(QFile::remove(path) && QFile::rename(dir.filePath("other"), path));
    }
    for (int i = 0; i < 100; ++i)
        log.received(QByteArray(1024, 'a'));
    // The room comes back: only the write that met the full disk could tell.
    if (scratch)
        QVERIFY(QFile::remove(scratch->filePath(".filler")));
    QTRY_VERIFY_WITH_TIMEOUT(!log.isLogging(), 1500);
    log.received(QByteArray(100 * 1024, 'b'));
    log.stop();

    QCOMPARE(messages.shown.size(), 1);
    QVERIFY2(messages.shown[0].contains(path) && messages.shown[0].endsWith(reason),
             qPrintable(messages.shown[0]));
    QCOMPARE(changes.count(), refused ? 0 : 2);
    QVERIFY(!log.isLogging());
    if (situation == QLatin1String("replaced"))
        QCOMPARE(contentOf(path), other);
}

QTEST_GUILESS_MAIN(TestSessionLog)
#include "tst_sessionlog.moc"
