// Helpers for the timer tests: a recorder of ticks and event pumps that run
// the main thread's event processing for a while or until a tick.
#pragma once

#include "timer/threaded_timer.h"

#include <QCoreApplication>

#include <chrono>
#include <functional>
#include <thread>
#include <vector>

namespace gang::test {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

struct TickRecorder {
    std::vector<Clock::time_point> Ticks;
    std::vector<std::thread::id> Threads;
    std::function<void(TThreadedTimer*)> Then; // extra action inside the tick

    void Attach(TThreadedTimer& timer)
    {
        timer.OnTimer = [this](TThreadedTimer* sender) {
            Ticks.push_back(Clock::now());
            Threads.push_back(std::this_thread::get_id());
            if (Then) {
                Then(sender);
            }
        };
    }
    int Count() const { return static_cast<int>(Ticks.size()); }
};

// Processes events for the whole duration.
inline void PumpFor(milliseconds duration)
{
    const auto end = Clock::now() + duration;
    while (Clock::now() < end) {
        QCoreApplication::processEvents();
        std::this_thread::sleep_for(milliseconds(1));
    }
}

// Processes events until the recorder holds `count` ticks or `limit` passed;
// the limit is a guard against a hang, far above any expected time.
inline bool PumpUntilTicks(const TickRecorder& rec, int count,
                           milliseconds limit = milliseconds(10000))
{
    const auto end = Clock::now() + limit;
    while (rec.Count() < count) {
        if (Clock::now() >= end) {
            return false;
        }
        QCoreApplication::processEvents();
        std::this_thread::yield();
    }
    return true;
}

inline long long MsBetween(Clock::time_point from, Clock::time_point to)
{
    return std::chrono::duration_cast<milliseconds>(to - from).count();
}

} // namespace gang::test
