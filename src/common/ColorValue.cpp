#include "ColorValue.h"

namespace ColorValue {

QColor toQColor(quint32 value)
{
    if (value & 0x80000000u) {
        switch (value) {
        case SystemHighlight:
            return QColor(0x00, 0x00, 0x80);
        case SystemButtonFace:
            return QColor(0xC0, 0xC0, 0xC0);
        case SystemGrayText:
            return QColor(0x80, 0x80, 0x80);
        default:
            return QColor(Qt::black);
        }
    }
    return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
}

} // namespace ColorValue
