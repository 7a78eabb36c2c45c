#pragma once

#include "DisplayModel.h"
#include "DisplayOptions.h"

#include <QByteArray>

#include <array>
#include <vector>

// Shows raw bytes in the display: each byte becomes its display text, function
// characters take the function color and the others the character color. The
// texts of one write go to the display in one append, as one piece for each
// group of neighbouring texts of one color; the last group always counts,
// even when it is empty.
class TokenRunWriter
{
public:
    TokenRunWriter(DisplayModel &model, const DisplayOptions &options);

    // A line that the bytes begin takes time (DisplayModel::lineTime).
    void write(QByteArrayView bytes, quint32 characterColor, quint32 functionColor,
               qint64 time = DisplayModel::NoTime);

private:
    // The display text of every byte under the options it was made for.
    struct TokenTable
    {
        bool showFunctionCharacters = false;
        SpaceOption spaceOption = SpaceOption::Character;
        int breakCode = -2; // none yet: the options never give -2
        std::array<QByteArrayView, 256> text;
        std::array<bool, 256> isFunction{};
        std::array<bool, 256> isItself{}; // the byte is its own text in the character color
    };

    const TokenTable &tokenTable();

    DisplayModel &m_model;
    const DisplayOptions &m_options;
    TokenTable m_table;
    QByteArray m_pending;
    std::vector<DisplayModel::Piece> m_pieces;
};
