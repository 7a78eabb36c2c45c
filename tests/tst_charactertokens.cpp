#include "GeneralUtilities.h"
#include "StringSetStore.h"

#include <QTest>

using namespace GeneralUtilities;

class TestCharacterTokens : public QObject
{
    Q_OBJECT

private slots:
    void tableHoldsEveryCodeAndDecodesBack();
    void optionsChangeTheText_data();
    void optionsChangeTheText();
    void decodes_data();
    void decodes();
    void hexValue_data();
    void hexValue();
    void storeKeepsDecodedFormInStep();
};

void TestCharacterTokens::tableHoldsEveryCodeAndDecodesBack()
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

void TestCharacterTokens::optionsChangeTheText_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<bool>("show");
    QTest::addColumn<int>("space");
    QTest::addColumn<QByteArray>("breakCharacter"); // empty: the starting one
    QTest::addColumn<QByteArray>("expected");
    QTest::addColumn<long>("flag");

    const auto row = [](const char *name, int code, bool show, SpaceOption space,
                        const char *breakCharacter, const QByteArray &expected, long flag) {
        QTest::newRow(name) << code << show << int(space) << QByteArray(breakCharacter) << expected
                            << flag;
    };
    const SpaceOption chr = SpaceOption::Character;
    const SpaceOption str = SpaceOption::String;
    const SpaceOption special = SpaceOption::SpecialCharacter;
    row("CR breaks by default", 13, true, chr, "", "[CR ]\r\n", 1);
    row("hidden CR keeps break", 13, false, chr, "", "\r\n", 1);
    row("hidden LF empty", 10, false, chr, "", "", 1);
    row("hidden high byte", 0xC3, false, chr, "", "", 1);
    row("hidden leaves printable", 'A', false, chr, "", "A", 0);
    row("space as blank", 32, true, chr, "", " ", 0);
    row("space as string", 32, true, str, "", "[SPC]", 0);
    row("space as currency", 32, true, special, "", "\xA4", 0);
    row("space option with hidden functions", 32, false, str, "", "[SPC]", 0);
    row("currency byte stays a token", 0xA4, true, special, "", "[xA4]", 1);
    row("printable break", 'A', true, chr, "A", "A\r\n", 0);
    row("blank break with string option", 32, true, str, " ", "[SPC]\r\n", 0);
    row("blank break with currency option", 32, true, special, " ", "\xA4\r\n", 0);
    row("SPC break matches nothing", 32, true, str, "[SPC]", "[SPC]", 0);
    row("high byte break", 0xFF, true, chr, "[xFF]", "[xFF]\r\n", 1);
    row("lower-case hex is no break", 0x8A, true, chr, "[x8a]", "[x8A]", 1);
    row("hex form of CR is no break", 13, true, chr, "[x0D]", "[CR ]", 1);
    row("two-letter CR is no break", 13, true, chr, "[CR]", "[CR ]", 1);
    row("CR no longer breaks", 13, true, chr, "[LF ]", "[CR ]", 1);
}

void TestCharacterTokens::optionsChangeTheText()
{
    QFETCH(int, code);
    QFETCH(bool, show);
    QFETCH(int, space);
    QFETCH(QByteArray, breakCharacter);
    QFETCH(QByteArray, expected);
    QFETCH(long, flag);

    DisplayOptions options;
    options.showFunctionCharacters = show;
    options.spaceOption = SpaceOption(space);
    if (!breakCharacter.isEmpty())
        options.setBreakCharacter(breakCharacter);

    QByteArray token = "stale";
    QCOMPARE(ReturnCharacterToken(uchar(code), token, options), flag);
    QCOMPARE(token, expected);
    const CharacterToken view = CharacterTokenOf(uchar(code), options);
    QCOMPARE(view.text, QByteArrayView(expected));
    QCOMPARE(view.lineBreak, expected.endsWith("\r\n"));
}

void TestCharacterTokens::decodes_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QByteArray>("expected");

    const auto row = [](const char *name, const QByteArray &input, const QByteArray &expected) {
        QTest::newRow(name) << input << expected;
    };
    row("two-letter either case", "[CR] or [cr]", "\r or \r");
    row("padded name mixed case", "[cR ]", "\r");
    row("tab names", "[TAB][HT][ht ]", "\t\t\t");
    row("prefixed hex", "[0x0d] or [0X0D]", "\r or \r");
    row("short hex", "[x8a] or [X8A]", "\x8A or \x8A");
    row("nul", "a[nul]b", QByteArray("a\0b", 3));
    row("SPC is no token", "[SPC]", "[SPC]");
    row("unknown name", "[ABC][AB]", "[ABC][AB]");
    row("unfinished at end", "x[CR", "x[CR");
    row("unfinished hex", "[0x0d", "[0x0d");
    row("lone bracket", "[", "[");
    row("bracket before token", "[[CR]", "[\r");
    row("bad hex pair still consumed", "[xZZ]", QByteArray("\0", 1));
    row("half hex pair", "[x1Z]", "\x01");
    row("two-letter name needs its list", "[DC]", "[DC]");
    row("padded three-letter is no name", "[NU ]", "[NU ]");
    row("high bytes pass", "\xA4\xFF", "\xA4\xFF");
    row("empty", "", "");
}

void TestCharacterTokens::decodes()
{
    QFETCH(QByteArray, input);
    QFETCH(QByteArray, expected);
    QCOMPARE(DecodeTokenString(input), expected);
}

void TestCharacterTokens::hexValue_data()
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
    row("8000", -32768);
    row("2G5", 2); // stops at a non-digit
    row("zz", 0);
    row("0007FFF", 32767);
    row("12345", 0); // too long
}

void TestCharacterTokens::hexValue()
{
    QFETCH(QByteArray, input);
    QFETCH(int, value);
    QCOMPARE(int(ReturnHexValue(input)), value);
    QTEST(input, "afterCall");
}

void TestCharacterTokens::storeKeepsDecodedFormInStep()
{
    StringSetStore store;
    QCOMPARE(store.name(0), QByteArray("Sample String Set"));
    QCOMPARE(store.name(9), QByteArray("String Set Number 10"));
    QCOMPARE(store.decoded(0, 0), QByteArray("Here is a string example\r"));
    QCOMPARE(store.typed(0, 1), QByteArray("Here is another.... [0x80][x0d]"));
    QVERIFY(store.typed(3, 11).isEmpty());

    store.setString(4, 11, "[CR]");
    QCOMPARE(store.decoded(4, 11), QByteArray("\r"));
    store.setCurrentSet(4);
    store.applyDefaults();
    QCOMPARE(store.currentSet(), 0);
    QVERIFY(store.decoded(4, 11).isEmpty());
}

QTEST_GUILESS_MAIN(TestCharacterTokens)
#include "tst_charactertokens.moc"
