#pragma once

#include "Clock.h"

#include <QDateTime>

#include <utility>

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
