#include "GeneralUtilities.h"

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

    const auto row = [](const char *name, int code, bool show, SpaceOption space,
                        const char *breakCharacter, const QByteArray &expected) {
        QTest::newRow(name) << code << show << int(space) << QByteArray(breakCharacter) << expected;
    };
    const SpaceOption chr = SpaceOption::Character;
    const SpaceOption str = SpaceOption::String;
    const SpaceOption special = SpaceOption::SpecialCharacter;
    row("CR breaks by default", 13, true, chr, "", "[CR ]\r\n");
    row("hidden CR keeps break", 13, false, chr, "", "\r\n");
    row("hidden LF empty", 10, false, chr, "", "");
    row("hidden leaves printable", 'A', false, chr, "", "A");
    row("space as blank", 32, true, chr, "", " ");
    row("space as string, functions hidden", 32, false, str, "", "[SPC]");
    row("space as currency", 32, true, special, "", "\xA4");
    row("currency byte stays a token", 0xA4, true, special, "", "[xA4]");
    row("printable break", 'A', true, chr, "A", "A\r\n");
    row("blank break with string option", 32, true, str, " ", "[SPC]\r\n");
    row("SPC break matches nothing", 32, true, str, "[SPC]", "[SPC]");
    row("high byte break", 0xFF, true, chr, "[xFF]", "[xFF]\r\n");
    row("hex form of CR is no break", 13, true, chr, "[x0D]", "[CR ]");
}

void TestCharacterTokens::optionsChangeTheText()
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

void TestCharacterTokens::decodes_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QByteArray>("expected");

    const auto row = [](const char *name, const QByteArray &input, const QByteArray &expected) {
        QTest::newRow(name) << input << expected;
    };
    row("names in either case, padded or not", "[CR][cR ][TAB][HT][ht ]", "\r\r\t\t\t");
    row("prefixed hex", "[0x0d] or [0X0D]", "\r or \r");
    row("short hex", "[x8a] or [X8A]", "\x8A or \x8A");
    row("nul", "a[nul]b", QByteArray("a\0b", 3));
    row("SPC is no token", "[SPC]", "[SPC]");
    row("unknown name", "[ABC][AB]", "[ABC][AB]");
    row("unfinished at end", "x[CR", "x[CR");
    row("bracket before token", "[[CR]", "[\r");
    row("bad hex pair still consumed", "[xZZ]", QByteArray("\0", 1));
    row("half hex pair", "[x1Z]", "\x01");
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
    row("2G5", 2); // stops at a non-digit
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

QTEST_GUILESS_MAIN(TestCharacterTokens)
#include "tst_charactertokens.moc"
