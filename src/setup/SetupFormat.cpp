#include "SetupFormat.h"

#include "GeneralUtilities.h"
#include "NumberText.h"
#include "Revision.h"

#include <array>
#include <limits>
#include <optional>
#include <string_view>

namespace SetupFormat {
namespace {

constexpr std::string_view Revision = RevisionText;
// The function-character line (153) came after revision 1.2.18; files of that
// revision and earlier, which end before it, are not read at all, since only
// the current revision is.
static_assert(Revision.substr(Revision.size() - 6) > std::string_view("1.2.18"));

constexpr QByteArrayView LineEnd("\r\n");

// The check marks in file order.
constexpr std::array<bool SetupOptions::*, 9> OptionLines = {
    &SetupOptions::spcString,
    &SetupOptions::spcSpecialChar,
    &SetupOptions::spcChar,
    &SetupOptions::receiveInterruptsAllowed,
    &SetupOptions::fullStrings,
    &SetupOptions::single,
    &SetupOptions::doubler,
    &SetupOptions::quadruple,
    &SetupOptions::showFunctionCharacters};

// A value holds no line break, or the file would shift by a line and lose the
// whole setup at the next start. A string as typed keeps its characters as
// tokens, which decode to the same bytes; other texts get blanks.
QByteArray oneLine(QByteArray value, bool asTokens)
{
    if (!value.contains('\r') && !value.contains('\n'))
        return value;
    if (asTokens)
        return value.replace('\r', "[CR]").replace('\n', "[LF]");
    return value.replace('\r', ' ').replace('\n', ' ');
}

// A whole number between blanks, " 3 "; the current set is never negative.
QByteArray wholeNumber(int value)
{
    return ' ' + QByteArray::number(value) + ' ';
}

class LineReader
{
public:
    explicit LineReader(QByteArrayView file) : m_rest(file) {}

    std::optional<QByteArrayView> text()
    {
        if (m_rest.isEmpty())
            return std::nullopt;
        qsizetype end = 0;
        while (end < m_rest.size() && m_rest[end] != '\r' && m_rest[end] != '\n')
            ++end;
        const QByteArrayView line = m_rest.first(end);
        qsizetype next = end;
        if (next < m_rest.size() && m_rest[next] == '\r')
            ++next;
        if (next < m_rest.size() && m_rest[next] == '\n')
            ++next;
        m_rest = m_rest.sliced(next);
        return line;
    }

    // The leading number of the line rounded halves to even; no number reads 0.
    std::optional<qint16> wholeNumber()
    {
        const std::optional<QByteArrayView> line = text();
        if (!line)
            return std::nullopt;
        const double value =
            NumberText::roundHalfEven(NumberText::leadingValue(QString::fromLatin1(*line)));
        if (!(value >= std::numeric_limits<qint16>::min() &&
              value <= std::numeric_limits<qint16>::max()))
            return std::nullopt;
        return qint16(value);
    }

