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
    void breakCharacterOnlyMatchesTableTokens();
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
        const long expectedFlag = (code < 32 || code > 126) ? 1 : 0;

        QByteArray token;
        const long flag = ReturnCharacterToken(uchar(code), token, noBreak);
        QVERIFY2(token == expected, qPrintable(QString::number(code)));
        QCOMPARE(flag, expectedFlag);
        QCOMPARE(TokenTableEntry(code), QByteArrayView(expected));
        QCOMPARE(DecodeTokenString(expected), QByteArray(1, char(code))); // and back
        if (expectedFlag)
            QCOMPARE(token.size(), 5);
    }
}

void TestCharacterTokens::optionsChangeTheText_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<bool>("show");
    QTest::addColumn<int>("space");
    QTest::addColumn<QByteArray>("breakCharacter");
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
    row("CR breaks by default", 13, true, chr, "[CR ]", "[CR ]\r\n", 1);
    row("LF plain", 10, true, chr, "[CR ]", "[LF ]", 1);
    row("hidden CR keeps break", 13, false, chr, "[CR ]", "\r\n", 1);
    row("hidden LF empty", 10, false, chr, "[CR ]", "", 1);
    row("hidden high byte", 0xC3, false, chr, "[CR ]", "", 1);
    row("hidden DEL", 127, false, chr, "[CR ]", "", 1);
    row("hidden leaves printable", 'A', false, chr, "[CR ]", "A", 0);
    row("space as blank", 32, true, chr, "[CR ]", " ", 0);
    row("space as string", 32, true, str, "[CR ]", "[SPC]", 0);
    row("space as currency", 32, true, special, "[CR ]", "\xA4", 0);
    row("space option with hidden functions", 32, false, str, "[CR ]", "[SPC]", 0);
    row("currency byte stays a token", 0xA4, true, special, "[CR ]", "[xA4]", 1);
    row("DEL", 127, true, chr, "[CR ]", "[x7F]", 1);
    row("tilde", 126, true, chr, "[CR ]", "~", 0);
    row("printable break", 'A', true, chr, "A", "A\r\n", 0);
    row("blank break with string option", 32, true, str, " ", "[SPC]\r\n", 0);
    row("blank break with currency option", 32, true, special, " ", "\xA4\r\n", 0);
    row("SPC break matches nothing", 32, true, str, "[SPC]", "[SPC]", 0);
    row("high byte break", 0x8A, true, chr, "[x8A]", "[x8A]\r\n", 1);
    row("lower-case hex is no break", 0x8A, true, chr, "[x8a]", "[x8A]", 1);
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
    options.setBreakCharacter(breakCharacter);

    QByteArray token = "stale";
    QCOMPARE(ReturnCharacterToken(uchar(code), token, options), flag);
    QCOMPARE(token, expected);
    const CharacterToken view = CharacterTokenOf(uchar(code), options);
    QCOMPARE(view.text, QByteArrayView(expected));
    QCOMPARE(view.lineBreak, expected.endsWith("\r\n"));
}

void TestCharacterTokens::breakCharacterOnlyMatchesTableTokens()
{
    DisplayOptions options;
    QCOMPARE(options.breakCharacter(), QByteArray("[CR ]"));
    QCOMPARE(options.breakCode(), 13);
    options.setBreakCharacter("[CR]");
    QCOMPARE(options.breakCode(), -1);
    options.setBreakCharacter("[x0D]");
    QCOMPARE(options.breakCode(), -1);
    options.setBreakCharacter("[xFF]");
    QCOMPARE(options.breakCode(), 255);
}

