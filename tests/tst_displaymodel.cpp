#include "DisplayColors.h"
#include "DisplayModel.h"
#include "DisplayOptions.h"
#include "GeneralUtilities.h"
#include "HexHistory.h"
#include "NumberText.h"
#include "ReceivePath.h"
#include "TestServices.h"

#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTest>

using namespace GeneralUtilities;
using namespace std::chrono_literals;

namespace {

// Entries that may wait to be shown; a read longer than 1024 bytes is several entries.
constexpr qsizetype QueueBound = 100000;

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

// A row as "<mark> <hex digits>|<characters>", or "! <event>". The bytes are the
// two-digit groups after the time and the mark; the characters column is as long
// as their count.
QByteArray hexRowSummary(const QByteArray &row)
{
    if (row[13] == '!')
        return row.mid(13);
    QByteArray bytes;
    for (const QByteArray &group : row.mid(15).split(' ')) {
        if (group.size() != 2 || QByteArray::fromHex(group).toHex().toUpper() != group)
            break;
        bytes += QByteArray::fromHex(group);
    }
    return row.mid(13, 2) + bytes.toHex(' ').toUpper() + '|' + row.right(bytes.size());
}

// The lines that report data dropped for the given seconds.
QByteArray dropReport(const QByteArray &seconds)
{
    return "[CR ]\r\n......Input Buffer OverFlow..........[CR ]\r\nLast " + seconds +
           " Seconds dropped[CR ]\r\n.....................................[CR ]\r\n";
}

// Feeds a hex history: "<text" received, ">text" sent, "!text" an event,
// "+N" lets N milliseconds pass.
void feed(HexHistory &history, ManualClock &clock, const QByteArrayList &steps)
{
    for (const QByteArray &step : steps) {
        const QByteArray rest = step.mid(1);
        if (step[0] == '<') {
            history.received(rest);
        } else if (step[0] == '>') {
            history.sent(rest);
        } else if (step[0] == '!') {
            history.event(QString::fromLatin1(rest));
        } else {
            clock.ticks += rest.toLongLong();
            clock.current = clock.current.addMSecs(rest.toLongLong());
        }
    }
}

} // namespace

// How bytes become the display's text: tokens, the receive path and its queue, the
// display model, and the hex history.
class TestDisplayModel : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void tableHoldsEveryCodeAndDecodesBack();
    void optionsChangeTheText_data();
    void optionsChangeTheText();
    void decodes_data();
    void decodes();
    void hexValue_data();
    void hexValue();
    void appendEndsTheLineAndDropsTheSelection();
    void heldSelectionCoversTheSameCharacters();
    void clearEmptiesEverything();
    void matchesReferenceOverManyTrims();
    void trimmingKeepsEachLinesTime();
    void hexRowsBreak_data();
    void hexRowsBreak();
    void readsAndMarkersShowInTheirColorsAndTimes();
    void changedBreakCharacterAppliesToTheNextRead();
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

void TestDisplayModel::tableHoldsEveryCodeAndDecodesBack()
{
    const QList<QByteArray> controls = {
        "[NUL]", "[SOH]", "[STX]", "[ETX]", "[EOT]", "[ENQ]", "[ACK]", "[BEL]",
        "[BS ]", "[TAB]", "[LF ]", "[VT ]", "[FF ]", "[CR ]", "[SO ]", "[SI ]",
        "[DLE]", "[DC1]", "[DC2]", "[DC3]", "[DC4]", "[NAK]", "[SYN]", "[ETB]",
        "[CAN]", "[EM ]", "[SUB]", "[ESC]", "[FS ]", "[GS ]", "[RS ]", "[US ]"};
    DisplayOptions noBreak;
    noBreak.setBreakCharacter("none");
    for (int code = 0; code < 256; ++code) {
        QByteArray expected;
        if (code < 32)
            expected = controls[code];
        else if (code < 127)
            expected = QByteArray(1, char(code));
        else
            expected = "[x" + QByteArray::number(code, 16).toUpper() + "]";

        QByteArray token;
        QCOMPARE(ReturnCharacterToken(uchar(code), token, noBreak), (code < 32 || code > 126));
        QCOMPARE(token, expected);
        QCOMPARE(TokenTableEntry(code), QByteArrayView(expected));
        QCOMPARE(DecodeTokenString(expected), QByteArray(1, char(code))); // and back
    }
}

