// Scheduling priority of a timer worker on the platform.  On Linux the
// priority is the thread's nice value: lowering a thread's priority is always
// allowed, raising it needs CAP_SYS_NICE (or a permissive RLIMIT_NICE).  A
// refused change leaves the thread as it was; the caller keeps its value.
#pragma once

#include "timer/threaded_timer.h"

namespace gang {

// Nice value for a priority: tpNormal is 0, tpTimeCritical the highest
// priority the scheduler gives a normal thread (-20), tpIdle the lowest (19).
int NiceValueFor(TThreadPriority priority);

// The calling thread's kernel id (0 where the platform has none).
long CurrentThreadTid();

// Sets the priority of thread `tid`; false when the platform refused it.
bool ApplyThreadPriority(long tid, TThreadPriority priority);

} // namespace gang
