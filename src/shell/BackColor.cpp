#include "BackColor.h"

#include "ColorValue.h"

#include <QVariant>
#include <QWidget>

namespace BackColor {
namespace {
constexpr char Property[] = "colorValue";
}

void set(QWidget *widget, quint32 colorValue)
{
    widget->setProperty(Property, colorValue);
    const QColor face = ColorValue::toQColor(colorValue);
    // A border of its own makes every style paint the face color, also on
    // push buttons; the pressed look darkens the face.
    const QString selector = QString::fromLatin1(widget->metaObject()->className());
    widget->setStyleSheet(QStringLiteral("%1 { background-color: %2; color: black;"
                                         " border: 1px solid gray; border-radius: 2px; }"
                                         " %1:pressed { background-color: %3; }")
                              .arg(selector, face.name(), face.darker(120).name()));
}

quint32 of(const QWidget *widget)
{
    const QVariant value = widget->property(Property);
    return value.isValid() ? value.value<quint32>() : ColorValue::SystemButtonFace;
}

} // namespace BackColor
