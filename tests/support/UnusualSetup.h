#pragma once

#include "ColorValue.h"
#include "LastSetup.h"

// Nine check marks written as letters, T or F, in file order.
inline SetupOptions optionsOf(const char *letters)
{
    const auto on = [letters](int i) { return letters[i] == 'T'; };
    return {on(0), on(1), on(2), on(3), on(4), on(5), on(6), on(7), on(8)};
}

// A setup unlike the default in every value, with values a careless format would
// lose: blanks at both ends, tokens, an ampersand, a currency sign, a device path,
// a printable break character.
inline LastSetup unusualSetup()
{
    LastSetup setup;
    for (int set = 0; set < StringSetStore::SetCount; ++set) {
        setup.strings.setName(set, "  Set & " + QByteArray::number(set) + "\xA4  ");
        for (int key = 0; key < StringSetStore::KeyCount; ++key)
            setup.strings.setString(set, key,
                                    " F" + QByteArray::number(key + 1) + "[cr][x8A]\xFF\t ");
    }
    setup.strings.setCurrentSet(9);
    setup.port = {"/dev/ttyUSB0", "115200 ", "Mark", "7", "2", "2-RTS/CTS"};
    setup.colors = {ColorValue::White, ColorValue::SystemGrayText, ColorValue::Cyan,
                    ColorValue::Blue, ColorValue::Black};
    setup.breakCharacter = "A";
    setup.options = optionsOf("TTFFTFTTF");
    return setup;
}
