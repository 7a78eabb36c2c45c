#pragma once

#include <QtGlobal>

class QWidget;

// Back colors of buttons and labels. Some states are held only as a control's
// back color (the port button is green while the port is active), so the
// 32-bit color value is kept in the widget's "colorValue" property and read
// back from there rather than from the rendered color.
namespace BackColor {

void set(QWidget *widget, quint32 colorValue);
// The value last set, or the system button face for a widget never colored.
quint32 of(const QWidget *widget);

} // namespace BackColor
