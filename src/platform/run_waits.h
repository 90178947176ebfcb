// The waits of a run on the thread that runs it: passes of its event loop,
// sleeping ones until a point of the monotonic clock (TEvent_Wait), and the
// thread's run priority, which the sleeping pass must know of (a real-time
// thread wakes itself).  Every host of a run holds one.
#pragma once

#include "platform/event_wait.h"
#include "platform/thread_priority.h"

#include <QCoreApplication>

#include <cstdint>

namespace gang {

class TRun_Waits {
public:
    // One pass: the events pending, no sleep.
    static void Pass(QEventLoop::ProcessEventsFlags flags)
    {
        QCoreApplication::processEvents(flags);
    }
    // One pass, asleep until an event or until_us (TEvent_Wait::Forever: no
    // time-out).
    void Pass_Until(int64_t until_us, QEventLoop::ProcessEventsFlags flags)
    {
        Wait.Process_Events_Until(until_us, flags);
    }
    // The thread at the highest priority the system grants, nested.
    void Raise_Priority()
    {
        Priority.Raise();
        Wait.Set_Realtime(Priority.Realtime());
    }
    void Restore_Priority()
    {
        Priority.Restore();
        Wait.Set_Realtime(Priority.Realtime());
    }

private:
    TNestedRunPriority Priority;
    TEvent_Wait Wait;
};

} // namespace gang
