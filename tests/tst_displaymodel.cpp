#include "DisplayModel.h"
#include "HexHistory.h"
#include "TestServices.h"

#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTest>

namespace {

// The display holds 500,000 characters at most: once it passes 499,000 the
// oldest 1000 are removed at a time.
constexpr qsizetype Capacity = 500000;
constexpr qsizetype TrimThreshold = 499000;
constexpr qsizetype TrimChunk = 1000;

// A plain reference: the whole text and one color per character, trimmed by copying.
struct ReferenceDisplay
{
    QByteArray text;
    QList<quint32> colors;

    void put(const QByteArray &input, quint32 color, const QByteArray &breakCharacter)
    {
        QByteArray added = input;
        if (input == breakCharacter)
            added += "\r\n";
        text += added;
        for (qsizetype i = 0; i < added.size(); ++i)
            colors.append(color);
        while (text.size() > TrimThreshold) {
            text.remove(0, TrimChunk);
            colors.remove(0, TrimChunk);
        }
    }
};

QByteArray filler(qsizetype size)
{
    QByteArray text(size, 'a');
    for (qsizetype i = 0; i < size; ++i)
        text[i] = char('a' + i % 26);
    return text;
}

// The bytes a hex row gives back: the two-digit groups after the time and
// the mark; the characters column is as long as their count.
QByteArray hexBytes(const QByteArray &row)
{
    QByteArray bytes;
    for (const QByteArray &group : row.mid(15).split(' ')) {
        if (group.size() != 2 || QByteArray::fromHex(group).toHex().toUpper() != group)
            break;
        bytes += QByteArray::fromHex(group);
    }
    return bytes;
}

// A row as "<mark> <hex digits>|<characters>", or "! <event>".
QByteArray hexRowSummary(const QByteArray &row)
{
    if (row[13] == '!')
        return row.mid(13);
    const QByteArray bytes = hexBytes(row);
    return row.mid(13, 2) + bytes.toHex(' ').toUpper() + '|' + row.right(bytes.size());
}

// Feeds a hex history: "<text" received, ">text" sent, "!text" an event,
// "+N" lets N milliseconds pass.
void feed(HexHistory &history, ManualClock &clock, const QByteArrayList &steps)
{
    for (const QByteArray &step : steps) {
        const QByteArray rest = step.mid(1);
        switch (step[0]) {
        case '<':
            history.received(rest);
            break;
        case '>':
            history.sent(rest);
            break;
        case '!':
            history.event(QString::fromLatin1(rest));
            break;
        default:
            clock.ticks += rest.toLongLong();
            clock.current = clock.current.addMSecs(rest.toLongLong());
        }
    }
}

} // namespace

class TestDisplayModel : public QObject
{
    Q_OBJECT

private slots:
    void breakCharacterEndsTheLine_data();
    void breakCharacterEndsTheLine();
    void appendMovesCaretAndDropsSelection();
    void heldSelectionCoversTheSameCharacters();
    void clearEmptiesEverything();
    void matchesReferenceOverManyTrims();
    void trimmingKeepsEachLinesTime();
    void hexRowsBreak_data();
    void hexRowsBreak();
    void hexRowsStartWithTheTimeOfTheirFirstByte();
    void hexHistoryKeepsTheNewestMillionBytes();
};

void TestDisplayModel::breakCharacterEndsTheLine_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QByteArray>("breakCharacter");
    QTest::addColumn<QByteArray>("expected");

    const auto row = [](const char *name, const char *input, const char *breakCharacter,
                        const char *expected) {
        QTest::newRow(name) << QByteArray(input) << QByteArray(breakCharacter)
                            << QByteArray(expected);
    };
    row("exact token", "[CR ]", "[CR ]", "[CR ]\r\n");
    row("token inside longer text", "AB[CR ]", "[CR ]", "AB[CR ]");
    row("case differs", "[cr ]", "[CR ]", "[cr ]");
    row("empty input", "", "[CR ]", "");
}

void TestDisplayModel::breakCharacterEndsTheLine()
{
    QFETCH(QByteArray, input);
    QFETCH(QByteArray, breakCharacter);
    QFETCH(QByteArray, expected);

    DisplayModel model;
    model.putInDisplay(input, 1, breakCharacter);
    QCOMPARE(model.text(), expected);
}

