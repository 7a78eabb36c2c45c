#include "Latin1Validator.h"

QValidator::State Latin1Validator::validate(QString &input, int &) const
{
    if (input.size() > m_maxLength) {
        m_lengthRefused = true;
        return Invalid;
    }
    for (const QChar c : std::as_const(input)) {
        if (c.unicode() > 0xFF)
            return Invalid;
    }
    return Acceptable;
}
