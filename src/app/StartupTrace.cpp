#include "app/StartupTrace.h"

#include <ctime>

namespace zarvik {

Q_LOGGING_CATEGORY(lcStartup, "zarvik.startup", QtWarningMsg)

namespace {
double clockMs(clockid_t clock)
{
    timespec now{};
    clock_gettime(clock, &now);
    return double(now.tv_sec) * 1000.0 + double(now.tv_nsec) / 1e6;
}
} // namespace

void startupStep(const char* step)
{
    if (!lcStartup().isDebugEnabled())
        return;
    static const double first = clockMs(CLOCK_MONOTONIC);
    const double now = clockMs(CLOCK_MONOTONIC);
    // The interface thread's own processor time tells a step that computes from one that
    // waits (for the X server, the disk or another thread).
    qCDebug(lcStartup, "%.3f +%.3f %s (cpu %.3f)", now, now - first, step, clockMs(CLOCK_THREAD_CPUTIME_ID));
}

} // namespace zarvik
