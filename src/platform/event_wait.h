// Sleeping in the event loop until a point of the monotonic clock, for the
// waits of a run (programming pulses, the EEPROM data poll, millisecond
// waits): the thread uses no CPU while it waits, and an event that arrives
// meanwhile (a click on Stop, a close, a stop signal, a timer's tick) is
// still handled at once.
//
// Times are microseconds of the monotonic clock (CLOCK_MONOTONIC, the clock
// of std::chrono::steady_clock and so of IHost::Monotonic_Us).
//
// Two ways to end the sleep at its time (bench_timing compares them):
//   Thread  a thread of the wait's own sleeps until the time (1 us timer
//           slack) and then wakes the event loop.  The thread that wakes
//           has run for next to nothing, so the scheduler runs it at once
//           even beside busy threads, and when it goes back to sleep the
//           event loop's thread is the one picked to run in its place.
//           Woken directly, that thread waited a millisecond or more for a
//           busy thread's slice to end.  The default, but while the
//           waiting thread runs at real-time priority (Set_Realtime): then
//           its own wake-up is immediate and a waker of normal priority
//           would wait behind the busy threads, so the timerfd serves.
//   Fd      a timerfd the event loop watches beside its other sources (a
//           timerfd has no timer slack).
// Either way the time is to the microsecond, where a Qt timer counts whole
// milliseconds.  Qt Core only.
#pragma once

#include <QEventLoop>

#include <cstdint>
#include <limits>
#include <memory>

class QSocketNotifier;
class QTimer;

namespace gang {

// The monotonic clock in microseconds.
int64_t Monotonic_Clock_Us();

// Sleeps the calling thread, outside any event loop, until the monotonic
// clock reads at_us; at once when it already has.  A signal does not end
// the sleep early.
void Sleep_Until_Us(int64_t at_us);

// How late the kernel may end the calling thread's sleeps and time-outs, in
// nanoseconds (Linux' timer slack, 50 us by default; a real-time thread has
// none).  Set: false when the system refused it or has no such setting.
bool Set_Timer_Slack_Ns(uint64_t ns);
uint64_t Timer_Slack_Ns();

// One thread's sleeping event pass.  Used on the thread that created it.
class TEvent_Wait {
public:
    enum class TWake { Thread, Fd };
    explicit TEvent_Wait(TWake wake = TWake::Thread);
    ~TEvent_Wait();
    TEvent_Wait(const TEvent_Wait&) = delete;
    TEvent_Wait& operator=(const TEvent_Wait&) = delete;

    // No time-out: sleep until an event comes.
    static constexpr int64_t Forever = std::numeric_limits<int64_t>::max();

    // One pass of the thread's event loop, as QCoreApplication::
    // processEvents(flags): when an event is pending it is processed
    // without sleeping; else the thread sleeps until an event arrives or the
    // monotonic clock reaches until_us, whichever comes first, and
    // processes what arrived.  until_us reached already: no sleep at all.
    // The sleep ends at until_us plus the system's wake-up time (tens of
    // microseconds on an idle machine), never before it unless an event
    // came.
    void Process_Events_Until(int64_t until_us,
                              QEventLoop::ProcessEventsFlags flags = QEventLoop::AllEvents);

    // The waiting thread runs at real-time priority (true) or not.
    void Set_Realtime(bool realtime) { Realtime = realtime; }

    // False when the fallback timer of whole milliseconds serves (no
    // timerfd): it wakes up to a millisecond early, and a caller that waits
    // for an exact end makes up the rest.  Known after the first wait with
    // a time-out.
    bool Precise() const { return (Use_Waker() && Waker) || Notifier; }

private:
    class TWaker;
    bool Use_Waker() const { return Wake == TWake::Thread && !Realtime; }
    void Make_Wake_Up();
    void Arm(int64_t at_us);
    void Disarm();

    TWake Wake;
    bool Realtime = false;
    std::unique_ptr<TWaker> Waker;
    int Fd = -1;
    std::unique_ptr<QSocketNotifier> Notifier;
    std::unique_ptr<QTimer> Fallback;
};

} // namespace gang
