#include "app/StartupTrace.h"

#include <ctime>

namespace zarvik {

Q_LOGGING_CATEGORY(lcStartup, "zarvik.startup", QtWarningMsg)

namespace {
double monotonicMs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return double(now.tv_sec) * 1000.0 + double(now.tv_nsec) / 1e6;
}
} // namespace

void startupStep(const char* step)
{
    if (!lcStartup().isDebugEnabled())
        return;
    static const double first = monotonicMs();
    const double now = monotonicMs();
    qCDebug(lcStartup, "%.3f +%.3f %s", now, now - first, step);
}

} // namespace zarvik
