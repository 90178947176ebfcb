// Scheduling priority of a timer worker on the platform.  On Linux the
// priority is the thread's nice value: lowering a thread's priority is always
// allowed, raising it needs CAP_SYS_NICE (or a permissive RLIMIT_NICE).  A
// refused change leaves the thread as it was; the caller keeps its value.
#pragma once

#include <cstdint>

namespace gang {

// The priorities a timer worker thread may be given.
enum class TThreadPriority {
    tpIdle,
    tpLowest,
    tpLower,
    tpNormal,
    tpHigher,
    tpHighest,
    tpTimeCritical
};

// Nice value for a priority: tpNormal is 0, tpTimeCritical the highest
// priority the scheduler gives a normal thread (-20), tpIdle the lowest (19).
int NiceValueFor(TThreadPriority priority);

// The calling thread's kernel id (0 where the platform has none).
long CurrentThreadTid();

// Sets the priority of thread `tid`; false when the platform refused it.
bool ApplyThreadPriority(long tid, TThreadPriority priority);

// The nice value of thread `tid`, and setting it directly (to give back a
// value read before a raise).  ThreadNice answers 0 where the platform has
// none; SetThreadNice is false when refused.
int ThreadNice(long tid);
bool SetThreadNice(long tid, int nice);

// The highest priority the system grants the calling thread for a run of
// timed work: a real-time round-robin slot when the process may use more
// than one CPU (so the other threads, the timer's worker among them, keep a
// CPU), else the lowest nice value.  Short of a real-time slot, the thread
// also asks for a short time slice (Set_Thread_Slice_Us, Run_Slice_Us),
// which needs no privilege.  The result says what was done (Raised false:
// the system refused both raises) and is handed back to DropRunPriority.
struct TRunPriority {
    bool Raised = false;
    bool Realtime = false;
    bool Short_Slice = false;
    int Saved_Nice = 0;
};
// The slice a run's thread asks for: its waits are short and end on time
// only when it runs soon after its wake-up.
constexpr int64_t Run_Slice_Us = 100;

// The calling thread's time slice under the fair scheduler, in us (0: the
// system's default).  Linux' EEVDF scheduler (6.12 on) runs a waking thread
// that asked for a shorter slice than the running one's at once, where it
// otherwise lets the running one finish its slice (a millisecond or more)
// first; nothing else changes: the thread's share of the CPU stays that of
// its nice value.  Any thread may ask, no privilege is needed.  False when
// the system has no such setting or refused it.
bool Set_Thread_Slice_Us(int64_t us);
// The slice the calling thread runs with, in us: the one asked for, else
// the system's default; 0 where the system has no such setting.
int64_t Thread_Slice_Us();
TRunPriority RaiseRunPriority();
void DropRunPriority(const TRunPriority& raised);

// The run priority of a host whose runs may nest: the first Raise raises,
// the Restore that matches it gives the priority back.
class TNestedRunPriority {
public:
    void Raise()
    {
        if (Depth++ == 0)
            Saved = RaiseRunPriority();
    }
    void Restore()
    {
        if (Depth > 0 && --Depth == 0)
            DropRunPriority(Saved);
    }
    // The thread runs in a real-time slot now.
    bool Realtime() const { return Depth > 0 && Saved.Realtime; }

private:
    int Depth = 0;
    TRunPriority Saved;
};

} // namespace gang
