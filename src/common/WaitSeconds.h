#pragma once

#include <QObject>

#include <functional>

// Waits without holding up the program: returns at once and runs `then`
// from the event loop once Seconds have passed on the monotonic clock, while
// received data, timers and user input go on as usual. When Seconds is not
// above zero, `then` runs at once, before WaitSeconds returns. Nothing runs
// once `context` is destroyed.
void WaitSeconds(float Seconds, QObject *context, std::function<void()> then);
