#include "GeneralUtilities.h"

#include <array>

namespace GeneralUtilities {
namespace {

constexpr int TokenLength = 5;

struct TokenTables
{
    // Each entry holds the token followed by CR LF, so that the break-character
    // form is a longer view of the same bytes.
    std::array<std::array<char, TokenLength + 2>, 256> text{};
    std::array<qsizetype, 256> length{};
    std::array<long, 256> functionFlag{};

    TokenTables()
    {
        static const char *const controlNames[32] = {
            "[NUL]", "[SOH]", "[STX]", "[ETX]", "[EOT]", "[ENQ]", "[ACK]", "[BEL]",
            "[BS ]", "[TAB]", "[LF ]", "[VT ]", "[FF ]", "[CR ]", "[SO ]", "[SI ]",
            "[DLE]", "[DC1]", "[DC2]", "[DC3]", "[DC4]", "[NAK]", "[SYN]", "[ETB]",
            "[CAN]", "[EM ]", "[SUB]", "[ESC]", "[FS ]", "[GS ]", "[RS ]", "[US ]"};
        static const char hexDigits[] = "0123456789ABCDEF";
        for (int code = 0; code < 256; ++code) {
            auto &entry = text[code];
            if (code < 32) {
                std::copy_n(controlNames[code], TokenLength, entry.begin());
                length[code] = TokenLength;
            } else if (code < 127) {
                entry[0] = char(code);
                length[code] = 1;
            } else {
                entry = {'[', 'x', hexDigits[code >> 4], hexDigits[code & 15], ']'};
                length[code] = TokenLength;
            }
            entry[length[code]] = '\r';
            entry[length[code] + 1] = '\n';
            functionFlag[code] = (code < 32 || code >= 127) ? 1 : 0;
        }
    }
};

const TokenTables &tables()
{
    static const TokenTables instance;
    return instance;
}

const char CrLf[] = "\r\n";
// Space-option texts, each followed by the CR LF used when a blank is the break character.
const char SpcString[] = "[SPC]\r\n";
const char SpcSpecial[] = "\xA4\r\n";

struct ControlName
{
    const char *name;
    char code;
};

const ControlName TwoLetterNames[] = {{"BS", 8},  {"HT", 9},  {"LF", 10}, {"VT", 11}, {"FF", 12},
                                      {"CR", 13}, {"SO", 14}, {"SI", 15}, {"EM", 25}, {"FS", 28},
                                      {"GS", 29}, {"RS", 30}, {"US", 31}};

const ControlName ThreeLetterNames[] = {
    {"NUL", 0},  {"SOH", 1},  {"STX", 2},  {"ETX", 3},  {"EOT", 4},  {"ENQ", 5},  {"ACK", 6},
    {"BEL", 7},  {"TAB", 9},  {"DLE", 16}, {"DC1", 17}, {"DC2", 18}, {"DC3", 19}, {"DC4", 20},
    {"NAK", 21}, {"SYN", 22}, {"ETB", 23}, {"CAN", 24}, {"SUB", 26}, {"ESC", 27}};

template <size_t N>
int codeOfName(const ControlName (&names)[N], QByteArrayView name)
{
    const QByteArray upper = name.toByteArray().toUpper();
    for (const ControlName &entry : names) {
        if (upper == entry.name)
            return uchar(entry.code);
    }
    return -1;
}

// A three-character name: one of the list, or a two-letter name and a blank.
int codeOfThreeCharacterName(QByteArrayView name)
{
    if (name.endsWith(' '))
        return codeOfName(TwoLetterNames, name.first(2));
    return codeOfName(ThreeLetterNames, name);
}

char hexPairCode(QByteArrayView pair)
{
    QByteArray digits = pair.toByteArray();
    return char(ReturnHexValue(digits));
}

int hexDigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

QByteArrayView TokenTableEntry(int code)
{
    const auto &t = tables();
    return QByteArrayView(t.text[code].data(), t.length[code]);
}

long FunctionFlag(int code)
{
    return tables().functionFlag[code];
}

CharacterToken CharacterTokenOf(uchar character, const DisplayOptions &options)
{
    const auto &t = tables();
    const long flag = t.functionFlag[character];
    const bool lineBreak = character == options.breakCode();
    const char *data = t.text[character].data();
    qsizetype length = t.length[character];

    if (flag && !options.showFunctionCharacters) {
        return {lineBreak ? QByteArrayView(CrLf, 2) : QByteArrayView(), true, lineBreak};
    }
    if (character == ' ' && options.spaceOption != SpaceOption::Character) {
        const bool asString = options.spaceOption == SpaceOption::String;
        const qsizetype spaceLength = (asString ? 5 : 1) + (lineBreak ? 2 : 0);
        return {QByteArrayView(asString ? SpcString : SpcSpecial, spaceLength), false, lineBreak};
    }
    if (lineBreak)
        length += 2;
    return {QByteArrayView(data, length), flag != 0, lineBreak};
}

long ReturnCharacterToken(uchar strCharacter, QByteArray &varToken, const DisplayOptions &options)
{
    const CharacterToken token = CharacterTokenOf(strCharacter, options);
    varToken = token.text.toByteArray();
    return FunctionFlag(strCharacter);
}

QByteArray DecodeTokenString(QByteArrayView strInput)
{
    QByteArray result;
    result.reserve(strInput.size());
    qsizetype i = 0;
    while (i < strInput.size()) {
        const char c = strInput[i];
        const QByteArrayView four = strInput.sliced(i + 1).first(std::min<qsizetype>(4, strInput.size() - i - 1));
        const QByteArrayView five = strInput.sliced(i + 1).first(std::min<qsizetype>(5, strInput.size() - i - 1));
        bool consumed = false;
        if (c == '[' && four.size() >= 3 && four[2] == ']') {
            const int code = codeOfName(TwoLetterNames, four.first(2));
            if (code >= 0) {
                result.append(char(code));
                i += 3;
                consumed = true;
            }
        }
        if (!consumed && c == '[' && five.size() == 5 && five[4] == ']' &&
            (five.startsWith("0x") || five.startsWith("0X"))) {
            result.append(hexPairCode(five.sliced(2, 2)));
            i += 5;
            consumed = true;
        }
        if (!consumed && c == '[' && four.size() == 4 && four[3] == ']') {
            if (four[0] == 'x' || four[0] == 'X') {
                result.append(hexPairCode(four.sliced(1, 2)));
                i += 4;
                consumed = true;
            } else if (const int code = codeOfThreeCharacterName(four.first(3)); code >= 0) {
                result.append(char(code));
                i += 4;
                consumed = true;
            }
        }
        if (!consumed)
            result.append(c);
        ++i;
    }
    return result;
}

qint16 ReturnHexValue(QByteArray &strHexValue)
{
    if (strHexValue.startsWith("0x") || strHexValue.startsWith("0X") || strHexValue.startsWith("&H"))
        strHexValue.remove(0, 2);
    qint64 value = 0;
    qsizetype digits = 0;
    for (const char c : std::as_const(strHexValue)) {
        const int digit = hexDigitValue(c);
        if (digit < 0)
            break;
        if (value <= 0xFFFF)
            value = value * 16 + digit;
        ++digits;
    }
    if (digits <= 4)
        return qint16(quint16(value));
    return value <= 0x7FFF ? qint16(value) : qint16(0);
}

} // namespace GeneralUtilities
