#include "platform/thread_priority.h"

#include <algorithm>

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

#ifdef __linux__
namespace {

// The kernel's struct sched_attr (sched_setattr(2)); glibc 2.36 has no
// wrapper for the call.
struct TSched_Attr {
    uint32_t Size;
    uint32_t Policy;
    uint64_t Flags;
    int32_t Nice;
    uint32_t Priority;
    uint64_t Runtime_Ns; // the fair scheduler's custom slice
    uint64_t Deadline_Ns;
    uint64_t Period_Ns;
    uint32_t Util_Min;
    uint32_t Util_Max;
};

bool Get_Attr(TSched_Attr& attr)
{
    attr = TSched_Attr{};
    return syscall(SYS_sched_getattr, 0, &attr, sizeof attr, 0) == 0;
}

} // namespace
#endif

bool Set_Thread_Slice_Us(int64_t us)
{
#ifdef __linux__
    TSched_Attr attr{};
    if (us < 0 || !Get_Attr(attr) || (attr.Policy != SCHED_OTHER && attr.Policy != SCHED_BATCH))
        return false;
    // The same policy and nice value, only the slice changed; the kernel
    // takes 0.1 to 100 ms.
    attr.Size = sizeof attr;
    attr.Flags = 0;
    attr.Runtime_Ns = static_cast<uint64_t>(us) * 1000;
    if (syscall(SYS_sched_setattr, 0, &attr, 0) != 0)
        return false;
    // A kernel before 6.12 takes the call and ignores the slice (the kernel
    // keeps it between 0.1 and 100 ms).
    return us == 0 || Thread_Slice_Us() == std::clamp<int64_t>(us, 100, 100000);
#else
    (void)us;
    return false;
#endif
}

int64_t Thread_Slice_Us()
{
#ifdef __linux__
    TSched_Attr attr{};
    if (!Get_Attr(attr) || (attr.Policy != SCHED_OTHER && attr.Policy != SCHED_BATCH))
        return 0;
    return static_cast<int64_t>(attr.Runtime_Ns / 1000);
#else
    return 0;
#endif
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
    run.Short_Slice = Set_Thread_Slice_Us(Run_Slice_Us);
    return run;
}

void DropRunPriority(const TRunPriority& raised)
{
    if (raised.Short_Slice)
        Set_Thread_Slice_Us(0);
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
