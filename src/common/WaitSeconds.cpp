#include "WaitSeconds.h"

#include <QDeadlineTimer>
#include <QTimer>

namespace {

void runAt(QDeadlineTimer deadline, QObject *context, std::function<void()> then)
{
    // A timer may fire a little early on some platforms; the deadline decides.
    QTimer::singleShot(deadline.remainingTime(), Qt::PreciseTimer, context,
                       [deadline, context, then = std::move(then)]() mutable {
                           if (deadline.hasExpired())
                               then();
                           else
                               runAt(deadline, context, std::move(then));
                       });
}

} // namespace

void WaitSeconds(float Seconds, QObject *context, std::function<void()> then)
{
    const auto nanoseconds = qint64(double(Seconds) * 1e9);
    if (nanoseconds <= 0) {
        then();
        return;
    }
    runAt(QDeadlineTimer(std::chrono::nanoseconds(nanoseconds), Qt::PreciseTimer), context,
          std::move(then));
}
