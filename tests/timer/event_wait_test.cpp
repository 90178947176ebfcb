// The sleeping event pass the waits of a run are made of (platform/
// event_wait.h): it sleeps until its time without using the CPU, never ends
// early unless an event came, and an event that comes meanwhile is
// processed at once.  The bounds are loose: a loaded machine wakes late, so
// only "not before" and "long before a second" are asserted.
#include "platform/event_wait.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <thread>

namespace gang::test {
namespace {

int64_t Thread_Cpu_Us()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<int64_t>(now.tv_sec) * 1000000 + now.tv_nsec / 1000;
}

// Nothing left over from an earlier test (a timer's last event).
void Drain()
{
    for (int i = 0; i < 10; ++i)
        QCoreApplication::processEvents();
}

TEST(EventWait, SleepsUntilItsTimeWithoutTheCpu)
{
    // The link times its waits on IHost::Monotonic_Us (the steady clock);
    // the sleeps must end by the same clock.
    using namespace std::chrono;
    const int64_t steady =
        duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
    ASSERT_LT(std::abs(Monotonic_Clock_Us() - steady), 100000);

    Drain();
    TEvent_Wait wait;
    constexpr int64_t Wait_Us = 50000;
    const int64_t cpu = Thread_Cpu_Us();
    const int64_t start = Monotonic_Clock_Us();
    const int64_t until = start + Wait_Us;
    // Passes until the time: an unrelated event may end one pass early.
    int passes = 0;
    while (Monotonic_Clock_Us() < until) {
        wait.Process_Events_Until(until);
        ++passes;
    }
    const int64_t lasted = Monotonic_Clock_Us() - start;
    EXPECT_TRUE(wait.Precise());
    EXPECT_GE(lasted, Wait_Us);
    EXPECT_LT(lasted, 1000000);
    EXPECT_LT(passes, 10) << "a sleep, not a spin";
    EXPECT_LT(Thread_Cpu_Us() - cpu, Wait_Us / 5);
}

TEST(EventWait, AnEventFromAnotherThreadEndsTheSleepAndIsProcessed)
{
    // What ends a millisecond wait: the timer's worker posts the tick.
    Drain();
    TEvent_Wait wait;
    QObject receiver;
    bool delivered = false;
    std::thread poster([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        QMetaObject::invokeMethod(
            &receiver, [&] { delivered = true; }, Qt::QueuedConnection);
    });
    const int64_t start = Monotonic_Clock_Us();
    while (!delivered && Monotonic_Clock_Us() - start < 5000000)
        wait.Process_Events_Until(start + 10000000);
    poster.join();
    EXPECT_TRUE(delivered);
    EXPECT_LT(Monotonic_Clock_Us() - start, 2000000) << "not the 10 s of the time-out";
}

} // namespace
} // namespace gang::test