void TestDisplayModel::optionsChangeTheText_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<bool>("show");
    QTest::addColumn<int>("space");
    QTest::addColumn<QByteArray>("breakCharacter"); // empty: the starting one
    QTest::addColumn<QByteArray>("expected");

    const auto row = [](const char *name, int code, bool show, SpaceOption space,
                        const char *breakCharacter, const QByteArray &expected) {
        QTest::newRow(name) << code << show << int(space) << QByteArray(breakCharacter) << expected;
    };
    using enum SpaceOption;
    row("CR breaks by default", 13, true, Character, "", "[CR ]\r\n");
    row("hidden CR keeps break", 13, false, Character, "", "\r\n");
    row("hidden LF empty", 10, false, Character, "", "");
    row("space as string, functions hidden", 32, false, String, "", "[SPC]");
    row("space as currency", 32, true, SpecialCharacter, "", "\xA4");
    row("currency byte stays a token", 0xA4, true, SpecialCharacter, "", "[xA4]");
    row("printable break", 'A', true, Character, "A", "A\r\n");
    row("blank break with string option", 32, true, String, " ", "[SPC]\r\n");
    row("high byte break", 0xFF, true, Character, "[xFF]", "[xFF]\r\n");
    row("hex form of CR is no break", 13, true, Character, "[x0D]", "[CR ]");
}

void TestDisplayModel::optionsChangeTheText()
{
    QFETCH(int, code);
    QFETCH(bool, show);
    QFETCH(int, space);
    QFETCH(QByteArray, breakCharacter);
    QFETCH(QByteArray, expected);

    DisplayOptions options;
    options.showFunctionCharacters = show;
    options.spaceOption = SpaceOption(space);
    if (!breakCharacter.isEmpty())
        options.setBreakCharacter(breakCharacter);

    const CharacterToken view = CharacterTokenOf(uchar(code), options);
    QCOMPARE(view.text, QByteArrayView(expected));
    QCOMPARE(view.lineBreak, expected.endsWith("\r\n"));
}

void TestDisplayModel::decodes_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QByteArray>("expected");

    const auto row = [](const char *name, const QByteArray &input, const QByteArray &expected) {
        QTest::newRow(name) << input << expected;
    };
    row("names in either case, padded or not", "[CR][cR ][TAB][HT][ht ]", "\r\r\t\t\t");
    row("prefixed hex", "[0x0d] or [0X0D]", "\r or \r");
    row("short hex", "[x8a] or [X8A]", "\x8A or \x8A");
    row("no names: SPC, unknown, padded short", "[SPC][ABC][AB][NU ]", "[SPC][ABC][AB][NU ]");
    row("bracket before token, unfinished at end", "[[CR]x[CR", "[\rx[CR");
    row("bad hex digits still consumed", "[xZZ][x1Z]", QByteArray("\0\x01", 2));
    row("high bytes pass", "\xA4\xFF", "\xA4\xFF");
    row("empty", "", "");
}

void TestDisplayModel::decodes()
{
    QFETCH(QByteArray, input);
    QTEST(DecodeTokenString(input), "expected");
}

void TestDisplayModel::hexValue_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<int>("value");
    QTest::addColumn<QByteArray>("afterCall"); // the prefix is taken off the caller's text

    const auto row = [](const char *input, int value, const char *after = nullptr) {
        QTest::newRow(input) << QByteArray(input) << value << QByteArray(after ? after : input);
    };
    row("1F", 31);
    row("0x1F", 31, "1F");
    row("0X1f", 31, "1f");
    row("&H1F", 31, "1F");
    row("&h1F", 0); // no prefix
    row("FFFF", -1);
    row("2G5", 2); // stops at a non-digit
    row("0007FFF", 32767);
    row("12345", 0); // too long
}

