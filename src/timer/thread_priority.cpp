#include "timer/thread_priority.h"

#ifdef __linux__
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

} // namespace gang
