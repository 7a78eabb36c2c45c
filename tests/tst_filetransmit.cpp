#include "CommonDialog.h"
#include "DevSim.h"
#include "FileTransmitter.h"
#include "MainWindowFixture.h"
#include "QtCommPort.h"
#include "ScratchFiles.h"
#include "StringSetStore.h"

#include <QAbstractButton>
#include <QFile>
#include <QLabel>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <sys/stat.h>

namespace {

constexpr quint32 XmitChar = ColorValue::Green;
constexpr quint32 XmitFunc = ColorValue::Magenta;

QByteArray byteValues(qsizetype size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i)
        bytes[i] = char(i * 7 + i / 256); // every value, in a changing order
    return bytes;
}

struct Sending : Window
{
    QTemporaryDir dir;

    Sending()
    {
        start();
        port->log.clear();
    }
    QString file(const QByteArray &content)
    {
        const QString path = dir.filePath(QStringLiteral("send.txt"));
        return writeFile(path, content) ? path : QString();
    }
    void transmit(const QString &path)
    {
        services.fileDialogs.answer = path;
        action("mnuTransmitFile")->trigger();
    }
    // Drains the queue every millisecond until the file is out.
    bool drainUntilSent()
    {
        QTimer drain;
        QObject::connect(&drain, &QTimer::timeout, [this] { port->drainOutput(); });
        drain.start(1);
        return QTest::qWaitFor([this] { return !window->isTransmittingFile(); }, 20000);
    }
    // The display as (end, color) spans.
    QList<QPair<qsizetype, quint32>> spans() const
    {
        QList<QPair<qsizetype, quint32>> result;
        const DisplayModel &model = window->displayModel();
        for (qsizetype at = 0; at < model.length();) {
            const DisplayModel::ColorSpan span = model.colorSpanAt(at);
            result.append({span.end, span.color});
            at = span.end;
        }
        return result;
    }
};

using Spans = QList<QPair<qsizetype, quint32>>;

} // namespace

class TestFileTransmit : public QObject
{
    Q_OBJECT

private slots:
    void sentAndEchoed_data();
    void sentAndEchoed();
    void cancelledOrRefusedFile_data();
    void cancelledOrRefusedFile();
    void sendEndsWhereItStops_data();
    void sendEndsWhereItStops();
    void deviceGetsEveryByteOverAPseudoTerminal();
};

void TestFileTransmit::sentAndEchoed_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("portOpen");
    QTest::addColumn<QByteArray>("written");
    QTest::addColumn<QByteArray>("shown");
    QTest::addColumn<Spans>("spans");

    const auto row = [](const char *name, const char *content, bool portOpen, const char *written,
                        const char *shown, const Spans &spans) {
        QTest::newRow(name) << QByteArray(content) << portOpen << QByteArray(written)
                            << QByteArray(shown) << spans;
    };
    row("empty file", "", true, "", "", {});
    row("OK CR LF", "OK\r\n", true, "OK\r\n", "OK[CR ]\r\n[LF ]", {{2, XmitChar}, {14, XmitFunc}});
    row("OK CR LF, port closed", "OK\r\n", false, "", "OK[CR ]\r\n[LF ]", {{14, ColorValue::Red}});
    // Tokens in a file are sent as their characters; a run of one color that
    // equals the break character ends the line, as any append does.
    row("token text", "[CR ]", true, "[CR ]", "[CR ]\r\n", {{7, XmitChar}});
}

void TestFileTransmit::sentAndEchoed()
{
    QFETCH(QByteArray, content);
    QFETCH(bool, portOpen);

    Sending f;
    if (!portOpen)
        f.window->DisableCommPort();
    f.transmit(f.file(content));
    QTRY_VERIFY(!f.window->isTransmittingFile());
    QTEST(f.port->written, "written");
    QTEST(f.display(), "shown");
    QTEST(f.spans(), "spans");
    QVERIFY(f.services.messageBoxes.shown.isEmpty());
}

void TestFileTransmit::cancelledOrRefusedFile_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("message"); // %1: the path
    QTest::newRow("cancelled") << QString() << QString();
    QTest::newRow("missing file") << "nothing.txt"
                                  << "No File Selected Yet\r\n"
                                     "The file %1 cannot be sent: No such file or directory";
    QTest::newRow("pipe") << "pipe"
                          << "The file %1 cannot be sent: it is a pipe, not a file";
    // Endless: never opened.
    QTest::newRow("device") << "/dev/zero"
                            << "The file %1 cannot be sent: it is a device, not a file";
}

void TestFileTransmit::cancelledOrRefusedFile()
{
    QFETCH(QString, name);
    QFETCH(QString, message);
    Sending f;
    QVERIFY(::mkfifo(QFile::encodeName(f.dir.filePath("pipe")).constData(), 0600) == 0);
    const QString path = name.isEmpty() ? name : QDir(f.dir.path()).absoluteFilePath(name);
    f.transmit(path);
    QCOMPARE(f.services.messageBoxes.shown,
             message.isEmpty() ? QStringList() : QStringList{message.arg(path)});
    QVERIFY(!f.window->isTransmittingFile());
    QVERIFY(f.port->written.isEmpty());
    QVERIFY(f.display().isEmpty());
}