void TestDisplayModel::hexValue()
{
    QFETCH(QByteArray, input);
    QTEST(int(ReturnHexValue(input)), "value");
    QTEST(input, "afterCall");
}

void TestDisplayModel::appendEndsTheLineAndDropsTheSelection()
{
    // Only a piece that is the whole break character, in its case, ends the line.
    DisplayModel model;
    for (const char *input : {"AB[CR ]", "[cr ]", "", "[CR ]"})
        model.putInDisplay(input, 1, "[CR ]");
    QCOMPARE(model.text(), "AB[CR ][cr ][CR ]\r\n");
    // While the display follows, an append drops the selection and moves the caret to the end.
    model.setSelection(7, 2);
    QSignalSpy selectionSpy(&model, &DisplayModel::selectionChanged);
    model.putInDisplay("!", 1, "[CR ]");
    QCOMPARE(selectionSpy.count(), 1);
    QCOMPARE(std::tuple(model.selectionStart(), model.selectionLength(), model.caret()),
             std::tuple(model.length(), 0, model.length()));
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
    QCOMPARE(
        std::tuple(model.isFollowing(), model.length(), model.lineCount(), model.selectionLength()),
        std::tuple(true, 0, 1, 0));
    model.putInDisplay("y", 5, "[CR ]");
    QCOMPARE(std::tuple(model.text(), model.colorSpanAt(0).color, model.lineLength(0),
                        model.lineTime(0)),
             std::tuple(QByteArray("y"), 5u, 1, clock.current.toMSecsSinceEpoch()));
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
            // A break, a long piece, an empty one or a short one.
            const int kind = random.bounded(5);
            const QByteArray input = kind == 0   ? breakCharacter
                                     : kind == 1 ? filler(random.bounded(1, 3000))
                                     : kind == 2 ? QByteArray()
                                                 : filler(random.bounded(1, 80));
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
    QSignalSpy changes(&history, &HexHistory::changed);
    feed(history, clock, steps);
    QCOMPARE(changes.count(), std::count_if(steps.cbegin(), steps.cend(),
                                            [](const QByteArray &step) { return step[0] != '+'; }));
    QByteArrayList rows;
    for (qint64 number = history.firstRow(); number < history.endRow(); ++number)
        rows += hexRowSummary(history.rowText(number));
    QTEST(rows, "rows");
    // A row starts with the time of its first byte.
    QCOMPARE(history.rowText(history.firstRow()).left(13), "03:04:05.000 ");
}

void TestDisplayModel::init()
{
    m_model = new DisplayModel;
    m_options = DisplayOptions();
    m_colors = DisplayColors();
    m_clock = ManualClock();
    m_path = new ReceivePath(*m_model, m_options, m_colors, m_clock);
}

void TestDisplayModel::cleanup()
{
    delete m_path;
    delete m_model;
}

// Shows slices as the receive timer does, until one says nothing waits.
void TestDisplayModel::showAll(std::chrono::microseconds budget)
{
    qsizetype slices = 0;
    while (!m_path->showSlice(budget))
        QVERIFY(++slices <= 2 * QueueBound);
}

void TestDisplayModel::fill(qsizetype entries)
{
    for (qsizetype i = 0; i < entries; ++i)
        m_path->receive("x");
    QCOMPARE(m_path->waitingEntries(), entries);
    QVERIFY(!m_path->isDropping());
}

