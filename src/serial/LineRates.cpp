#include "LineRates.h"

#include <cstdlib>

namespace LineRates {

QStringList highSpeedChoices()
{
    return {"4000000", "3000000", "2000000", "1500000", "1000000",
            "921600",  "576000",  "500000",  "460800",  "230400"};
}

bool differs(qint32 asked, qint32 applied)
{
    if (asked <= 0 || applied <= 0)
        return false;
    // Within 2%: |applied - asked| <= asked / 50, kept in whole numbers.
    return std::llabs(qint64(applied) - asked) * 50 > asked;
}

} // namespace LineRates
