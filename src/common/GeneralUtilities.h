#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include "DisplayOptions.h"

// Shared character helpers. Every character is one byte (0 to 255); display
// text is Latin-1. Function characters (0-31, 127-255) are shown as five-character
// tokens such as "[CR ]" or "[x8A]"; printable ones (32-126) as themselves.
namespace GeneralUtilities {

// The plain token of a code, unaffected by any display option.
QByteArrayView TokenTableEntry(int code);

// 1 for a function character, 0 for a printable one.
long FunctionFlag(int code);

// Display text of one character under the given options; lineBreak is set when
// the text ends with the CR LF that follows the break character.
struct CharacterToken
{
    QByteArrayView text;
    bool isFunction;
    bool lineBreak;
};
CharacterToken CharacterTokenOf(uchar character, const DisplayOptions &options);

// Writes the display text of strCharacter into varToken and returns its flag.
long ReturnCharacterToken(uchar strCharacter, QByteArray &varToken, const DisplayOptions &options);

// Turns token text such as "[CR]", "[cr ]", "[x0d]", "[0X0D]" or "[NUL]" into the
// characters it names; anything else, an unknown or unfinished token included,
// is copied unchanged.
QByteArray DecodeTokenString(QByteArrayView strInput);

// Reads a hexadecimal number after an optional "0x", "0X" or "&H" prefix, which
// is removed from the caller's text. Digits are read up to the first other
// character; none give 0. Up to four digits are a 16-bit two's-complement value
// ("FFFF" is -1); a longer number that does not fit in 16 bits gives 0.
qint16 ReturnHexValue(QByteArray &strHexValue);

// The name of a color value from the table of eleven color names ("White",
// "Black", "Red", ... "Dark Blue", "Light Gray"); empty for a value without one.
QString ReturnColorName(quint32 lngColor);
// The value of a color name, compared exactly (case and blanks count); 0, black,
// for a name that is not in the table.
quint32 ReturnColorValue(const QString &strColorName);

} // namespace GeneralUtilities
