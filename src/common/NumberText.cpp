#include "NumberText.h"

#include <cmath>
#include <limits>

namespace NumberText {
namespace {

bool isBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

// Length of the longest prefix of text (from start) that forms a decimal number:
// optional sign, digits with at most one point, optional exponent.
qsizetype numberPrefixLength(const QString &text, qsizetype start)
{
    qsizetype i = start;
    const qsizetype n = text.size();
    if (i < n && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-')))
        ++i;
    qsizetype digits = 0;
    while (i < n && text[i].isDigit() && text[i].unicode() < 128) {
        ++i;
        ++digits;
    }
    if (i < n && text[i] == QLatin1Char('.')) {
        ++i;
        while (i < n && text[i].isDigit() && text[i].unicode() < 128) {
            ++i;
            ++digits;
        }
    }
    if (digits == 0)
        return 0;
    if (i < n && (text[i] == QLatin1Char('e') || text[i] == QLatin1Char('E'))) {
        qsizetype j = i + 1;
        if (j < n && (text[j] == QLatin1Char('+') || text[j] == QLatin1Char('-')))
            ++j;
        const qsizetype exponentStart = j;
        while (j < n && text[j].isDigit() && text[j].unicode() < 128)
            ++j;
        if (j > exponentStart)
            i = j;
    }
    return i - start;
}

qsizetype skipBlanks(const QString &text, qsizetype i)
{
    while (i < text.size() && isBlank(text[i]))
        ++i;
    return i;
}

template <typename Integer>
std::optional<Integer> toRoundedInteger(const QString &text)
{
    const std::optional<double> value = wholeValue(text);
    if (!value)
        return std::nullopt;
    const double rounded = roundHalfEven(*value);
    if (!std::isfinite(rounded) || rounded < double(std::numeric_limits<Integer>::min()) ||
        rounded > double(std::numeric_limits<Integer>::max()))
        return std::nullopt;
    return Integer(rounded);
}

} // namespace

std::optional<double> wholeValue(const QString &text)
{
    const qsizetype start = skipBlanks(text, 0);
    const qsizetype length = numberPrefixLength(text, start);
    if (length == 0 || skipBlanks(text, start + length) != text.size())
        return std::nullopt;
    bool ok = false;
    const double value = text.mid(start, length).toDouble(&ok);
    return ok ? std::optional<double>(value) : std::nullopt;
}

double leadingValue(const QString &text)
{
    const qsizetype start = skipBlanks(text, 0);
    const qsizetype length = numberPrefixLength(text, start);
    return length == 0 ? 0.0 : text.mid(start, length).toDouble();
}

std::optional<qint32> toLong(const QString &text)
{
    return toRoundedInteger<qint32>(text);
}

std::optional<qint16> toInteger(const QString &text)
{
    return toRoundedInteger<qint16>(text);
}

double roundHalfEven(double value)
{
    return std::nearbyint(value); // the default rounding mode rounds halves to even
}

} // namespace NumberText