void TestFileTransmit::sendEndsWhereItStops_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("receiveInterrupts");
    QTest::addColumn<bool>("functionKey");
    // A key goes out between the file's bytes where receive interrupts are
    // allowed, else after the file.
    QTest::newRow("port freed") << "cmdPortState" << false << false;
    QTest::newRow("device lost") << "lost" << false << false;
    QTest::newRow("stopped from the menu") << "yes" << false << false;
    QTest::newRow("going on after the question") << "no" << false << false;
    QTest::newRow("typed, receive interrupts allowed") << "" << true << false;
    QTest::newRow("F1, full strings") << "" << false << true;
}

void TestFileTransmit::sendEndsWhereItStops()
{
    QFETCH(QString, how);
    QFETCH(bool, receiveInterrupts);
    QFETCH(bool, functionKey);

    Sending f;
    f.useStyle(receiveInterrupts, !receiveInterrupts);
    f.window->stringSets().setString(0, 0, "XYZ");
    f.holdQueue(64);
    const QByteArray content(5000, 'a');
    f.transmit(f.file(content));
    const QByteArray sent = f.port->written;
    QVERIFY(!sent.isEmpty() && sent.size() < content.size());
    // The status bar tells how far the send is.
    auto *progress = f.child<QLabel>("StatusBar1Progress");
    QCOMPARE(progress->text(), QStringLiteral("Sent %1 of 5000 bytes (1%)").arg(sent.size()));
    QVERIFY(progress->isVisible() && f.child("StatusBar1")->rect().contains(progress->geometry()));
    const QByteArray keys = functionKey ? "XYZ" : "X";
    if (functionKey)
        f.window->rtbDisplay_KeyDown(KeyboardTransmitter::KeyF1, 0);
    else
        f.window->rtbDisplay_KeyPress('X'); // shown at once
    if (!receiveInterrupts)
        QCOMPARE(f.port->written, sent);

    if (how == QLatin1String("lost")) {
        f.port->loseDevice();
    } else if (how == QLatin1String("cmdPortState")) {
        f.child<QAbstractButton>("cmdPortState")->click();
    } else if (!how.isEmpty()) {
        // Chosen again, the menu item asks whether to stop.
        f.services.messageBoxes.answer = how == QLatin1String("yes");
        f.action("mnuTransmitFile")->trigger();
        QCOMPARE(f.services.messageBoxes.asked,
                 QStringList{QStringLiteral("Transmit a File|Stop sending send.txt?")});
        QCOMPARE(f.services.fileDialogs.showings.size(), 1);
    }
    QVERIFY(f.drainUntilSent());
    QTRY_VERIFY(!f.window->isSending());
    QVERIFY(progress->isHidden());
    if (how.isEmpty() || how == QLatin1String("no")) {
        QByteArray expected = content;
        QCOMPARE(f.port->written, expected.insert(receiveInterrupts ? sent.size() : 5000, keys));
        QCOMPARE(f.display().count('a'), content.size());
        QVERIFY(f.display().contains(keys));
        QVERIFY(f.services.messageBoxes.shown.isEmpty()); // no "Transmit Full"
        return;
    }
    // What went out is shown in the transmit colors, then a red marker on a
    // line of its own; the rest of the file is neither sent nor shown.
    const QByteArray marker =
        "***Transmit stopped: " + QByteArray::number(sent.size()) + " of 5000 bytes sent***\r\n";
    QCOMPARE(f.display(), 'X' + sent + "\r\n" + marker);
    QCOMPARE(f.spans(), (Spans{{1 + sent.size(), XmitChar},
                               {1 + sent.size() + 2 + marker.size(), ColorValue::Red}}));
    // Held keys go out once the send has ended, where the port is still open.
    QCOMPARE(f.port->written, how == QLatin1String("yes") ? sent + 'X' : sent);
}

// A megabyte reaches the device over a real port, with no Transmit Full on the way.
void TestFileTransmit::deviceGetsEveryByteOverAPseudoTerminal()
{
    DevSim device({"echo"});
    QVERIFY(!device.path.isEmpty());
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("megabyte.bin"));
    const QByteArray content = byteValues(1024 * 1024);
    QVERIFY(writeFile(path, content));

    QtCommPort port;
    port.setCommPort(device.path);
    QCOMPARE(port.setSettings(QStringLiteral("115200,N,8,1")), CommError::None);
    QCOMPARE(port.setPortOpen(true), CommError::None);
    // The echo is what the device received.
    QByteArray echoed;
    int otherEvents = 0;
    connect(&port, &CommPort::OnComm, this, [&] {
        if (port.CommEvent() == CommPort::Receive)
            echoed += port.Input();
        else
            ++otherEvents; // such as Transmit Full
    });

    DisplayModel model;
    DisplayOptions options;
    DisplayColors colors;
    StringSetStore strings;
    KeyboardTransmitter keyboard(port, model, options, colors, strings);
    RecordingMessageBoxes messages;
    ScriptedFileDialogs dialogs;
    CommonDialog dialog(dialogs);
    FileTransmitter transmitter(port, model, options, colors, keyboard, dialog, messages);
    QSignalSpy busy(&transmitter, &FileTransmitter::busyChanged);
    transmitter.transmit(path, TransmitStyle{true, false});
    QTRY_COMPARE_WITH_TIMEOUT(busy.count(), 2, 60000);
    QTRY_VERIFY_WITH_TIMEOUT(echoed.size() >= content.size(), 30000);
    QVERIFY(echoed == content);
    QCOMPARE(otherEvents, 0);
    QVERIFY(messages.shown.isEmpty());
}

QTEST_MAIN(TestFileTransmit)
#include "tst_filetransmit.moc"