void TestDisplayModel::appendMovesCaretAndDropsSelection()
{
    DisplayModel model;
    model.putInDisplay("hello world", 1, "[CR ]");
    // A selection is kept within the text.
    const std::tuple<qsizetype, qsizetype, qsizetype, QByteArray> selections[] = {
        {500000, 4, 11, ""}, {7, 100, 7, "orld"}, {-3, 1, 0, "h"}};
    for (const auto &[start, length, expectedStart, expectedText] : selections) {
        model.setSelection(start, length);
        QCOMPARE(model.selectionStart(), expectedStart);
        QCOMPARE(model.selectedText(), expectedText);
    }

    QSignalSpy selectionSpy(&model, &DisplayModel::selectionChanged);
    model.putInDisplay("!", 1, "[CR ]");
    QCOMPARE(selectionSpy.count(), 1);
    QCOMPARE(model.selectionLength(), 0);
    QCOMPARE(model.selectionStart(), model.length());
    QCOMPARE(model.caret(), model.length());

    model.putInDisplay("", 1, "[CR ]");
    QCOMPARE(selectionSpy.count(), 1); // the caret was already at the end
}

void TestDisplayModel::heldSelectionCoversTheSameCharacters()
{
    DisplayModel model;
    const QByteArray start = filler(2000);
    model.putInDisplay(start, 1, "[CR ]");
    model.setFollowing(false);
    model.setSelection(990, 20); // across the end of the first 1000 characters
    const QByteArray selected = start.mid(990, 20);
    QSignalSpy selectionSpy(&model, &DisplayModel::selectionChanged);
    model.putInDisplay(filler(TrimThreshold - model.length()), 2, "[CR ]");
    QCOMPARE(model.length(), TrimThreshold);
    QCOMPARE(model.selectedText(), selected);
    QCOMPARE(selectionSpy.count(), 0);

    // The first trim takes the selection's first ten characters; the rest stay selected.
    model.putInDisplay("x", 3, "[CR ]");
    QCOMPARE(model.origin(), TrimChunk);
    QCOMPARE(model.selectionStart(), 0);
    QCOMPARE(model.selectedText(), selected.mid(10));
    QCOMPARE(selectionSpy.count(), 1);
    // The next takes the rest: no selection is left.
    model.putInDisplay(filler(1000), 3, "[CR ]");
    QCOMPARE(model.selectionLength(), 0);
    QCOMPARE(selectionSpy.count(), 2);
}

void TestDisplayModel::clearEmptiesEverything()
{
    ManualClock clock;
    DisplayModel model;
    model.setClock(&clock);
    model.putInDisplay("[CR ]", 1, "[CR ]", 12345);
    model.putInDisplay("x", 2, "[CR ]");
    model.selectAll();
    model.setFollowing(false);
    model.clear();
    QVERIFY(model.isFollowing());
    QCOMPARE(model.length(), 0);
    QCOMPARE(model.lineCount(), 1);
    QCOMPARE(model.selectionLength(), 0);
    model.putInDisplay("y", 5, "[CR ]");
    QCOMPARE(model.text(), QByteArray("y"));
    QCOMPARE(model.colorSpanAt(0).color, 5u);
    QCOMPARE(model.lineLength(0), 1);
    QCOMPARE(model.lineTime(0), clock.current.toMSecsSinceEpoch());
}

void TestDisplayModel::matchesReferenceOverManyTrims()
{
    // Enough appends for many trims and several compactions of the buffer,
    // one at a time and in groups of pieces.
    DisplayModel model;
    DisplayModel grouped;
    ReferenceDisplay reference;
    QRandomGenerator random(42);
    const QByteArray breakCharacter = "[CR ]";
    // First one append larger than the display holds.
    const QByteArray oversized = filler(Capacity + 2345);
    model.putInDisplay(oversized, 0, breakCharacter);
    grouped.putInDisplay(oversized, 0, breakCharacter);
    reference.put(oversized, 0, breakCharacter);
    qint64 appended = 0;
    while (appended < 3 * Capacity) {
        QByteArray group;
        std::vector<DisplayModel::Piece> pieces;
        for (int count = random.bounded(1, 6); count > 0; --count) {
            QByteArray input;
            switch (random.bounded(5)) {
            case 0:
                input = breakCharacter;
                break;
            case 1:
                input = filler(random.bounded(1, 3000));
                break;
            case 2:
                break; // an empty piece
            default:
                input = filler(random.bounded(1, 80));
                break;
            }
            const quint32 color = random.bounded(3);
            model.putInDisplay(input, color, breakCharacter);
            reference.put(input, color, breakCharacter);
            group += input;
            pieces.push_back({group.size(), color});
            appended += input.size();
        }
        grouped.putPieces(group, pieces, breakCharacter);
    }
    for (const DisplayModel *shown : {&model, &grouped}) {
        QCOMPARE(shown->text(), reference.text);
        for (qsizetype position = 0; position < reference.text.size(); position += 997) {
            const DisplayModel::ColorSpan span = shown->colorSpanAt(position);
            QCOMPARE(span.color, reference.colors[position]);
            QCOMPARE(reference.colors[span.end - 1], span.color);
            if (span.end < reference.text.size())
                QVERIFY(reference.colors[span.end] != span.color);
        }
        const QList<QByteArray> lines = reference.text.split('\n');
        QCOMPARE(shown->lineCount(), lines.size());
        qsizetype start = 0;
        for (qsizetype line = 0; line < lines.size(); ++line) {
            QCOMPARE(shown->lineStart(line), start);
            QCOMPARE(shown->lineOf(start), line);
            QCOMPARE(shown->lineLength(line),
                     lines[line].size() - (lines[line].endsWith('\r') ? 1 : 0));
            start += lines[line].size() + 1;
        }
    }
}

