#include "timer/threaded_timer.h"

#include "timer/timer_thread.h"

#include <QEvent>

namespace gang {

namespace {

// One event type for every timer's tick deliveries, registered once.
QEvent::Type TickEventType()
{
    static const QEvent::Type type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

} // namespace

TThreadedTimer::TThreadedTimer(QObject* owner)
    : QObject(owner), TimerThread(std::make_unique<TTimerThread>(this, TickEventType()))
{
}

TThreadedTimer::~TThreadedTimer()
{
    // The worker may be at its gate, in its wait, or blocked on a delivery
    // the main thread has not run yet; terminating wakes it from each of
    // them, so the join never needs this thread's event loop.  A delivery
    // still queued is discarded with this object.
    TimerThread->Terminate();
    TimerThread->Join();
}

bool TThreadedTimer::Enabled() const
{
    return FEnabled;
}

void TThreadedTimer::SetEnabled(bool enabled)
{
    if (enabled == FEnabled) {
        return;
    }
    FEnabled = enabled;
    if (!enabled) {
        TimerThread->Suspend();
        return;
    }
    if (TimerThread->Interval() != 0) {
        // Signal first: whatever the worker was doing, it passes its next
        // wait without a tick and then starts one full interval.
        TimerThread->Signal();
        TimerThread->Resume();
    }
}

uint16_t TThreadedTimer::Interval() const
{
    return TimerThread->Interval();
}

void TThreadedTimer::SetInterval(uint16_t ms)
{
    if (ms == TimerThread->Interval()) {
        return;
    }
    SetEnabled(false);
    TimerThread->SetInterval(ms);
}

TThreadPriority TThreadedTimer::ThreadPriority() const
{
    return TimerThread->Priority();
}

void TThreadedTimer::SetThreadPriority(TThreadPriority priority)
{
    TimerThread->SetPriority(priority);
}

void TThreadedTimer::Fire_Tick()
{
    if (OnTimer) {
        OnTimer(this);
    }
}

bool TThreadedTimer::event(QEvent* e)
{
    const auto delivery = TimerThread->BeginDelivery(e);
    if (delivery == TTimerThread::TDelivery::NotATick) {
        return QObject::event(e);
    }
    if (delivery == TTimerThread::TDelivery::Run) {
        Fire_Tick();
    }
    TimerThread->EndDelivery();
    return true;
}

} // namespace gang
