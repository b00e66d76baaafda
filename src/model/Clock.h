#pragma once

#include <QDateTime>

// Where the current time comes from. Services take a clock instead of asking the system, so that deadlines,
// copy times and retention periods can be tested with a clock the test moves by hand.
class Clock
{
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;
};

// The system's time, in UTC.
class SystemClock final : public Clock
{
public:
    QDateTime now() const override { return QDateTime::currentDateTimeUtc(); }
};
