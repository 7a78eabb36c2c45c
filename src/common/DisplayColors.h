#pragma once

#include "ColorValue.h"

// The five display colors as 32-bit color values, with their default setup.
struct DisplayColors
{
    quint32 receiveChar = ColorValue::SystemButtonFace;
    quint32 receiveFunc = ColorValue::Yellow;
    quint32 xmitChar = ColorValue::Green;
    quint32 xmitFunc = ColorValue::Magenta;
    quint32 background = ColorValue::SystemHighlight;

    bool operator==(const DisplayColors &other) const = default;
};
