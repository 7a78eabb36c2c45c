#pragma once

#include <QString>

// Whether a process other than this one has the terminal device at path
// open, as far as /proc shows (a user sees only their own processes); false
// for anything that is not a terminal, such as /dev/null. The
// slave of a pseudo-terminal held by the same process that holds its master
// does not count: that is the process that made the pair and plays the
// device at the other end.
bool heldByAnotherProcess(const QString &path);