    std::optional<bool> flag()
    {
        const std::optional<QByteArrayView> line = text();
        if (!line)
            return std::nullopt;
        const QString word = QString::fromLatin1(*line).trimmed();
        if (word.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
            return true;
        if (word.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
            return false;
        const std::optional<double> number = NumberText::wholeValue(word);
        if (!number)
            return std::nullopt;
        return *number != 0;
    }

private:
    QByteArrayView m_rest;
};

// Reads the file into setup; false at the first line that fails. The check
// marks read until then are already in setup.
bool readLines(LineReader &in, LastSetup &setup)
{
    if (in.text() != QByteArrayView(Revision.data(), qsizetype(Revision.size())))
        return false;
    for (int set = 0; set < StringSetStore::SetCount; ++set) {
        const std::optional<QByteArrayView> name = in.text();
        if (!name)
            return false;
        setup.strings.setName(set, name->toByteArray());
        for (int key = 0; key < StringSetStore::KeyCount; ++key) {
            const std::optional<QByteArrayView> typed = in.text();
            if (!typed)
                return false;
            setup.strings.setString(set, key, typed->toByteArray());
        }
    }
    const std::optional<qint16> currentSet = in.wholeNumber();
    if (!currentSet)
        return false;
    PortSettingsTexts &port = setup.port;
    for (QString *text : {&port.port, &port.baud, &port.parity, &port.dataBits, &port.stopBits,
                          &port.handshaking}) {
        const std::optional<QByteArrayView> line = in.text();
        if (!line)
            return false;
        *text = QString::fromLatin1(*line);
    }
    DisplayColors &colors = setup.colors;
    for (quint32 *color : {&colors.receiveChar, &colors.receiveFunc, &colors.xmitChar,
                           &colors.xmitFunc, &colors.background}) {
        const std::optional<QByteArrayView> name = in.text();
        if (!name)
            return false;
        *color = GeneralUtilities::ReturnColorValue(QString::fromLatin1(*name));
    }
    const std::optional<QByteArrayView> breakCharacter = in.text();
    if (!breakCharacter)
        return false;
    setup.breakCharacter = breakCharacter->toByteArray();
    for (bool SetupOptions::*option : OptionLines) {
        const std::optional<bool> checked = in.flag();
        if (!checked)
            return false;
        setup.options.*option = *checked;
    }
    // Only now is the set number used, to show the sets in the menus.
    if (!StringSetStore::isSet(*currentSet))
        return false;
    setup.strings.setCurrentSet(*currentSet);
    return true;
}

// The status bar's multiplier text after a restore, in the restore's own words.
QString restoredMultiplierPanel(const SetupOptions &options)
{
    if (options.single)
        return QStringLiteral("No Mulitplier Card");
    if (options.doubler)
        return QStringLiteral("Doubler Card");
    if (options.quadruple)
        return QStringLiteral("Quadupler Card");
    return QStringLiteral("???");
}

} // namespace

QByteArray write(const LastSetup &setup)
{
    QByteArray file;
    file.reserve(4096);
    const auto line = [&file](QByteArrayView value) {
        file += value;
        file += LineEnd;
    };
    line(QByteArrayView(Revision.data(), qsizetype(Revision.size())));
    for (int set = 0; set < StringSetStore::SetCount; ++set) {
        line(oneLine(setup.strings.name(set), false));
        for (int key = 0; key < StringSetStore::KeyCount; ++key)
            line(oneLine(setup.strings.typed(set, key), true));
    }
    line(wholeNumber(setup.strings.currentSet()));
    const PortSettingsTexts &port = setup.port;
    for (const QString *text :
         {&port.port, &port.baud, &port.parity, &port.dataBits, &port.stopBits, &port.handshaking})
        line(oneLine(text->toLatin1(), false));
    const DisplayColors &colors = setup.colors;
    for (quint32 color : {colors.receiveChar, colors.receiveFunc, colors.xmitChar, colors.xmitFunc,
                          colors.background})
        line(GeneralUtilities::ReturnColorName(color).toLatin1());
    line(oneLine(setup.breakCharacter, false));
    for (bool SetupOptions::*option : OptionLines)
        line(setup.options.*option ? "True" : "False");
    return file;
}

Reading read(QByteArrayView file, const SetupOptions &current)
{
    Reading reading;
    reading.setup.options = current;
    LineReader in(file);
    if (readLines(in, reading.setup)) {
        reading.restored = true;
        reading.multiplierPanel = restoredMultiplierPanel(reading.setup.options);
        return reading;
    }
    Reading fallBack;
    fallBack.setup.options = reading.setup.options;
    fallBack.setup.options.single = true;
    fallBack.setup.options.doubler = false;
    fallBack.setup.options.quadruple = false;
    fallBack.multiplierPanel = QStringLiteral("No Multiplier Card");
    return fallBack;
}

} // namespace SetupFormat
