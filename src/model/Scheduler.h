#pragma once

#include "Clock.h"

#include <QList>
#include <QObject>
#include <QPointer>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

// A call that a scheduler will make later. Cancelling it before it is due means it is never made; a default one
// stands for no call at all.
class ScheduledCall
{
public:
    ScheduledCall() = default;

    void cancel();
    // Neither made nor cancelled yet.
    bool isPending() const;

private:
    friend class EventLoopScheduler;
    friend class ManualScheduler;
    struct State
    {
        bool cancelled = false;
        bool made = false;
    };
    explicit ScheduledCall(std::shared_ptr<State> state) : m_state(std::move(state)) { }
    // Marks the call made; false when it was cancelled meanwhile.
    static bool begin(State &state);

    std::shared_ptr<State> m_state;
};

// Where delayed work waits: the pauses between the items of a multi-item paste, the key that follows a paste, the
// batched model update of link previews. Services take a scheduler instead of starting timers, so that tests move
// time by hand and see each step at its moment.
class Scheduler
{
public:
    virtual ~Scheduler() = default;

    // Makes the call once, on the calling thread, after the delay, unless the context object (which must be given)
    // is destroyed or the call is cancelled first.
    virtual ScheduledCall schedule(
        std::chrono::milliseconds delay, const QObject *context, std::function<void()> function)
        = 0;
};

// The event loop's precise timers.
class EventLoopScheduler final : public Scheduler
{
public:
    ScheduledCall schedule(
        std::chrono::milliseconds delay, const QObject *context, std::function<void()> function) override;
};

// Calls wait until the test advances the scheduler, which moves its clock along: each call is made with the clock
// showing the moment it fell due.
class ManualScheduler final : public Scheduler
{
public:
    explicit ManualScheduler(ManualClock &clock) : m_clock(clock) { }

    ScheduledCall schedule(
        std::chrono::milliseconds delay, const QObject *context, std::function<void()> function) override;

    // Moves time forward, making every call that falls due on the way, earliest first (calls due at the same
    // moment in the order they were scheduled); calls scheduled meanwhile are made too when they fall due in time.
    void advance(std::chrono::milliseconds duration);
    // Calls still to be made.
    int pendingCount() const;
    // How long until the next call falls due; nothing when none waits.
    std::optional<std::chrono::milliseconds> nextCallDueIn() const;

private:
    struct Entry
    {
        std::chrono::milliseconds due;
        quint64 sequence = 0;
        QPointer<const QObject> context;
        std::shared_ptr<ScheduledCall::State> state;
        std::function<void()> function;
    };
    void dropDeadEntries();

    ManualClock &m_clock;
    std::chrono::milliseconds m_elapsed {0};
    quint64 m_nextSequence = 0;
    QList<Entry> m_entries;
};
