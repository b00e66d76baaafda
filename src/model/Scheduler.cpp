#include "Scheduler.h"

#include <QTimer>

#include <algorithm>

void ScheduledCall::cancel()
{
    if (m_state)
        m_state->cancelled = true;
}

bool ScheduledCall::isPending() const
{
    return m_state && !m_state->cancelled && !m_state->made;
}

bool ScheduledCall::begin(State &state)
{
    if (state.cancelled || state.made)
        return false;
    state.made = true;
    return true;
}

ScheduledCall EventLoopScheduler::schedule(
    std::chrono::milliseconds delay, const QObject *context, std::function<void()> function)
{
    auto state = std::make_shared<ScheduledCall::State>();
    QTimer::singleShot(delay, Qt::PreciseTimer, context, [state, function = std::move(function)] {
        if (ScheduledCall::begin(*state))
            function();
    });
    return ScheduledCall(state);
}

ScheduledCall ManualScheduler::schedule(
    std::chrono::milliseconds delay, const QObject *context, std::function<void()> function)
{
    auto state = std::make_shared<ScheduledCall::State>();
    m_entries.append({m_elapsed + std::max(delay, std::chrono::milliseconds(0)), m_nextSequence++,
        QPointer<const QObject>(context), state, std::move(function)});
    return ScheduledCall(state);
}

void ManualScheduler::dropDeadEntries()
{
    m_entries.removeIf(
        [](const Entry &entry) { return !entry.context || entry.state->cancelled || entry.state->made; });
}

void ManualScheduler::advance(std::chrono::milliseconds duration)
{
    const std::chrono::milliseconds target = m_elapsed + duration;
    while (true) {
        dropDeadEntries();
        const auto next = std::min_element(m_entries.cbegin(), m_entries.cend(),
            [](const Entry &a, const Entry &b) { return a.due != b.due ? a.due < b.due : a.sequence < b.sequence; });
        if (next == m_entries.cend() || next->due > target)
            break;
        Entry entry = *next;
        m_entries.removeAt(next - m_entries.cbegin());
        m_clock.advance((entry.due - m_elapsed).count());
        m_elapsed = entry.due;
        if (ScheduledCall::begin(*entry.state))
            entry.function();
    }
    m_clock.advance((target - m_elapsed).count());
    m_elapsed = target;
}

int ManualScheduler::pendingCount() const
{
    return int(std::count_if(m_entries.cbegin(), m_entries.cend(),
        [](const Entry &entry) { return entry.context && !entry.state->cancelled && !entry.state->made; }));
}

std::optional<std::chrono::milliseconds> ManualScheduler::nextCallDueIn() const
{
    std::optional<std::chrono::milliseconds> next;
    for (const Entry &entry : m_entries) {
        if (!entry.context || entry.state->cancelled || entry.state->made)
            continue;
        if (!next || entry.due - m_elapsed < *next)
            next = entry.due - m_elapsed;
    }
    return next;
}
