#include "TokenRunWriter.h"

#include "DisplayModel.h"
#include "GeneralUtilities.h"

#include <cstring>

TokenRunWriter::TokenRunWriter(DisplayModel &model, const DisplayOptions &options)
    : m_model(model), m_options(options)
{
}

void TokenRunWriter::write(QByteArrayView bytes, quint32 characterColor, quint32 functionColor)
{
    // The longest display text of one character is a token followed by CR LF.
    constexpr qsizetype LongestText = 7;
    if (m_pending.size() < bytes.size() * LongestText)
        m_pending.resize(bytes.size() * LongestText);
    char *const begin = m_pending.data();
    char *pending = begin;
    quint32 previousColor = 0;
    for (const char byte : bytes) {
        const auto token = GeneralUtilities::CharacterTokenOf(uchar(byte), m_options);
        const quint32 color = token.isFunction ? functionColor : characterColor;
        if (pending != begin && color != previousColor) {
            m_model.putInDisplay(QByteArrayView(begin, pending - begin), previousColor,
                                 m_options.breakCharacter());
            pending = begin;
        }
        std::memcpy(pending, token.text.data(), size_t(token.text.size()));
        pending += token.text.size();
        previousColor = color;
    }
    m_model.putInDisplay(QByteArrayView(begin, pending - begin), previousColor,
                         m_options.breakCharacter());
}
