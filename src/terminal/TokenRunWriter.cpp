#include "TokenRunWriter.h"

#include "DisplayModel.h"
#include "GeneralUtilities.h"

#include <algorithm>
#include <cstring>

TokenRunWriter::TokenRunWriter(DisplayModel &model, const DisplayOptions &options)
    : m_model(model), m_options(options)
{
}

const TokenRunWriter::TokenTable &TokenRunWriter::tokenTable()
{
    if (m_table.showFunctionCharacters == m_options.showFunctionCharacters &&
        m_table.spaceOption == m_options.spaceOption && m_table.breakCode == m_options.breakCode())
        return m_table;
    m_table.showFunctionCharacters = m_options.showFunctionCharacters;
    m_table.spaceOption = m_options.spaceOption;
    m_table.breakCode = m_options.breakCode();
    for (int code = 0; code < 256; ++code) {
        const auto token = GeneralUtilities::CharacterTokenOf(uchar(code), m_options);
        m_table.text[size_t(code)] = token.text;
        m_table.isFunction[size_t(code)] = token.isFunction;
        m_table.isItself[size_t(code)] =
            !token.isFunction && token.text.size() == 1 && token.text.front() == char(code);
    }
    return m_table;
}

void TokenRunWriter::write(QByteArrayView bytes, quint32 characterColor, quint32 functionColor,
                           qint64 time)
{
    const TokenTable &table = tokenTable();
    // The longest display text of one character is a token followed by CR LF.
    constexpr qsizetype LongestText = 7;
    if (m_pending.size() < bytes.size() * LongestText)
        m_pending.resize(bytes.size() * LongestText);
    char *const begin = m_pending.data();
    char *pending = begin;
    m_pieces.clear();
    quint32 previousColor = 0;
    const char *byte = bytes.data();
    const char *const end = byte + bytes.size();
    while (byte < end) {
        const auto code = size_t(uchar(*byte));
        const quint32 color = table.isFunction[code] ? functionColor : characterColor;
        if (pending != begin && color != previousColor &&
            (m_pieces.empty() || m_pieces.back().end != pending - begin))
            m_pieces.push_back({pending - begin, previousColor});
        previousColor = color;
        if (table.isItself[code]) {
            // Most bytes are printable text: copy them in one go.
            const char *run = byte;
            while (byte < end && table.isItself[size_t(uchar(*byte))])
                ++byte;
            std::memcpy(pending, run, size_t(byte - run));
            pending += byte - run;
            continue;
        }
        // A hidden function character has no text, and no text pointer either.
        const QByteArrayView text = table.text[code];
        pending = std::copy(text.begin(), text.end(), pending);
        ++byte;
    }
    m_pieces.push_back({pending - begin, previousColor});
    m_model.putPieces(QByteArrayView(begin, pending - begin), m_pieces, m_options.breakCharacter(),
                      time);
}
