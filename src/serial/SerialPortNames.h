#pragma once

#include <QString>
#include <QStringList>

// The device a port text names (blanks around it ignored): a whole number N
// is the system's Nth serial port, /dev/ttyS<N-1>; an absolute path stands as
// it is; any other text is a name under /dev. Empty when the text names no
// device (blank, or the number 0).
QString resolvePortName(const QString &text);

// The choices of the port box: "1" to "8", then the given device paths in
// natural order ("ttyUSB2" before "ttyUSB10"), each once, leaving out those
// that one of "1" to "8" already names, then the stable names as given.
QStringList portChoices(const QStringList &systemLocations, const QStringList &stableNames = {});

// The entries of folder as absolute paths, sorted: the stable names that the
// system gives USB serial adapters, links to their devices. Empty where the
// folder does not exist.
QStringList stablePortNames(const QString &folder = QStringLiteral("/dev/serial/by-id"));

// portChoices() of the serial devices the system reports now and their
// stable names.
QStringList availablePortChoices();
