#include "platform/thread_priority.h"

#ifdef __linux__
#include <cerrno>
#include <sched.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>
#endif

namespace gang {

int NiceValueFor(TThreadPriority priority)
{
    switch (priority) {
    case TThreadPriority::tpIdle:
        return 19;
    case TThreadPriority::tpLowest:
        return 10;
    case TThreadPriority::tpLower:
        return 5;
    case TThreadPriority::tpNormal:
        return 0;
    case TThreadPriority::tpHigher:
        return -5;
    case TThreadPriority::tpHighest:
        return -10;
    case TThreadPriority::tpTimeCritical:
        return -20;
    }
    return 0;
}

long CurrentThreadTid()
{
#ifdef __linux__
    return static_cast<long>(syscall(SYS_gettid));
#else
    return 0;
#endif
}

int ThreadNice(long tid)
{
#ifdef __linux__
    if (tid <= 0)
        return 0;
    errno = 0;
    const int nice = getpriority(PRIO_PROCESS, static_cast<id_t>(tid));
    return errno == 0 ? nice : 0;
#else
    (void)tid;
    return 0;
#endif
}

bool SetThreadNice(long tid, int nice)
{
#ifdef __linux__
    if (tid <= 0)
        return false;
    return setpriority(PRIO_PROCESS, static_cast<id_t>(tid), nice) == 0;
#else
    (void)tid;
    (void)nice;
    return false;
#endif
}

bool ApplyThreadPriority(long tid, TThreadPriority priority)
{
#ifdef __linux__
    // Linux keeps the nice value per thread; PRIO_PROCESS with a thread id
    // addresses that one thread.
    if (tid <= 0) {
        return false;
    }
    return setpriority(PRIO_PROCESS, static_cast<id_t>(tid), NiceValueFor(priority)) == 0;
#else
    (void)tid;
    (void)priority;
    return false;
#endif
}

TRunPriority RaiseRunPriority()
{
    TRunPriority run;
    const long tid = CurrentThreadTid();
    run.Saved_Nice = ThreadNice(tid);
#ifdef __linux__
    cpu_set_t cpus;
    CPU_ZERO(&cpus);
    const bool several = sched_getaffinity(0, sizeof cpus, &cpus) == 0 && CPU_COUNT(&cpus) > 1;
    if (several) {
        sched_param param{};
        param.sched_priority = sched_get_priority_min(SCHED_RR);
        if (sched_setscheduler(0, SCHED_RR, &param) == 0) {
            run.Raised = true;
            run.Realtime = true;
            return run;
        }
    }
#endif
    run.Raised = ApplyThreadPriority(tid, TThreadPriority::tpTimeCritical);
    return run;
}

void DropRunPriority(const TRunPriority& raised)
{
    if (!raised.Raised)
        return;
#ifdef __linux__
    if (raised.Realtime) {
        sched_param param{};
        sched_setscheduler(0, SCHED_OTHER, &param);
    }
#endif
    SetThreadNice(CurrentThreadTid(), raised.Saved_Nice);
}

} // namespace gang
