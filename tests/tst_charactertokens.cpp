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

    const int chr = int(SpaceOption::Character);
    const int str = int(SpaceOption::String);
    const int special = int(SpaceOption::SpecialCharacter);
    QTest::newRow("CR breaks by default") << 13 << true << chr << QByteArray("[CR ]")
                                          << QByteArray("[CR ]\r\n") << 1L;
    QTest::newRow("LF plain") << 10 << true << chr << QByteArray("[CR ]") << QByteArray("[LF ]")
                              << 1L;
    QTest::newRow("hidden CR keeps break") << 13 << false << chr << QByteArray("[CR ]")
                                           << QByteArray("\r\n") << 1L;
    QTest::newRow("hidden LF empty") << 10 << false << chr << QByteArray("[CR ]") << QByteArray()
                                     << 1L;
    QTest::newRow("hidden high byte") << 0xC3 << false << chr << QByteArray("[CR ]")
                                      << QByteArray() << 1L;
    QTest::newRow("hidden DEL") << 127 << false << chr << QByteArray("[CR ]") << QByteArray()
                                << 1L;
    QTest::newRow("hidden leaves printable") << int('A') << false << chr << QByteArray("[CR ]")
                                             << QByteArray("A") << 0L;
    QTest::newRow("space as blank") << 32 << true << chr << QByteArray("[CR ]") << QByteArray(" ")
                                    << 0L;
    QTest::newRow("space as string") << 32 << true << str << QByteArray("[CR ]")
                                     << QByteArray("[SPC]") << 0L;
    QTest::newRow("space as currency") << 32 << true << special << QByteArray("[CR ]")
                                       << QByteArray("\xA4") << 0L;
    QTest::newRow("space option with hidden functions") << 32 << false << str << QByteArray("[CR ]")
                                                        << QByteArray("[SPC]") << 0L;
    QTest::newRow("currency byte stays a token") << 0xA4 << true << special << QByteArray("[CR ]")
                                                 << QByteArray("[xA4]") << 1L;
    QTest::newRow("DEL") << 127 << true << chr << QByteArray("[CR ]") << QByteArray("[x7F]") << 1L;
    QTest::newRow("tilde") << 126 << true << chr << QByteArray("[CR ]") << QByteArray("~") << 0L;
    QTest::newRow("printable break") << int('A') << true << chr << QByteArray("A") << QByteArray("A\r\n")
                                     << 0L;
    QTest::newRow("blank break with string option") << 32 << true << str << QByteArray(" ")
                                                    << QByteArray("[SPC]\r\n") << 0L;
    QTest::newRow("blank break with currency option") << 32 << true << special << QByteArray(" ")
                                                      << QByteArray("\xA4\r\n") << 0L;
    QTest::newRow("SPC break matches nothing") << 32 << true << str << QByteArray("[SPC]")
                                               << QByteArray("[SPC]") << 0L;
    QTest::newRow("high byte break") << 0x8A << true << chr << QByteArray("[x8A]")
                                     << QByteArray("[x8A]\r\n") << 1L;
    QTest::newRow("lower-case hex is no break") << 0x8A << true << chr << QByteArray("[x8a]")
                                                << QByteArray("[x8A]") << 1L;
    QTest::newRow("CR no longer breaks") << 13 << true << chr << QByteArray("[LF ]")
                                         << QByteArray("[CR ]") << 1L;
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
