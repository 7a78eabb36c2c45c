#include "DisplayOptions.h"

#include "GeneralUtilities.h"

DisplayOptions::DisplayOptions()
{
    setBreakCharacter(QByteArrayLiteral("[CR ]"));
}

void DisplayOptions::setBreakCharacter(const QByteArray &token)
{
    m_breakCharacter = token;
    m_breakCode = -1;
    for (int code = 0; code < 256; ++code) {
        if (GeneralUtilities::TokenTableEntry(code) == token) {
            m_breakCode = code;
            break;
        }
    }
}
