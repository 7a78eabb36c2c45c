#include "GeneralUtilities.h"

#include <QTest>

using namespace GeneralUtilities;

class TestCharacterTokens : public QObject
{
    Q_OBJECT

private slots:
    void tableHoldsEveryCode();
    void optionsChangeTheText_data();
    void optionsChangeTheText();
    void breakCharacterOnlyMatchesTableTokens();
};

void TestCharacterTokens::tableHoldsEveryCode()
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

QTEST_GUILESS_MAIN(TestCharacterTokens)
#include "tst_charactertokens.moc"
