// The waits of a run on the thread that runs it: passes of its event loop,
// sleeping ones until a point of the monotonic clock (TEvent_Wait), and the
// thread's run priority, which the sleeping pass must know of (a real-time
// thread wakes itself), and whether the passes leave user input queued.
// Every host of a run holds one.
#pragma once

#include "platform/event_wait.h"
#include "platform/thread_priority.h"

#include <QCoreApplication>

#include <cstdint>

namespace gang {

class TRun_Waits {
public:
    // One pass: the events pending, no sleep.
    void Pass() const { QCoreApplication::processEvents(Flags()); }
    // One pass, asleep until an event or until_us (TEvent_Wait::Forever: no
    // time-out).
    void Pass_Until(int64_t until_us) { Wait.Process_Events_Until(until_us, Flags()); }
    // While held, the passes leave mouse and key input queued.  A window
    // disabled for an EEPROM page would drop a click made meanwhile (on the
    // stop button or Quit); held, it reaches the window in the pass between
    // pages, when it is enabled.
    void Hold_User_Input(bool hold) { Holding_Input = hold; }
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
    QEventLoop::ProcessEventsFlags Flags() const
    {
        return Holding_Input ? QEventLoop::ExcludeUserInputEvents : QEventLoop::AllEvents;
    }
    bool Holding_Input = false;
    TNestedRunPriority Priority;
    TEvent_Wait Wait;
};

} // namespace gang
