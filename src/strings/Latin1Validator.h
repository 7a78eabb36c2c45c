#pragma once

#include <QValidator>

// Accepts text only while every character is Latin-1, so that each character
// is one byte on the line.
class Latin1Validator : public QValidator
{
    Q_OBJECT

public:
    using QValidator::QValidator;
    State validate(QString &input, int &position) const override;
};
