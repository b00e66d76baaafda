#pragma once

#include "ManualClock.h"
#include "Scheduler.h"

#include <QList>
#include <QPointer>

#include <algorithm>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>

// Calls wait until the test advances the scheduler, which moves its clock along: each call is made with the clock
// showing the moment it fell due.
class ManualScheduler final : public Scheduler
{
public:
    explicit ManualScheduler(ManualClock &clock) : m_clock(clock) { }

    ScheduledCall schedule(
        std::chrono::milliseconds delay, const QObject *context, std::function<void()> function) override
    {
        auto state = std::make_shared<CallState>();
        m_entries.append({m_elapsed + std::max(delay, std::chrono::milliseconds(0)), m_nextSequence++,
            QPointer<const QObject>(context), state, std::move(function)});
        return callFor(state);
    }

    // Moves time forward, making every call that falls due on the way, earliest first (calls due at the same
    // moment in the order they were scheduled); calls scheduled meanwhile are made too when they fall due in time.
    void advance(std::chrono::milliseconds duration)
    {
        const std::chrono::milliseconds target = m_elapsed + duration;
        while (true) {
            dropDeadEntries();
            const auto next
                = std::min_element(m_entries.cbegin(), m_entries.cend(), [](const Entry &a, const Entry &b) {
                      return a.due != b.due ? a.due < b.due : a.sequence < b.sequence;
                  });
            if (next == m_entries.cend() || next->due > target)
                break;
            Entry entry = *next;
            m_entries.removeAt(next - m_entries.cbegin());
            m_clock.advance((entry.due - m_elapsed).count());
            m_elapsed = entry.due;
            if (beginCall(*entry.state))
                entry.function();
        }
        m_clock.advance((target - m_elapsed).count());
        m_elapsed = target;
    }

    // Calls still to be made.
    int pendingCount() const { return int(std::count_if(m_entries.cbegin(), m_entries.cend(), isLive)); }

    // How long until the next call falls due; nothing when none waits.
    std::optional<std::chrono::milliseconds> nextCallDueIn() const
    {
        std::optional<std::chrono::milliseconds> next;
        for (const Entry &entry : m_entries) {
            if (isLive(entry) && (!next || entry.due - m_elapsed < *next))
                next = entry.due - m_elapsed;
        }
        return next;
    }

private:
    struct Entry
    {
        std::chrono::milliseconds due;
        quint64 sequence = 0;
        QPointer<const QObject> context;
        std::shared_ptr<CallState> state;
        std::function<void()> function;
    };
    static bool isLive(const Entry &entry) { return entry.context && !entry.state->cancelled && !entry.state->made; }
    void dropDeadEntries()
    {
        m_entries.removeIf([](const Entry &entry) { return !isLive(entry); });
    }

    ManualClock &m_clock;
    std::chrono::milliseconds m_elapsed {0};
    quint64 m_nextSequence = 0;
    QList<Entry> m_entries;
};
