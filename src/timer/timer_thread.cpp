#include "timer/timer_thread.h"

#include "platform/thread_priority.h"

#include <QCoreApplication>

#include <chrono>

namespace gang {

TTimerThread::TTimerThread(TThreadedTimer* timer, QEvent::Type tick_event)
    : Timer(timer), TickEvent(tick_event), Worker([this] { Run_Loop(); })
{
    // Wait until the worker stands at its gate and its id is known, so that
    // a priority set right after construction reaches the thread at once.
    std::unique_lock<std::mutex> lock(Mutex);
    Wake.wait(lock, [this] { return Started; });
}

TTimerThread::~TTimerThread()
{
    Terminate();
    Join();
}

uint16_t TTimerThread::Interval() const
{
    std::lock_guard<std::mutex> lock(Mutex);
    return FInterval;
}

void TTimerThread::SetInterval(uint16_t ms)
{
    std::lock_guard<std::mutex> lock(Mutex);
    FInterval = ms;
}

TThreadPriority TTimerThread::Priority() const
{
    std::lock_guard<std::mutex> lock(Mutex);
    return FPriority;
}

void TTimerThread::SetPriority(TThreadPriority priority)
{
    std::lock_guard<std::mutex> lock(Mutex);
    FPriority = priority;
    ApplyPriority();
}

void TTimerThread::ApplyPriority()
{
    ApplyThreadPriority(Tid, FPriority);
}

void TTimerThread::Signal()
{
    std::lock_guard<std::mutex> lock(Mutex);
    WakeEvent = true;
    Wake.notify_all();
}

void TTimerThread::Resume()
{
    std::lock_guard<std::mutex> lock(Mutex);
    Running = true;
    Wake.notify_all();
}

void TTimerThread::Suspend()
{
    std::lock_guard<std::mutex> lock(Mutex);
    Running = false;
    ++Suspensions;
    Wake.notify_all();
}

void TTimerThread::Terminate()
{
    std::lock_guard<std::mutex> lock(Mutex);
    Terminated = true;
    WakeEvent = true;
    Running = true;
    Wake.notify_all();
}

void TTimerThread::Join()
{
    if (Worker.joinable()) {
        Worker.join();
    }
}

TTimerThread::TDelivery TTimerThread::BeginDelivery(const QEvent* e)
{
    std::lock_guard<std::mutex> lock(Mutex);
    if (e->type() != TickEvent) {
        return TDelivery::NotATick;
    }
    const bool current = DeliveryPending && !Terminated && Running && DeliveryEpoch == Suspensions;
    return current ? TDelivery::Run : TDelivery::Withdrawn;
}

void TTimerThread::EndDelivery()
{
    std::lock_guard<std::mutex> lock(Mutex);
    DeliveryPending = false;
    Wake.notify_all();
}

void TTimerThread::Run_Loop()
{
    std::unique_lock<std::mutex> lock(Mutex);
    Tid = CurrentThreadTid();
    Started = true;
    Wake.notify_all();

    for (;;) {
        // Suspended: wait at the gate.
        Wake.wait(lock, [this] { return Running || Terminated; });
        if (Terminated) {
            break;
        }

        // The wait on the wake event, with the interval read anew each time.
        const uint64_t epoch = Suspensions;
        const auto timeout = std::chrono::milliseconds(FInterval);
        const bool woken = Wake.wait_for(
            lock, timeout, [&] { return WakeEvent || Terminated || Suspensions != epoch; });
        if (Terminated) {
            break;
        }
        if (woken) {
            // Signalled: the signal only cut the wait short (auto-reset).
            // Suspended during the wait: the time-out is withdrawn; the
            // enable that opens the gate again signals a fresh wait.
            WakeEvent = false;
            continue;
        }

        // Time-out: have the main thread run the tick and wait until it has.
        // The event is posted with the mutex held and the main thread takes
        // the mutex before it uses the delivery, so everything the worker
        // did up to here is visible to the tick.
        DeliveryPending = true;
        DeliveryEpoch = epoch;
        QCoreApplication::postEvent(Timer, new QEvent(TickEvent));
        Wake.wait(lock, [this] { return !DeliveryPending || Terminated; });
        if (Terminated) {
            // The queued delivery dies with the timer, unrun.
            break;
        }
    }
}

} // namespace gang
