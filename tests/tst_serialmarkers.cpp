#include "CommPort.h"
#include "LineMarkerParser.h"

#include <QTest>

using Chunks = QList<QByteArray>;

// Pieces of all reads with neighbouring data joined, written as d(41 42) for
// data and m(00) for a marked byte, so that where a read ended does not show.
static QString render(LineMarkerParser &parser, const Chunks &chunks)
{
    QList<LineMarkerParser::Piece> pieces;
    for (const QByteArray &chunk : chunks) {
        for (const LineMarkerParser::Piece &piece : parser.feed(chunk)) {
            if (piece.kind == LineMarkerParser::Piece::Data && !pieces.isEmpty() &&
                pieces.back().kind == LineMarkerParser::Piece::Data)
                pieces.back().bytes += piece.bytes;
            else
                pieces.append(piece);
        }
    }
    QStringList parts;
    for (const LineMarkerParser::Piece &piece : pieces) {
        const QLatin1StringView kind(piece.kind == LineMarkerParser::Piece::Data ? "d" : "m");
        parts.append(
            QStringLiteral("%1(%2)").arg(kind, QString::fromLatin1(piece.bytes.toHex(' '))));
    }
    return parts.join(u' ');
}

class TestSerialMarkers : public QObject
{
    Q_OBJECT

private slots:
    void parser_data();
    void parser();
    void markingCanBeSwitchedOff();
    void classify_data();
    void classify();
};

void TestSerialMarkers::parser_data()
{
    QTest::addColumn<Chunks>("chunks");
    QTest::addColumn<QString>("expected");

    const QByteArray breakMarker("\377\0\0", 3);
    QTest::newRow("plain") << Chunks{"AB"} << "d(41 42)";
    QTest::newRow("no bytes") << Chunks{"", "A", ""} << "d(41)";
    QTest::newRow("literal ff") << Chunks{"A\377\377B"} << "d(41 ff 42)";
    QTest::newRow("literal ff split") << Chunks{"A\377", "\377B"} << "d(41 ff 42)";
    QTest::newRow("two literal ff") << Chunks{"\377\377\377\377"} << "d(ff ff)";
    QTest::newRow("break") << Chunks{"A" + breakMarker + "B"} << "d(41) m(00) d(42)";
    QTest::newRow("break split after escape")
        << Chunks{"A\377", QByteArray("\0\0B", 3)} << "d(41) m(00) d(42)";
    QTest::newRow("break split after nul")
        << Chunks{QByteArray("A\377\0", 3), QByteArray("\0B", 2)} << "d(41) m(00) d(42)";
    QTest::newRow("break one byte per read")
        << Chunks{"\377", QByteArray(1, '\0'), QByteArray(1, '\0')} << "m(00)";
    QTest::newRow("error on a byte") << Chunks{QByteArray("x\377\0A", 4)} << "d(78) m(41)";
    QTest::newRow("error on ff") << Chunks{QByteArray("\377\0\377", 3)} << "m(ff)";
    QTest::newRow("error on escape split")
        << Chunks{QByteArray("\377\0", 2), "\377", "\377", "\377"} << "m(ff) d(ff)";
    QTest::newRow("markers back to back")
        << Chunks{breakMarker + QByteArray("\377\0A", 3)} << "m(00) m(41)";
    QTest::newRow("literal ff then break") << Chunks{"\377\377" + breakMarker} << "d(ff) m(00)";
    QTest::newRow("nul data stays data") << Chunks{QByteArray("\0\0A", 3)} << "d(00 00 41)";
    QTest::newRow("escape before other byte is itself") << Chunks{"\377A"} << "d(ff 41)";
    QTest::newRow("escape at end waits") << Chunks{"A\377"} << "d(41)";
    QTest::newRow("escape nul at end waits") << Chunks{QByteArray("A\377\0", 3)} << "d(41)";
}

void TestSerialMarkers::parser()
{
    QFETCH(Chunks, chunks);
    QFETCH(QString, expected);

    LineMarkerParser parser;
    QCOMPARE(render(parser, chunks), expected);
}

void TestSerialMarkers::markingCanBeSwitchedOff()
{
    LineMarkerParser parser(false);
    QCOMPARE(render(parser, {QByteArray("\377\377\377\0\0", 5)}), "d(ff ff ff 00 00)");

    // Switching marking on forgets an unfinished marker of the old stream.
    parser.setMarking(true);
    QCOMPARE(render(parser, {"\377"}), "");
    parser.setMarking(true);
    QCOMPARE(render(parser, {QByteArray("\0\0", 2)}), "d(00 00)");
    parser.setMarking(false);
    QCOMPARE(render(parser, {"\377"}), "d(ff)");
}

void TestSerialMarkers::classify_data()
{
    QTest::addColumn<char>("byte");
    QTest::addColumn<QList<int>>("counts"); // breaks, framing, parity
    QTest::addColumn<bool>("parityOn");
    QTest::addColumn<int>("code");
    QTest::addColumn<bool>("keepByte");
    QTest::addColumn<QList<int>>("countsLeft");

    QTest::newRow("counted break")
        << '\0' << QList{1, 0, 0} << false << int(CommPort::Break) << false << QList{0, 0, 0};
    QTest::newRow("nul with parity error counted")
        << '\0' << QList{0, 1, 1} << true << int(CommPort::ParityError) << true << QList{0, 1, 0};
    QTest::newRow("nul with framing error counted")
        << '\0' << QList{0, 1, 0} << false << int(CommPort::FramingError) << true << QList{0, 0, 0};
    QTest::newRow("nul uncounted is a break")
        << '\0' << QList{0, 0, 0} << true << int(CommPort::Break) << false << QList{0, 0, 0};
    QTest::newRow("byte never uses a break count")
        << 'A' << QList{2, 0, 0} << false << int(CommPort::FramingError) << true << QList{2, 0, 0};
    QTest::newRow("byte with parity counted")
        << 'A' << QList{0, 1, 1} << false << int(CommPort::ParityError) << true << QList{0, 1, 0};
    QTest::newRow("byte with framing counted")
        << 'A' << QList{0, 1, 0} << true << int(CommPort::FramingError) << true << QList{0, 0, 0};
    QTest::newRow("byte uncounted, parity on")
        << 'A' << QList{0, 0, 0} << true << int(CommPort::ParityError) << true << QList{0, 0, 0};
    QTest::newRow("byte uncounted, parity off")
        << '\377' << QList{0, 0, 0} << false << int(CommPort::FramingError) << true
        << QList{0, 0, 0};
}

void TestSerialMarkers::classify()
{
    QFETCH(char, byte);
    QFETCH(QList<int>, counts);
    QFETCH(bool, parityOn);

    LineErrorCounts unused{counts[0], counts[1], counts[2]};
    const LineEvent event = classifyMarkedByte(byte, &unused, parityOn);
    QTEST(event.code, "code");
    QTEST(event.keepByte, "keepByte");
    QTEST((QList{unused.breaks, unused.framing, unused.parity}), "countsLeft");
}

QTEST_GUILESS_MAIN(TestSerialMarkers)
#include "tst_serialmarkers.moc"
