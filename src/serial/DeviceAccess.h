#pragma once

#include <QString>

// What to tell a user who may not open a device: Linux gives serial devices
// to a group (dialout, uucp, plugdev, ...), and a user joins it once.

// The line for the device at path that names its group, as the system names
// it, and the command that adds the user running the program to it. Empty
// where no group may read and write the device, or only root's.
QString joinGroupAdvice(const QString &path);
