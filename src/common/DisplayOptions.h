#pragma once

#include <QByteArray>

// How characters are turned into display text: the Options menu's display
// check marks and the break character. The window keeps one instance in step
// with its menus; the token functions read it for every character.
enum class SpaceOption { Character, String, SpecialCharacter };

class DisplayOptions
{
public:
    bool showFunctionCharacters = true;
    SpaceOption spaceOption = SpaceOption::Character;

    DisplayOptions();

    const QByteArray &breakCharacter() const { return m_breakCharacter; }
    void setBreakCharacter(const QByteArray &token);
    // The code whose table token equals the break character, or -1 when none does.
    int breakCode() const { return m_breakCode; }

private:
    QByteArray m_breakCharacter;
    int m_breakCode = -1;
};