// Shown long after they arrived, in one change of the display, the lines keep
// their times of arrival; markers keep their place, in red.
void TestDisplayModel::readsAndMarkersShowInTheirColorsAndTimes()
{
    const qint64 first = m_clock.current.toMSecsSinceEpoch();
    m_path->receive("AB\r");
    m_clock.current = m_clock.current.addMSecs(1500);
    m_path->receive("a");
    m_path->lineEvent(ReceiveQueue::Marker::Break);
    m_path->receive("b\x01\r");
    m_path->lineEvent(ReceiveQueue::Marker::Parity);
    m_path->lineEvent(ReceiveQueue::Marker::Frame);
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
    QCOMPARE(std::tuple(m_model->lineTime(0), m_model->lineTime(1), m_model->lineTime(2)),
             std::tuple(first, first + 1500, first + 1500));
}

void TestDisplayModel::changedBreakCharacterAppliesToTheNextRead()
{
    m_path->receive("A\r");
    showAll();
    m_options.setBreakCharacter("A");
    m_path->receive("A\r");
    showAll();
    QCOMPARE(m_model->text(), "A[CR ]\r\nA\r\n[CR ]");
}

void TestDisplayModel::longReadsBecomeBoundedEntries()
{
    QByteArray data(2500, 'q');
    data[1023] = 'L';
    data[1024] = 'F';
    m_path->receive(data);
    QCOMPARE(m_path->waitingEntries(), 3);
    showAll();
    QCOMPARE(m_model->text(), data);
}

void TestDisplayModel::dropStartsAtTheEntryAfterTheBound_data()
{
    QTest::addColumn<qint64>("budgetUs");
    QTest::newRow("one slice") << qint64(10000000);
    // Every slice runs out of time after one entry, the last one included:
    // the report must still come, or the timer would stop for good.
    QTest::newRow("budget spent at each entry") << qint64(0);
}

void TestDisplayModel::dropStartsAtTheEntryAfterTheBound()
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
    QCOMPARE(m_model->text(),
             QByteArray(QueueBound - 1, 'x') + QByteArray(1024, 'k') + dropReport("0"));

    // Normal again: the next read is shown.
    m_path->receive("back");
    showAll();
    QVERIFY(m_model->text().endsWith("back"));
}

void TestDisplayModel::dropReportGivesElapsedSeconds_data()
{
    QTest::addColumn<QTime>("start");
    QTest::addColumn<QTime>("end");
    QTest::addColumn<QByteArray>("seconds");

    const auto row = [](const char *name, QTime start, QTime end, const char *seconds) {
        QTest::newRow(name) << start << end << QByteArray(seconds);
    };
    row("start rounded up", QTime(10, 0, 0, 600), QTime(10, 0, 3, 500), "2.5");
    row("half a second", QTime(10, 0, 0), QTime(10, 0, 0, 500), ".5");
    row("before the rounded start", QTime(10, 0, 1, 500), QTime(10, 0, 1, 750), "-.25");
    row("across midnight", QTime(23, 59, 58), QTime(0, 0, 3), "5");
}

void TestDisplayModel::dropReportGivesElapsedSeconds()
{
    QFETCH(QTime, start);
    QFETCH(QTime, end);
    QFETCH(QByteArray, seconds);

    m_clock.current.setTime(start);
    fill(QueueBound);
    m_path->receive("x");
    QVERIFY(m_path->isDropping());
    m_path->purge();
    m_clock.current.setTime(end);
    showAll();
    QCOMPARE(m_model->text(), dropReport(seconds));
    QCOMPARE(m_model->colorSpanAt(0).color, ColorValue::Red);
    QCOMPARE(m_model->colorSpanAt(0).end, m_model->length());
}

void TestDisplayModel::numberReadings_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("leading");
    QTest::addColumn<bool>("converts");
    QTest::addColumn<int>("asLong");

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

void TestDisplayModel::numberReadings()
{
    QFETCH(QString, text);
    QTEST(NumberText::leadingValue(text), "leading");
    const std::optional<qint32> value = NumberText::toLong(text);
    QTEST(value.has_value(), "converts");
    QTEST(value.value_or(0), "asLong"); // 0 where nothing converts
}

QTEST_GUILESS_MAIN(TestDisplayModel)
#include "tst_displaymodel.moc"
