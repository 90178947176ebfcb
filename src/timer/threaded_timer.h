// TThreadedTimer: a timer whose time-outs are measured by a worker thread of
// its own (TTimerThread) and whose ticks run on the thread that owns the
// timer, the main window's thread.  The worker never runs user code: when a
// wait times out it asks the main thread to run Fire_Tick and blocks until
// that has happened, so a tick is seen only while the main thread processes
// its pending events (QCoreApplication::processEvents or the event loop).
//
// Life cycle: constructed disabled (Interval 1000, ThreadPriority tpNormal).
// Enabling with a non-zero Interval starts one full Interval; every time-out
// delivers one tick and starts the next Interval.  Disabling (or changing the
// Interval, which disables first) stops the ticks at once: no tick is
// delivered after it, even one whose time-out has already passed.  A handler
// that disables the timer in its tick makes it one-shot.
//
// All members are to be used on the thread that created the timer.  The timer
// must not be destroyed from inside its own OnTimer handler.
#pragma once

#include "platform/thread_priority.h"

#include <QObject>

#include <cstdint>
#include <functional>
#include <memory>

namespace gang {

class TTimerThread;

class TThreadedTimer : public QObject {
public:
    explicit TThreadedTimer(QObject* owner = nullptr);
    ~TThreadedTimer() override;

    bool Enabled() const;
    void SetEnabled(bool enabled);

    uint16_t Interval() const;
    void SetInterval(uint16_t ms);

    // The worker's scheduling priority.  Applied to the thread where the
    // platform permits it (raising it may need privileges); the value set is
    // always the value read back.
    TThreadPriority ThreadPriority() const;
    void SetThreadPriority(TThreadPriority priority);

    // Called on the owning thread for every tick, with this timer as sender.
    std::function<void(TThreadedTimer* sender)> OnTimer;

    // Runs OnTimer when one is set.  Owning thread only.
    void Fire_Tick();

protected:
    // Receives the worker's tick deliveries.
    bool event(QEvent* e) override;

private:
    bool FEnabled = false;
    std::unique_ptr<TTimerThread> TimerThread;
};

} // namespace gang
