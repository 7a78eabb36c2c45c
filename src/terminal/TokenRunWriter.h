#pragma once

#include <QByteArray>

class DisplayModel;
class DisplayOptions;

// Shows raw bytes in the display: each byte becomes its display text, function
// characters take the function color and the others the character color, and
// neighbouring texts of one color go to the display in one append. The last
// group is always appended, even when it is empty.
class TokenRunWriter
{
public:
    TokenRunWriter(DisplayModel &model, const DisplayOptions &options);

    void write(QByteArrayView bytes, quint32 characterColor, quint32 functionColor);

private:
    DisplayModel &m_model;
    const DisplayOptions &m_options;
    QByteArray m_pending;
};
