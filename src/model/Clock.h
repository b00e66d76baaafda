#pragma once

#include <QDateTime>

#include <utility>

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

// A clock that stands still until it is set or advanced. Starts at a fixed moment, not at the system time.
class ManualClock final : public Clock
{
public:
    explicit ManualClock(QDateTime start = QDateTime(QDate(2025, 1, 6), QTime(9, 0), Qt::UTC)) : m_now(std::move(start))
    { }

    QDateTime now() const override { return m_now; }
    void setNow(const QDateTime &now) { m_now = now; }
    void advance(qint64 milliseconds) { m_now = m_now.addMSecs(milliseconds); }
    void advanceSeconds(double seconds) { advance(qint64(seconds * 1000.0)); }

private:
    QDateTime m_now;
};
