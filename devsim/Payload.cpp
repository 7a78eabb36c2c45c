#include "Payload.h"

#include <array>

namespace {

// Control bytes of the mixed kind: C0 and DEL without ESC and the line end.
constexpr std::array<char, 30> kControls = {
    0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0B, 0x0C, 0x0E, 0x0F, 0x10,
    0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17, 0x18, 0x19, 0x1A, 0x1C, 0x1D, 0x1E, 0x1F, 0x7F};

constexpr std::array<quint32, 256> kCrcTable = [] {
    std::array<quint32, 256> table{};
    for (quint32 i = 0; i < 256; ++i) {
        quint32 c = i;
        for (int k = 0; k < 8; ++k)
            c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[i] = c;
    }
    return table;
}();

// Running CRC-32: start with 0, feed consecutive pieces.
quint32 crc32(quint32 crc, const QByteArray &bytes)
{
    crc = ~crc;
    for (const char byte : bytes)
        crc = kCrcTable[(crc ^ uchar(byte)) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

} // namespace

Payload::Payload(qint64 size, Mix mix, quint64 seed)
    : m_size(size), m_mix(mix), m_state(seed), m_bodyLeft(size - minimumSize(size, mix))
{
}

qint64 Payload::minimumSize(qint64 size, Mix mix)
{
    return marker(size, mix, 0).size();
}

QByteArray Payload::marker(qint64 size, Mix mix, quint32 crc)
{
    const QByteArray kind = mix == Mix::Mixed ? "mixed" : "text";
    return "\r\n<<END-OF-PAYLOAD kind=" + kind + " bytes=" + QByteArray::number(size) +
           " crc32=" + QByteArray::number(crc, 16).rightJustified(8, '0') + ">>\r\n";
}

QByteArray Payload::take(qsizetype maxBytes)
{
    QByteArray out;
    while (out.size() < maxBytes && !atEnd()) {
        if (m_chunkPos == m_chunk.size()) {
            if (m_bodyLeft > 0) {
                m_chunk = nextLine().left(m_bodyLeft);
                m_bodyLeft -= m_chunk.size();
                m_crc = crc32(m_crc, m_chunk);
            } else {
                m_chunk = marker(m_size, m_mix, m_crc);
            }
            m_chunkPos = 0;
        }
        const qsizetype n = std::min(maxBytes - out.size(), m_chunk.size() - m_chunkPos);
        out.append(m_chunk.constData() + m_chunkPos, n);
        m_chunkPos += n;
        m_taken += n;
    }
    return out;
}

QByteArray Payload::nextLine()
{
    QByteArray line = QByteArray::number(m_lineNumber++).rightJustified(8, '0') + ' ';
    const auto length = 20 + random(81);
    for (quint64 i = 0; i < length; ++i) {
        const auto roll = m_mix == Mix::Mixed ? random(1000) : 1000;
        if (roll < 20)
            line.append(kControls[random(kControls.size())]);
        else if (roll < 25)
            line.append(char(0x80 + random(0x80)));
        else
            line.append(char(0x20 + random(0x7F - 0x20)));
    }
    return line + "\r\n";
}

quint64 Payload::random(quint64 bound)
{
    // splitmix64: small, fast and the same on every platform.
    quint64 z = (m_state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return (z ^ (z >> 31)) % bound;
}
