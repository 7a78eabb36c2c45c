#pragma once

#include "LockKeys.h"

#include <memory>

// The lock keys as the X server's keyboard indicators show them; null where
// the program does not run on X11 or the server lacks the keyboard extension.
std::unique_ptr<LockKeys> x11LockKeys();
