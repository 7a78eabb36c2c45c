#pragma once

#include <QByteArray>

class QKeyEvent;

// What a key pressed on the display means to the terminal.
namespace TypedKeys {

// The key code and shift state the key-down handler works with: 112 to 123
// for F1 to F12, 8 for Backspace, 0 for any other key; shift state 1 Shift,
// 2 Ctrl, 4 Alt, added together.
struct KeyDown
{
    int keyCode = 0;
    int shiftState = 0;
};
KeyDown keyDownOf(const QKeyEvent &event);

// The characters a key types, one byte each: Ctrl with a letter gives its
// control code (Ctrl+A is 1), Enter 13, Esc 27. Characters above U+00FF and
// keys that type nothing (Delete among them) give none.
QByteArray typedCharactersOf(const QKeyEvent &event);

} // namespace TypedKeys
