#include "TypedKeys.h"

#include <QKeyEvent>

namespace TypedKeys {

KeyDown keyDownOf(const QKeyEvent &event)
{
    KeyDown result;
    const int key = event.key();
    if (key >= Qt::Key_F1 && key <= Qt::Key_F12)
        result.keyCode = 112 + (key - Qt::Key_F1);
    else if (key == Qt::Key_Backspace)
        result.keyCode = 8;
    const Qt::KeyboardModifiers modifiers = event.modifiers();
    result.shiftState = (modifiers & Qt::ShiftModifier ? 1 : 0) +
                        (modifiers & Qt::ControlModifier ? 2 : 0) +
                        (modifiers & Qt::AltModifier ? 4 : 0);
    return result;
}

QByteArray typedCharactersOf(const QKeyEvent &event)
{
    const int key = event.key();
    if (key == Qt::Key_Delete || key == Qt::Key_Backspace)
        return {};
    const Qt::KeyboardModifiers modifiers = event.modifiers();
    if ((modifiers & Qt::ControlModifier) && !(modifiers & Qt::AltModifier)) {
        if (key >= Qt::Key_A && key <= Qt::Key_Z)
            return QByteArray(1, char(key - Qt::Key_A + 1));
        switch (key) {
        case Qt::Key_At:
        case Qt::Key_Space:
            return QByteArray(1, '\0');
        case Qt::Key_BracketLeft:
            return QByteArray(1, '\x1b');
        case Qt::Key_Backslash:
            return QByteArray(1, '\x1c');
        case Qt::Key_BracketRight:
            return QByteArray(1, '\x1d');
        default:
            break;
        }
    }
    if (key == Qt::Key_Return || key == Qt::Key_Enter)
        return QByteArray(1, '\r');
    if (key == Qt::Key_Escape)
        return QByteArray(1, '\x1b');
    if (key == Qt::Key_Tab)
        return QByteArray(1, '\t');
    QByteArray characters;
    for (const QChar c : event.text()) {
        if (c.unicode() <= 0xFF)
            characters.append(char(c.unicode()));
    }
    return characters;
}

} // namespace TypedKeys
