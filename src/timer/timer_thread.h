// TTimerThread: the worker behind a TThreadedTimer.  It only waits: on its
// wake event, with the timer's Interval as time-out, and, after a time-out,
// on the main thread running the tick it asked for.
//
// A Linux thread cannot be suspended from outside, so suspension is a gate
// the worker waits at.  Suspend() also withdraws whatever the worker was
// about to do: a wait in progress ends without a tick, and a delivery that is
// queued but not yet run on the main thread is dropped when it comes up.
// All state shared with the worker sits behind one mutex.
#pragma once

#include "timer/threaded_timer.h"

#include <QEvent>

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

namespace gang {

class TTimerThread {
public:
    // Starts the worker at the closed gate (suspended), priority tpNormal,
    // Interval 1000.  Deliveries are posted to `timer` as `tick_event`.
    TTimerThread(TThreadedTimer* timer, QEvent::Type tick_event);
    // Terminates and joins the worker if the owner has not done so.
    ~TTimerThread();
    TTimerThread(const TTimerThread&) = delete;
    TTimerThread& operator=(const TTimerThread&) = delete;

    TThreadedTimer* const Timer;
    const QEvent::Type TickEvent;

    uint16_t Interval() const;
    // Takes effect at the next wait; the owner changes it only while suspended.
    void SetInterval(uint16_t ms);

    TThreadPriority Priority() const;
    void SetPriority(TThreadPriority priority);

    // The auto-reset wake event: cuts the current or next wait short, once.
    void Signal();
    // Opens the gate.
    void Resume();
    // Closes the gate and withdraws a pending time-out or delivery.
    void Suspend();
    // Marks the worker terminated and wakes it wherever it waits (gate, wake
    // event or an unfinished delivery); it then ends without a tick.
    void Terminate();
    // Waits until the worker has ended.  Never needs the caller's event loop.
    void Join();

    enum class TDelivery {
        NotATick,  // some other event
        Withdrawn, // a tick the timer was disabled (or destroyed) after
        Run,       // a current tick: run it, then EndDelivery
    };
    // Main thread, on any event to the timer.  The event is examined under
    // the mutex: the worker created it, and the mutex is what orders that.
    TDelivery BeginDelivery(const QEvent* e);
    // Main thread, after the tick (or its refusal): releases the worker.
    void EndDelivery();

private:
    void Run_Loop();
    void ApplyPriority(); // with Mutex held

    mutable std::mutex Mutex;
    std::condition_variable Wake;

    uint16_t FInterval = 1000;
    TThreadPriority FPriority = TThreadPriority::tpNormal;
    bool Started = false;   // the worker has set Tid
    long Tid = 0;           // kernel thread id, set by the worker
    bool WakeEvent = false; // auto-reset event: signalled
    bool Running = false;   // gate open
    bool Terminated = false;
    uint64_t Suspensions = 0;     // bumped by Suspend: withdraws older time-outs
    bool DeliveryPending = false; // a tick is queued or running on the main thread
    uint64_t DeliveryEpoch = 0;   // Suspensions when that tick timed out

    std::thread Worker;
};

} // namespace gang
