#include "GeneralUtilities.h"
#include "StringSetStore.h"

#include <QTest>

using namespace GeneralUtilities;

class TestTokenDecoder : public QObject
{
    Q_OBJECT

private slots:
    void everyDisplayTokenDecodesBack();
    void decodes_data();
    void decodes();
    void hexValue_data();
    void hexValue();
    void storeKeepsDecodedFormInStep();
};

void TestTokenDecoder::everyDisplayTokenDecodesBack()
{
    for (int code = 0; code < 256; ++code) {
        const QByteArray token = TokenTableEntry(code).toByteArray();
        QVERIFY2(DecodeTokenString(token) == QByteArray(1, char(code)), token.constData());
    }
}

void TestTokenDecoder::decodes_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("sample F1") << QByteArray("Here is a string example[CR]")
                               << QByteArray("Here is a string example\r");
    QTest::newRow("sample F2") << QByteArray("Here is another.... [0x80][x0d]")
                               << QByteArray("Here is another.... \x80\r");
    QTest::newRow("two-letter either case") << QByteArray("[CR] or [cr]")
                                            << QByteArray("\r or \r");
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

void TestTokenDecoder::decodes()
{
    QFETCH(QByteArray, input);
    QFETCH(QByteArray, expected);
    QCOMPARE(DecodeTokenString(input), expected);
}

void TestTokenDecoder::hexValue_data()
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
    QTest::newRow("long with leading zeros") << QByteArray("0007FFF") << 32767
                                             << QByteArray("0007FFF");
    QTest::newRow("long overflow") << QByteArray("12345") << 0 << QByteArray("12345");
}

void TestTokenDecoder::hexValue()
{
    QFETCH(QByteArray, input);
    QFETCH(int, value);
    QFETCH(QByteArray, afterCall);
    QCOMPARE(int(ReturnHexValue(input)), value);
    QCOMPARE(input, afterCall);
}

void TestTokenDecoder::storeKeepsDecodedFormInStep()
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

QTEST_GUILESS_MAIN(TestTokenDecoder)
#include "tst_tokendecoder.moc"
