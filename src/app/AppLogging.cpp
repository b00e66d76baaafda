#include "AppLogging.h"

#include <chrono>

Q_LOGGING_CATEGORY(lcApp, "varnisto.app", QtWarningMsg)
Q_LOGGING_CATEGORY(lcStartup, "varnisto.startup", QtWarningMsg)

void traceStartup(const char *phase)
{
    if (!lcStartup().isInfoEnabled())
        return;
    // steady_clock is CLOCK_MONOTONIC here, the clock every process on the machine shares.
    const auto now
        = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now().time_since_epoch());
    qCInfo(lcStartup).nospace() << "startup " << phase << " at " << qint64(now.count());
}
