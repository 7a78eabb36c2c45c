#pragma once

#include "LastSetup.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// The setup file, LastSetup.txt: 153 lines of Latin-1 text, each ended by
// CR LF. Line 1 is the revision text; then ten blocks of thirteen lines, a set
// name and its strings for F1 to F12 as typed; the current set number; the six
// port-setting texts; the five colors by name; the break character token; and
// nine check marks as "True" or "False". Whole numbers are written with a
// blank on each side (" 3 "); values are written as they stand.
//
// Reading is forgiving in what it accepts (flags in any case or as numbers,
// fractional numbers rounded halves to even, lines ended by CR LF, LF or CR)
// and falls back to the default setup, without complaint, on a file from
// another revision, one that ends early, a flag that is not one, a whole
// number beyond 16 bits or a current set outside the store.
namespace SetupFormat {

inline constexpr char FileName[] = "LastSetup.txt";
inline constexpr int LineCount = 153;

QByteArray write(const LastSetup &setup);

struct Reading
{
    LastSetup setup;
    bool restored = false; // false: the default setup
    // The multiplier-card text of the status bar.
    QString multiplierPanel;
};

// Reads a setup file's bytes. Check marks that the file does not set keep
// their values from current: on a fall-back the default setup leaves the six
// display and transmit marks alone, so those read before the failure stay
// read and the rest stay as they were; the multiplier card is reset.
Reading read(QByteArrayView file, const SetupOptions &current);

} // namespace SetupFormat