void TestDisplayModel::trimmingKeepsEachLinesTime()
{
    DisplayModel model;
    for (qint64 number = 0; number < 15000; ++number)
        model.putInDisplay(QByteArray::number(number).leftJustified(40, '.') + "\r\n", 1, "[CR ]",
                           number);
    QVERIFY(model.origin() > 0);
    for (qsizetype line = 1; line + 1 < model.lineCount(); ++line) {
        const QByteArray text = model.textView(model.lineStart(line), 40).toByteArray();
        QCOMPARE(model.lineTime(line), text.left(text.indexOf('.')).toLongLong());
    }
}

void TestDisplayModel::hexRowsBreak_data()
{
    QTest::addColumn<QByteArrayList>("steps");
    QTest::addColumn<QByteArrayList>("rows");

    const auto row = [](const char *name, const QByteArrayList &steps, const QByteArrayList &rows) {
        QTest::newRow(name) << steps << rows;
    };
    row("reads fill a row", {"<0123456789", "<abcdefXY"},
        {"< 30 31 32 33 34 35 36 37 38 39 61 62 63 64 65 66|0123456789abcdef", "< 58 59|XY"});
    row("direction changes", {"<A", ">B", ">C", "<D"}, {"< 41|A", "> 42 43|BC", "< 44|D"});
    row("a pause of 100 ms continues", {"<A", "+100", "<B"}, {"< 41 42|AB"});
    row("a pause of 101 ms starts a row", {"<A", "+101", "<B"}, {"< 41|A", "< 42|B"});
    row("an event is a row of its own", {"<A", "!break", "<B"}, {"< 41|A", "! break", "< 42|B"});
    row("blank, tilde and beyond", {"< ~\x7F\x80\xFF\t"}, {"< 20 7E 7F 80 FF 09| ~...."});
}

void TestDisplayModel::hexRowsBreak()
{
    QFETCH(QByteArrayList, steps);

    ManualClock clock;
    HexHistory history(clock);
    feed(history, clock, steps);
    QByteArrayList rows;
    for (qint64 number = history.firstRow(); number < history.endRow(); ++number)
        rows += hexRowSummary(history.rowText(number));
    QTEST(rows, "rows");
}

void TestDisplayModel::hexRowsStartWithTheTimeOfTheirFirstByte()
{
    ManualClock clock;
    clock.current = QDateTime(QDate(2026, 3, 4), QTime(23, 59, 59, 950));
    HexHistory history(clock);
    QSignalSpy changes(&history, &HexHistory::changed);
    feed(history, clock, {"<AB", "+30", ">C", "+30", "<D", "+20", "<E"});
    QCOMPARE(changes.count(), 4);
    const qint64 first = history.firstRow();
    QByteArrayList rows;
    for (qint64 number = first; number < history.endRow(); ++number)
        rows += history.rowText(number).left(13) + hexRowSummary(history.rowText(number));
    QCOMPARE(rows, (QByteArrayList{"23:59:59.950 < 41 42|AB", "23:59:59.980 > 43|C",
                                   "00:00:00.010 < 44 45|DE"}));
}

void TestDisplayModel::hexHistoryKeepsTheNewestMillionBytes()
{
    ManualClock clock;
    HexHistory history(clock);
    const QByteArray bytes = filler(4099);
    history.event(QStringLiteral("port opened"));
    qint64 fed = 0;
    while (fed < 1100000) {
        history.received(bytes);
        history.sent(bytes.left(7));
        fed += bytes.size() + 7;
    }
    QVERIFY(history.byteCount() >= 1000000);
    QVERIFY(history.firstRow() > 0);
    // Rows fall away whole: without the first row held, fewer than a million remain.
    QVERIFY(history.byteCount() - history.row(history.firstRow()).count < 1000000);
    QCOMPARE(history.rowText(history.endRow() - 1).right(7), bytes.left(7));
    QByteArray newest;
    for (qint64 number = history.endRow() - 1; newest.size() < 4099 + 7; --number)
        newest.prepend(hexBytes(history.rowText(number)));
    QCOMPARE(newest.right(4099 + 7), bytes + bytes.left(7));
}

QTEST_GUILESS_MAIN(TestDisplayModel)
#include "tst_displaymodel.moc"
