#pragma once

#include "DisplayColors.h"
#include "PortOpening.h"
#include "StringSetStore.h"

#include <QByteArray>

// The nine check marks that the setup keeps, in the order of the setup file,
// with the states the menus start with.
struct SetupOptions
{
    bool spcString = false;
    bool spcSpecialChar = false;
    bool spcChar = true;
    bool receiveInterruptsAllowed = true;
    bool fullStrings = false;
    bool single = true;
    bool doubler = false;
    bool quadruple = false;
    bool showFunctionCharacters = true;

    bool operator==(const SetupOptions &other) const = default;
};

// The working setup that lasts from one run to the next: the string sets, the
// six port-setting texts as displayed, the five colors, the break character
// token and the check marks. Its initial value is the default setup.
struct LastSetup
{
    StringSetStore strings;
    PortSettingsTexts port{QStringLiteral("1"), QStringLiteral("9600"), QStringLiteral("None"),
                           QStringLiteral("8"), QStringLiteral("1"),    QStringLiteral("0-none")};
    DisplayColors colors;
    QByteArray breakCharacter = QByteArrayLiteral("[CR ]");
    SetupOptions options;

    bool operator==(const LastSetup &other) const = default;
};
