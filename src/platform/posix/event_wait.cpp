#include "platform/event_wait.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <ctime>
#include <mutex>
#include <thread>
#include <unistd.h>

#ifdef __linux__
#include <sys/prctl.h>
#include <sys/timerfd.h>
#endif

namespace gang {

namespace {

constexpr int64_t Us_Per_Second = 1000000;
constexpr int64_t Ns_Per_Us = 1000;

timespec Timespec_Of(int64_t us)
{
    timespec at{};
    at.tv_sec = static_cast<time_t>(us / Us_Per_Second);
    at.tv_nsec = static_cast<long>((us % Us_Per_Second) * Ns_Per_Us);
    return at;
}

} // namespace

int64_t Monotonic_Clock_Us()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<int64_t>(now.tv_sec) * Us_Per_Second + now.tv_nsec / Ns_Per_Us;
}

void Sleep_Until_Us(int64_t at_us)
{
    const timespec at = Timespec_Of(at_us);
    // An absolute time: a sleep cut short by a signal resumes without drift.
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &at, nullptr) == EINTR) {
    }
}

bool Set_Timer_Slack_Ns(uint64_t ns)
{
#ifdef __linux__
    // 0 would mean "the process' default" to the kernel: 1 ns is the least.
    const unsigned long slack = ns == 0 ? 1 : static_cast<unsigned long>(ns);
    return prctl(PR_SET_TIMERSLACK, slack, 0, 0, 0) == 0;
#else
    (void)ns;
    return false;
#endif
}

uint64_t Timer_Slack_Ns()
{
#ifdef __linux__
    const int slack = prctl(PR_GET_TIMERSLACK, 0, 0, 0, 0);
    return slack < 0 ? 0 : static_cast<uint64_t>(slack);
#else
    return 0;
#endif
}

// The thread that sleeps until the armed time and wakes the event loop.
class TEvent_Wait::TWaker {
public:
    explicit TWaker(QAbstractEventDispatcher* dispatcher)
        : Dispatcher(dispatcher), Worker([this] { Run(); })
    {
    }
    ~TWaker()
    {
        {
            std::lock_guard<std::mutex> lock(Mutex);
            Quit = true;
        }
        Changed.notify_all();
        Worker.join();
    }
    TWaker(const TWaker&) = delete;
    TWaker& operator=(const TWaker&) = delete;

    // 0: no time (disarmed).
    void Wake_At(int64_t at_us)
    {
        {
            std::lock_guard<std::mutex> lock(Mutex);
            At_Us = at_us;
        }
        Changed.notify_all();
    }

private:
    void Run()
    {
        // Its sleeps end at their time, not up to 50 us after.
        Set_Timer_Slack_Ns(1000);
        std::unique_lock<std::mutex> lock(Mutex);
        for (;;) {
            Changed.wait(lock, [this] { return Quit || At_Us != 0; });
            if (Quit)
                return;
            const int64_t armed = At_Us;
            // steady_clock is CLOCK_MONOTONIC: its epoch is the clock's.
            const std::chrono::steady_clock::time_point at{std::chrono::microseconds(armed)};
            if (Changed.wait_until(lock, at, [&] { return Quit || At_Us != armed; }))
                continue; // disarmed, armed anew or quitting
            At_Us = 0;
            lock.unlock();
            Dispatcher->wakeUp();
            lock.lock();
        }
    }

    QAbstractEventDispatcher* const Dispatcher;
    std::mutex Mutex;
    std::condition_variable Changed;
    int64_t At_Us = 0;
    bool Quit = false;
    std::thread Worker;
};

TEvent_Wait::TEvent_Wait(TWake wake) : Wake(wake) {}

// Made at the first wait, on the waiting thread, once its event loop exists
// (a socket notifier needs one, the waker the loop's dispatcher).
void TEvent_Wait::Make_Wake_Up()
{
    if (Use_Waker() && !Waker) {
        if (QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance())
            Waker = std::make_unique<TWaker>(dispatcher);
    }
    if ((Use_Waker() && Waker) || Notifier || Fallback)
        return;
#ifdef __linux__
    Fd = timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
#endif
    if (Fd >= 0) {
        Notifier = std::make_unique<QSocketNotifier>(Fd, QSocketNotifier::Read);
        // The wake-up only has to end the sleep: take the expiry, so the
        // descriptor does not stay readable.
        QObject::connect(Notifier.get(), &QSocketNotifier::activated, Notifier.get(), [this] {
            uint64_t expirations = 0;
            (void)!read(Fd, &expirations, sizeof expirations);
        });
        return;
    }
    Fallback = std::make_unique<QTimer>();
    Fallback->setTimerType(Qt::PreciseTimer);
    Fallback->setSingleShot(true);
    // A timer event ends the sleep; its time-out has nothing more to do.
    QObject::connect(Fallback.get(), &QTimer::timeout, Fallback.get(), [] {});
}

TEvent_Wait::~TEvent_Wait()
{
    Waker.reset();
    Notifier.reset();
    if (Fd >= 0)
        close(Fd);
}

void TEvent_Wait::Arm(int64_t at_us)
{
    if (Use_Waker() && Waker) {
        Waker->Wake_At(at_us);
        return;
    }
#ifdef __linux__
    if (Fd >= 0) {
        itimerspec when{};
        when.it_value = Timespec_Of(at_us);
        // Setting the time also clears an expiry not yet taken.
        timerfd_settime(Fd, TFD_TIMER_ABSTIME, &when, nullptr);
        return;
    }
#endif
    // Whole milliseconds, rounded down: the fallback wakes early, never late.
    const int64_t ms = (at_us - Monotonic_Clock_Us()) / 1000;
    if (ms > 0)
        Fallback->start(static_cast<int>(std::min<int64_t>(ms, std::numeric_limits<int>::max())));
}

void TEvent_Wait::Disarm()
{
    if (Use_Waker() && Waker) {
        Waker->Wake_At(0);
        return;
    }
#ifdef __linux__
    if (Fd >= 0) {
        const itimerspec off{};
        timerfd_settime(Fd, 0, &off, nullptr);
        return;
    }
#endif
    Fallback->stop();
}

void TEvent_Wait::Process_Events_Until(int64_t until_us, QEventLoop::ProcessEventsFlags flags)
{
    if (until_us != Forever && until_us <= Monotonic_Clock_Us()) {
        QCoreApplication::processEvents(flags);
        return;
    }
    if (until_us != Forever) {
        Make_Wake_Up();
        Arm(until_us);
        if (!Precise() && !Fallback->isActive()) {
            // Less than a millisecond left and no way to wake within it.
            QCoreApplication::processEvents(flags);
            return;
        }
    }
    QCoreApplication::processEvents(flags | QEventLoop::WaitForMoreEvents);
    if (until_us != Forever)
        Disarm();
}

} // namespace gang
