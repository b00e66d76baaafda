#include "Scheduler.h"

#include <QTimer>

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
    auto state = std::make_shared<CallState>();
    QTimer::singleShot(delay, Qt::PreciseTimer, context, [state, function = std::move(function)] {
        if (beginCall(*state))
            function();
    });
    return callFor(state);
}
