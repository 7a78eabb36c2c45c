#pragma once

#include <QColor>

// Color values keep their 32-bit form: 0x00BBGGRR for a plain color,
// 0x800000nn for entry nn of the system palette, resolved from a fixed table.
namespace ColorValue {

constexpr quint32 White = 0x00FFFFFF;
constexpr quint32 Black = 0x00000000;
constexpr quint32 Red = 0x000000FF;
constexpr quint32 Green = 0x0000FF00;
constexpr quint32 Yellow = 0x0000FFFF;
constexpr quint32 Blue = 0x00FF0000;
constexpr quint32 Magenta = 0x00FF00FF;
constexpr quint32 Cyan = 0x00FFFF00;
constexpr quint32 SystemHighlight = 0x8000000D;
constexpr quint32 SystemButtonFace = 0x8000000F;
constexpr quint32 SystemGrayText = 0x80000011;

QColor toQColor(quint32 value);

} // namespace ColorValue
