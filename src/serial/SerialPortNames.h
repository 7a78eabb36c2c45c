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
// that one of "1" to "8" already names.
QStringList portChoices(const QStringList &systemLocations);

// portChoices() of the serial devices the system reports now.
QStringList availablePortChoices();
