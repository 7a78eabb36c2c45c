#include "ColorValue.h"
#include "GeneralUtilities.h"

namespace GeneralUtilities {
namespace {

struct ColorName
{
    QLatin1StringView name;
    quint32 value;
};

// Searched in this order both ways; every value occurs once.
constexpr ColorName ColorNames[] = {
    {QLatin1StringView("White"), ColorValue::White},
    {QLatin1StringView("Black"), ColorValue::Black},
    {QLatin1StringView("Red"), ColorValue::Red},
    {QLatin1StringView("Green"), ColorValue::Green},
    {QLatin1StringView("Yellow"), ColorValue::Yellow},
    {QLatin1StringView("Blue"), ColorValue::Blue},
    {QLatin1StringView("Dark Blue"), ColorValue::SystemHighlight},
    {QLatin1StringView("Magenta"), ColorValue::Magenta},
    {QLatin1StringView("Cyan"), ColorValue::Cyan},
    {QLatin1StringView("Dark Gray"), ColorValue::SystemGrayText},
    {QLatin1StringView("Light Gray"), ColorValue::SystemButtonFace},
};

} // namespace

QString ReturnColorName(quint32 lngColor)
{
    for (const ColorName &entry : ColorNames) {
        if (entry.value == lngColor)
            return entry.name;
    }
    return QString();
}

quint32 ReturnColorValue(const QString &strColorName)
{
    for (const ColorName &entry : ColorNames) {
        if (strColorName == entry.name)
            return entry.value;
    }
    return ColorValue::Black;
}

} // namespace GeneralUtilities
