#pragma once

#include <QObject>

#include <chrono>
#include <functional>
#include <memory>

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
    friend class Scheduler;
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

protected:
    // For the implementations: the state that a call and its scheduler share, the call that is handed out for it,
    // and the mark that the call is being made (false when it was cancelled or made already).
    using CallState = ScheduledCall::State;
    static ScheduledCall callFor(std::shared_ptr<CallState> state) { return ScheduledCall(std::move(state)); }
    static bool beginCall(CallState &state) { return ScheduledCall::begin(state); }
};

// The event loop's precise timers.
class EventLoopScheduler final : public Scheduler
{
public:
    ScheduledCall schedule(
        std::chrono::milliseconds delay, const QObject *context, std::function<void()> function) override;
};
