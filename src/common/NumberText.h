#pragma once

#include <QString>

#include <optional>

// Readings of numbers typed as text, in the two ways the program uses them.
namespace NumberText {

// The numeric value of the leading part of text: blanks are skipped, reading
// stops at the first character that cannot continue a decimal number, and no
// number at all gives 0 ("9600a" reads 9600, "abc" reads 0).
double leadingValue(const QString &text);

// The whole text as a decimal number; surrounding blanks are allowed. Text that
// is not entirely a number gives no value.
std::optional<double> wholeValue(const QString &text);

// The whole text as a 32-bit (or 16-bit) integer, rounded to the nearest whole
// number with halves to the even neighbour; surrounding blanks are allowed.
// Text that is not entirely a number, or that overflows, gives no value.
std::optional<qint32> toLong(const QString &text);
std::optional<qint16> toInteger(const QString &text);

// Rounds halves to the even neighbour.
double roundHalfEven(double value);

} // namespace NumberText
