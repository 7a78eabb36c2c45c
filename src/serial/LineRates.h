#pragma once

#include <QStringList>

// The line rates the baud box accepts, and how closely a device must follow
// the rate asked for.
namespace LineRates {

constexpr qint32 Lowest = 10;
constexpr qint32 Highest = 115200;
// The highest rate while High Speed Rates is on: what USB adapters reach.
constexpr qint32 HighestHighSpeed = 4000000;

// The rates of USB adapters above 115200 that the baud list offers while High
// Speed Rates is on, highest first.
QStringList highSpeedChoices();

// Whether a device running at `applied` is more than 2% away from `asked`.
// An unknown rate (0) is taken as the one asked for.
bool differs(qint32 asked, qint32 applied);

} // namespace LineRates