void TestCharacterTokens::decodes_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("sample F1") << QByteArray("Here is a string example[CR]")
                               << QByteArray("Here is a string example\r");
    QTest::newRow("sample F2") << QByteArray("Here is another.... [0x80][x0d]")
                               << QByteArray("Here is another.... \x80\r");
    QTest::newRow("two-letter either case") << QByteArray("[CR] or [cr]") << QByteArray("\r or \r");
    QTest::newRow("padded name mixed case") << QByteArray("[cR ]") << QByteArray("\r");
    QTest::newRow("tab names") << QByteArray("[TAB][HT][ht ]") << QByteArray("\t\t\t");
    QTest::newRow("prefixed hex") << QByteArray("[0x0d] or [0X0D]") << QByteArray("\r or \r");
    QTest::newRow("short hex") << QByteArray("[x8a] or [X8A]") << QByteArray("\x8A or \x8A");
    QTest::newRow("nul") << QByteArray("a[nul]b") << QByteArray("a\0b", 3);
    QTest::newRow("SPC is no token") << QByteArray("[SPC]") << QByteArray("[SPC]");
    QTest::newRow("unknown name") << QByteArray("[ABC][AB]") << QByteArray("[ABC][AB]");
    QTest::newRow("unfinished at end") << QByteArray("x[CR") << QByteArray("x[CR");
    QTest::newRow("unfinished hex") << QByteArray("[0x0d") << QByteArray("[0x0d");
    QTest::newRow("lone bracket") << QByteArray("[") << QByteArray("[");
    QTest::newRow("bracket before token") << QByteArray("[[CR]") << QByteArray("[\r");
    QTest::newRow("bad hex pair still consumed") << QByteArray("[xZZ]") << QByteArray("\0", 1);
    QTest::newRow("half hex pair") << QByteArray("[x1Z]") << QByteArray("\x01");
    QTest::newRow("two-letter name needs its list") << QByteArray("[DC]") << QByteArray("[DC]");
    QTest::newRow("padded three-letter is no name") << QByteArray("[NU ]") << QByteArray("[NU ]");
    QTest::newRow("high bytes pass") << QByteArray("\xA4\xFF") << QByteArray("\xA4\xFF");
    QTest::newRow("empty") << QByteArray() << QByteArray();
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
    QTest::addColumn<QByteArray>("afterCall");

    QTest::newRow("plain") << QByteArray("1F") << 31 << QByteArray("1F");
    QTest::newRow("0x") << QByteArray("0x1F") << 31 << QByteArray("1F");
    QTest::newRow("0X") << QByteArray("0X1f") << 31 << QByteArray("1f");
    QTest::newRow("&H") << QByteArray("&H1F") << 31 << QByteArray("1F");
    QTest::newRow("&h is no prefix") << QByteArray("&h1F") << 0 << QByteArray("&h1F");
    QTest::newRow("FFFF") << QByteArray("FFFF") << -1 << QByteArray("FFFF");
    QTest::newRow("8000") << QByteArray("8000") << -32768 << QByteArray("8000");
    QTest::newRow("stops at non-digit") << QByteArray("2G5") << 2 << QByteArray("2G5");
    QTest::newRow("no digits") << QByteArray("zz") << 0 << QByteArray("zz");
    QTest::newRow("long with leading zeros")
        << QByteArray("0007FFF") << 32767 << QByteArray("0007FFF");
    QTest::newRow("long overflow") << QByteArray("12345") << 0 << QByteArray("12345");
}

void TestCharacterTokens::hexValue()
{
    QFETCH(QByteArray, input);
    QFETCH(int, value);
    QFETCH(QByteArray, afterCall);
    QCOMPARE(int(ReturnHexValue(input)), value);
    QCOMPARE(input, afterCall);
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
    QCOMPARE(store.typed(4, 11), QByteArray("[CR]"));
    QCOMPARE(store.decoded(4, 11), QByteArray("\r"));
    store.setCurrentSet(4);
    store.applyDefaults();
    QCOMPARE(store.currentSet(), 0);
    QVERIFY(store.decoded(4, 11).isEmpty());
}

QTEST_GUILESS_MAIN(TestCharacterTokens)
#include "tst_charactertokens.moc"
