#include "timer/threaded_timer.h"

#include "tick_recorder.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include <memory>
#include <set>

namespace gang::test {
namespace {

// ---- Properties and setters ------------------------------------------------

TEST(ThreadedTimerSetters, StartsDisabledWithOneSecondIntervalAndNeverTicksUnarmed)
{
    TThreadedTimer timer;
    TickRecorder rec;
    rec.Attach(timer);
    EXPECT_FALSE(timer.Enabled());
    EXPECT_EQ(timer.Interval(), 1000);
    EXPECT_EQ(timer.ThreadPriority(), TThreadPriority::tpNormal);

    // The worker starts suspended: a short interval set on a disabled timer
    // produces nothing.
    timer.SetInterval(5);
    PumpFor(milliseconds(80));
    EXPECT_EQ(rec.Count(), 0);
}

TEST(ThreadedTimerSetters, SameIntervalKeepsEnabledAndAnotherIntervalDisables)
{
    TThreadedTimer timer;
    TickRecorder rec;
    rec.Attach(timer);
    timer.SetInterval(40);
    timer.SetEnabled(true);

    timer.SetInterval(40);
    EXPECT_TRUE(timer.Enabled());
    ASSERT_TRUE(PumpUntilTicks(rec, 1));

    timer.SetInterval(20);
    EXPECT_FALSE(timer.Enabled());
    EXPECT_EQ(timer.Interval(), 20);
    const int before = rec.Count();
    PumpFor(milliseconds(150));
    EXPECT_EQ(rec.Count(), before) << "a change of interval must leave the timer stopped";

    timer.SetEnabled(true);
    EXPECT_TRUE(PumpUntilTicks(rec, before + 1));
}

TEST(ThreadedTimerSetters, EnablingTwiceIsUndoneByOneDisable)
{
    TThreadedTimer timer;
    TickRecorder rec;
    rec.Attach(timer);
    timer.SetInterval(10);
    timer.SetEnabled(true);
    timer.SetEnabled(true);
    ASSERT_TRUE(PumpUntilTicks(rec, 2));

    timer.SetEnabled(false);
    const int before = rec.Count();
    PumpFor(milliseconds(100));
    EXPECT_EQ(rec.Count(), before);
}

TEST(ThreadedTimerSetters, EnableWithIntervalZeroReadsEnabledButNeverTicks)
{
    TThreadedTimer timer;
    TickRecorder rec;
    rec.Attach(timer);
    timer.SetInterval(0);
    timer.SetEnabled(true);
    EXPECT_TRUE(timer.Enabled());
    PumpFor(milliseconds(100));
    EXPECT_EQ(rec.Count(), 0);

    // Disabling the idle timer and arming it properly afterwards must leave
    // the worker running (no suspension is left over from the zero arming).
    timer.SetEnabled(false);
    timer.SetInterval(10);
    timer.SetEnabled(true);
    EXPECT_TRUE(PumpUntilTicks(rec, 1));
}

TEST(ThreadedTimerSetters, PriorityReadsBackEvenWhenThePlatformRefusesIt)
{
    TThreadedTimer timer;
    TickRecorder rec;
    rec.Attach(timer);
    for (auto p : {TThreadPriority::tpTimeCritical, TThreadPriority::tpIdle,
                   TThreadPriority::tpHighest, TThreadPriority::tpLowest}) {
        timer.SetThreadPriority(p);
        EXPECT_EQ(timer.ThreadPriority(), p);
    }
    timer.SetThreadPriority(TThreadPriority::tpTimeCritical);
    timer.SetInterval(5);
    timer.SetEnabled(true);
    EXPECT_TRUE(PumpUntilTicks(rec, 1));
}

#ifdef __linux__
std::set<QString> ThreadIds()
{
    const auto ids =
        QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    return {ids.begin(), ids.end()};
}

// Field 19 of /proc/<pid>/task/<tid>/stat; the command name before it may
// hold blanks, so count from the closing parenthesis.
int NiceOfThread(const QString& tid)
{
    QFile stat(QStringLiteral("/proc/self/task/%1/stat").arg(tid));
    if (!stat.open(QIODevice::ReadOnly)) {
        return 1000;
    }
    const QByteArray text = stat.readAll();
    const auto fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    return fields.size() > 16 ? fields[16].toInt() : 1000;
}

TEST(ThreadedTimerSetters, LoweredPriorityReachesTheWorkerThread)
{
    const auto before = ThreadIds();
    TThreadedTimer timer;
    QString worker;
    for (int i = 0; i < 1000 && worker.isEmpty(); ++i) {
        for (const QString& id : ThreadIds()) {
            if (!before.count(id)) {
                worker = id;
            }
        }
        std::this_thread::sleep_for(milliseconds(1));
    }
    ASSERT_FALSE(worker.isEmpty()) << "no worker thread appeared";

    // Lowering is permitted to every process, so it must take effect.
    const QString main_thread = QString::number(QCoreApplication::applicationPid());
    const int main_nice = NiceOfThread(main_thread);
    ASSERT_LE(main_nice, 10);
    timer.SetThreadPriority(TThreadPriority::tpLowest);
    EXPECT_EQ(NiceOfThread(worker), 10);
    EXPECT_EQ(NiceOfThread(main_thread), main_nice) << "the main thread must keep its priority";
}
#endif

// ---- Ticks: one per arming, full intervals, main thread ---------------------

// The way the link waits: the tick handler disables the timer again.
TEST(ThreadedTimerTicks, HandlerThatDisablesMakesTheTimerOneShot)
{
    TThreadedTimer timer;
    TickRecorder rec;
    rec.Attach(timer);
    rec.Then = [](TThreadedTimer* sender) { sender->SetEnabled(false); };
    timer.SetInterval(5);
    timer.SetEnabled(true);
    ASSERT_TRUE(PumpUntilTicks(rec, 1));
    EXPECT_FALSE(timer.Enabled());
    PumpFor(milliseconds(100));
    EXPECT_EQ(rec.Count(), 1);
}

TEST(ThreadedTimerTicks, ReEnablingAfterAOneShotTickWaitsAFullInterval)
{
    TThreadedTimer timer;
    TickRecorder rec;
    rec.Attach(timer);
    rec.Then = [](TThreadedTimer* sender) { sender->SetEnabled(false); };
    timer.SetInterval(200);
    timer.SetEnabled(true);
    ASSERT_TRUE(PumpUntilTicks(rec, 1));

    // Re-armed at once, while the worker may still be returning from the
    // delivery of the first tick.
    const auto armed = Clock::now();
    timer.SetEnabled(true);
    PumpFor(milliseconds(50));
    EXPECT_EQ(rec.Count(), 1) << "the re-armed timer ticked early";
    ASSERT_TRUE(PumpUntilTicks(rec, 2));
    EXPECT_GE(MsBetween(armed, rec.Ticks[1]), 199);
}

TEST(ThreadedTimerTicks, ReArmingInsideTheTickWaitsAFullInterval)
{
    TThreadedTimer timer;
    TickRecorder rec;
    rec.Attach(timer);
    Clock::time_point rearmed;
    rec.Then = [&](TThreadedTimer* sender) {
        sender->SetEnabled(false);
        if (rec.Count() == 1) {
            rearmed = Clock::now();
            sender->SetEnabled(true);
        }
    };
    timer.SetInterval(150);
    timer.SetEnabled(true);
    ASSERT_TRUE(PumpUntilTicks(rec, 2));
    EXPECT_GE(MsBetween(rearmed, rec.Ticks[1]), 149);
}

TEST(ThreadedTimerTicks, SuccessiveTicksAreAtLeastOneIntervalApart)
{
    TThreadedTimer timer;
    TickRecorder rec;
    rec.Attach(timer);
    timer.SetInterval(30);
    const auto armed = Clock::now();
    timer.SetEnabled(true);
    ASSERT_TRUE(PumpUntilTicks(rec, 4));
    timer.SetEnabled(false);
    EXPECT_GE(MsBetween(armed, rec.Ticks[0]), 29);
    for (size_t i = 1; i < rec.Ticks.size(); ++i) {
        EXPECT_GE(MsBetween(rec.Ticks[i - 1], rec.Ticks[i]), 29) << "tick " << i;
    }
}

TEST(ThreadedTimerTicks, TickRunsOnTheMainThreadOnlyWhenItProcessesEvents)
{
    TThreadedTimer timer;
    TickRecorder rec;
    rec.Attach(timer);
    timer.SetInterval(20);
    timer.SetEnabled(true);

    // Long past the time-out without processing events: nothing has run.
    std::this_thread::sleep_for(milliseconds(300));
    EXPECT_EQ(rec.Count(), 0);

    // The first processing runs the tick that has been waiting.
    QCoreApplication::processEvents();
    ASSERT_EQ(rec.Count(), 1);
    EXPECT_EQ(rec.Threads[0], std::this_thread::get_id());
    timer.SetEnabled(false);
}

// ---- Disabling withdraws ticks ----------------------------------------------

TEST(ThreadedTimerDisable, NoTickFollowsADisableEvenWhenTheTimeOutHasPassed)
{
    TThreadedTimer timer;
    TickRecorder rec;
    rec.Attach(timer);
    timer.SetInterval(1);
    timer.SetEnabled(true);
    // The worker has timed out and its delivery is waiting in the queue.
    std::this_thread::sleep_for(milliseconds(100));
    timer.SetEnabled(false);
    PumpFor(milliseconds(100));
    EXPECT_EQ(rec.Count(), 0);
}

TEST(ThreadedTimerDisable, DisableAndReEnableBeforeProcessingStartsAFreshInterval)
{
    TThreadedTimer timer;
    TickRecorder rec;
    rec.Attach(timer);
    timer.SetInterval(200);
    timer.SetEnabled(true);
    std::this_thread::sleep_for(milliseconds(300)); // a stale delivery is queued
    timer.SetEnabled(false);
    const auto armed = Clock::now();
    timer.SetEnabled(true);
    PumpFor(milliseconds(50));
    EXPECT_EQ(rec.Count(), 0) << "the withdrawn delivery ran";
    ASSERT_TRUE(PumpUntilTicks(rec, 1));
    EXPECT_GE(MsBetween(armed, rec.Ticks[0]), 199);
    timer.SetEnabled(false);
}

TEST(ThreadedTimerDisable, RunningTimerStopsAtDisable)
{
    TThreadedTimer timer;
    TickRecorder rec;
    rec.Attach(timer);
    timer.SetInterval(5);
    timer.SetEnabled(true);
    ASSERT_TRUE(PumpUntilTicks(rec, 3));
    timer.SetEnabled(false);
    const int stopped_at = rec.Count();
    PumpFor(milliseconds(100));
    EXPECT_EQ(rec.Count(), stopped_at);
}

// ---- Destruction ------------------------------------------------------------

// Destruction must not depend on a full interval or on the event loop;
// "quickly" is far below the armed interval but generous for a loaded host.
constexpr auto kQuickDestruction = milliseconds(3000);

TEST(ThreadedTimerDestruction, EndsADisabledOrWaitingOrQueuedWorkerAtOnceWithoutATick)
{
    TickRecorder rec;
    struct Case {
        const char* name;
        uint16_t interval;
        bool enable;
        milliseconds idle_before; // time without event processing
    };
    const Case cases[] = {
        {"never enabled", 60000, false, milliseconds(0)},
        {"waiting in a long interval", 60000, true, milliseconds(20)},
        {"delivery queued, never processed", 1, true, milliseconds(100)},
    };
    for (const Case& c : cases) {
        auto timer = std::make_unique<TThreadedTimer>();
        rec.Attach(*timer);
        timer->SetInterval(c.interval);
        timer->SetEnabled(c.enable);
        std::this_thread::sleep_for(c.idle_before);
        const auto start = Clock::now();
        timer.reset();
        EXPECT_LT(Clock::now() - start, kQuickDestruction) << c.name;
        PumpFor(milliseconds(30)); // a leftover delivery must not surface
        EXPECT_EQ(rec.Count(), 0) << c.name;
    }
}

TEST(ThreadedTimerDestruction, EndsAWorkerGatedAfterAOneShotTick)
{
    TickRecorder rec;
    rec.Then = [](TThreadedTimer* sender) { sender->SetEnabled(false); };
    auto timer = std::make_unique<TThreadedTimer>();
    rec.Attach(*timer);
    timer->SetInterval(2);
    timer->SetEnabled(true);
    ASSERT_TRUE(PumpUntilTicks(rec, 1));
    const auto start = Clock::now();
    timer.reset();
    EXPECT_LT(Clock::now() - start, kQuickDestruction);
    EXPECT_EQ(rec.Count(), 1);
}

TEST(ThreadedTimerDestruction, ManyTimersArmedAndDestroyedInTurnLeaveNoTicks)
{
    // Destruction racing the worker at every point of its loop.
    TickRecorder rec;
    for (int i = 0; i < 40; ++i) {
        auto timer = std::make_unique<TThreadedTimer>();
        rec.Attach(*timer);
        timer->SetInterval(1);
        timer->SetEnabled(true);
        std::this_thread::sleep_for(std::chrono::microseconds(100 * (i % 20)));
        timer.reset();
    }
    PumpFor(milliseconds(30));
    EXPECT_EQ(rec.Count(), 0);
}

} // namespace
} // namespace gang::test
