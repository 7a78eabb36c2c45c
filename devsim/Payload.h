#pragma once

#include <QByteArray>

// The bytes of a flood: lines of a line number and 20 to 100 printable characters, each ended by
// CR LF, cut at the requested size, whose last bytes are a visible end marker
//   CR LF "<<END-OF-PAYLOAD kind=mixed bytes=N crc32=XXXXXXXX>>" CR LF
// with the CRC-32 (IEEE) of every byte before it. In the mixed kind about 2% of the characters
// are control bytes (never ESC, so terminal emulators run no escape sequences) and about 0.5%
// are bytes 0x80-0xFF. The same seed gives the same bytes.
class Payload
{
public:
    enum class Mix
    {
        Mixed,
        Text
    };

    Payload(qint64 size, Mix mix, quint64 seed);

    // The smallest size that holds the end marker.
    static qint64 minimumSize(qint64 size, Mix mix);

    // The next bytes, at most maxBytes; empty once all have been taken.
    QByteArray take(qsizetype maxBytes);
    bool atEnd() const { return m_taken == m_size; }

private:
    static QByteArray marker(qint64 size, Mix mix, quint32 crc);
    QByteArray nextLine();
    quint64 random(quint64 bound);

    qint64 m_size;
    Mix m_mix;
    quint64 m_state;
    qint64 m_bodyLeft;
    qint64 m_taken = 0;
    qint64 m_lineNumber = 0;
    quint32 m_crc = 0;
    QByteArray m_chunk;
    qsizetype m_chunkPos = 0;
};
