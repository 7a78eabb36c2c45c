#include "LineMarkerParser.h"

#include "CommPort.h"

#include <cstring>

namespace {

constexpr char Escape = '\377';

void appendData(QList<LineMarkerParser::Piece> &pieces, QByteArrayView bytes)
{
    if (bytes.isEmpty())
        return;
    if (!pieces.isEmpty() && pieces.back().kind == LineMarkerParser::Piece::Data)
        pieces.back().bytes += bytes;
    else
        pieces.append({LineMarkerParser::Piece::Data, bytes.toByteArray()});
}

} // namespace

void LineMarkerParser::setMarking(bool marking)
{
    m_marking = marking;
    reset();
}

QList<LineMarkerParser::Piece> LineMarkerParser::feed(QByteArrayView bytes)
{
    QList<Piece> pieces;
    if (!m_marking) {
        appendData(pieces, bytes);
        return pieces;
    }

    qsizetype plainStart = 0;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        switch (m_state) {
        case State::Plain: {
            const auto *escape = static_cast<const char *>(
                std::memchr(bytes.data() + i, Escape, size_t(bytes.size() - i)));
            if (!escape) {
                i = bytes.size();
                break;
            }
            i = escape - bytes.data();
            appendData(pieces, bytes.sliced(plainStart, i - plainStart));
            m_state = State::AfterEscape;
            break;
        }
        case State::AfterEscape:
            if (bytes[i] == '\0') {
                m_state = State::AfterEscapeNul;
            } else {
                // \377\377 is one 0xFF; a \377 before anything else is itself.
                appendData(pieces, QByteArrayView(&Escape, 1));
                m_state = State::Plain;
                plainStart = bytes[i] == Escape ? i + 1 : i;
            }
            break;
        case State::AfterEscapeNul:
            pieces.append({Piece::Marked, QByteArray(1, bytes[i])});
            m_state = State::Plain;
            plainStart = i + 1;
            break;
        }
    }
    if (m_state == State::Plain)
        appendData(pieces, bytes.sliced(plainStart));
    return pieces;
}

LineEvent classifyMarkedByte(char byte, LineErrorCounts *unused, bool parityOn)
{
    if (byte == '\0' && unused->breaks > 0) {
        --unused->breaks;
        return {CommPort::Break, false};
    }
    if (unused->parity > 0) {
        --unused->parity;
        return {CommPort::ParityError, true};
    }
    if (unused->framing > 0) {
        --unused->framing;
        return {CommPort::FramingError, true};
    }
    if (byte == '\0')
        return {CommPort::Break, false};
    return {parityOn ? CommPort::ParityError : CommPort::FramingError, true};
}
