#pragma once

#include <QValidator>

#include <utility>

// Accepts text only while every character is Latin-1, so that each character
// is one byte on the line, and while it is no longer than the field may be.
// A line edit cuts an insertion at its own maximum length without a word; give
// it room for one character more than maxLength, so that an insertion that
// would not fit is refused whole instead, and tell the user when
// takeLengthRefusal() says so.
class Latin1Validator : public QValidator
{
    Q_OBJECT

public:
    explicit Latin1Validator(qsizetype maxLength, QObject *parent = nullptr)
        : QValidator(parent), m_maxLength(maxLength)
    {
    }
    State validate(QString &input, int &position) const override;
    qsizetype maxLength() const { return m_maxLength; }

    // True once after a text was refused for its length.
    bool takeLengthRefusal() { return std::exchange(m_lengthRefused, false); }

private:
    qsizetype m_maxLength;
    mutable bool m_lengthRefused = false;
};
