#include "SessionLogLines.h"

#include "DisplayOptions.h"
#include "GeneralUtilities.h"
#include "PlatformServices.h"

#include <array>
#include <cstring>

namespace {

constexpr QByteArrayView LineEnd("\r\n");

struct ByteTexts
{
    std::array<QByteArray, 256> text;
    std::array<bool, 256> isItself{};

    ByteTexts()
    {
        for (int code = 0; code < 256; ++code) {
            if (code == '[')
                text[code] = QByteArrayLiteral("[x5B]");
            else
                text[code] = GeneralUtilities::TokenTableEntry(code).toByteArray();
            isItself[code] = text[code].size() == 1;
        }
    }
};

const ByteTexts &byteTexts()
{
    static const ByteTexts texts;
    return texts;
}

} // namespace

SessionLogLines::SessionLogLines(const DisplayOptions &options, const Clock &clock)
    : m_options(options), m_clock(clock)
{
}

QByteArrayView SessionLogLines::byteText(uchar byte)
{
    return byteTexts().text[byte];
}

void SessionLogLines::addData(Direction direction, QByteArrayView data)
{
    if (data.isEmpty())
        return;
    const qint64 tick = m_clock.tickCount();
    if (m_lineOpen && (direction != m_direction || tick - m_lastDataTick > PauseMs))
        endLine();
    m_lastDataTick = tick;

    const int breakCode = m_options.breakCode();
    const char *bytes = data.data();
    const qsizetype size = data.size();
    for (qsizetype at = 0; at < size;) {
        if (!m_lineOpen)
            startLine(direction, tick);
        qsizetype end = std::min(size, at + MaxLineBytes - m_lineBytes);
        bool breakFound = false;
        if (breakCode >= 0) {
            if (const void *hit = std::memchr(bytes + at, breakCode, size_t(end - at))) {
                end = static_cast<const char *>(hit) - bytes + 1;
                breakFound = true;
            }
        }
        appendBytes(bytes + at, end - at);
        m_lineBytes += end - at;
        if (breakFound || m_lineBytes == MaxLineBytes)
            endLine();
        at = end;
    }
}

void SessionLogLines::addEvent(const QString &text)
{
    endLine();
    startLine(Direction::Event, m_clock.tickCount());
    m_text += text.toLatin1();
    endLine();
}

void SessionLogLines::endIfPaused()
{
    if (m_lineOpen && m_clock.tickCount() - m_lastDataTick > PauseMs)
        endLine();
}

void SessionLogLines::endLine()
{
    if (!m_lineOpen)
        return;
    m_text += LineEnd;
    m_lineOpen = false;
}

QByteArray SessionLogLines::takeText()
{
    QByteArray text = std::move(m_text);
    m_text = QByteArray();
    m_text.reserve(text.capacity()); // the next text will be about as long
    return text;
}

void SessionLogLines::startLine(Direction direction, qint64 tick)
{
    // Local time is costly to read and format; within one tick it is the same.
    if (tick != m_stampTick || m_stamp.isEmpty()) {
        m_stampTick = tick;
        m_stamp = m_clock.now().toString(Qt::ISODateWithMs).toLatin1();
    }
    m_text += m_stamp;
    m_text += ' ';
    m_text += char(direction);
    m_text += ' ';
    m_lineOpen = true;
    m_direction = direction;
    m_lineBytes = 0;
}

void SessionLogLines::appendBytes(const char *bytes, qsizetype count)
{
    constexpr qsizetype LongestText = 5;
    const ByteTexts &texts = byteTexts();
    const qsizetype start = m_text.size();
    m_text.resize(start + count * LongestText);
    char *out = m_text.data() + start;
    // Runs of bytes that are their own text are copied whole.
    qsizetype runStart = 0;
    for (qsizetype i = 0; i < count; ++i) {
        const uchar byte = uchar(bytes[i]);
        if (texts.isItself[byte])
            continue;
        std::memcpy(out, bytes + runStart, size_t(i - runStart));
        out += i - runStart;
        std::memcpy(out, texts.text[byte].constData(), LongestText);
        out += LongestText;
        runStart = i + 1;
    }
    std::memcpy(out, bytes + runStart, size_t(count - runStart));
    out += count - runStart;
    m_text.truncate(out - m_text.constData());
}
