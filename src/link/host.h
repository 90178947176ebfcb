// What the programmer link needs from the window it runs under.  The link
// never touches a widget: the main window implements this interface, and the
// tests implement it with fakes that count message pumps, fire timer ticks
// and record the texts.
#pragma once

#include <chrono>
#include <cstdint>
#include <ctime>
#include <limits>
#include <string>

namespace gang {

class IHost {
public:
    virtual ~IHost() = default;

    // Process all pending window messages once (Application.ProcessMessages).
    // Timer ticks, the stop button and the close request arrive here.
    virtual void ProcessMessages() = 0;

    // One ProcessMessages that may sleep first: with no message pending, the
    // thread sleeps in the event loop until one arrives (then it is
    // processed at once) or until the monotonic clock (Monotonic_Us) reaches
    // until_us.  until_us reached already: ProcessMessages, no sleep.  The
    // sleep may end a little after until_us (the system's wake-up), so a
    // wait with an exact end asks for an earlier time and makes up the rest
    // with ProcessMessages.  Until_Next_Message: no time-out.
    // The default never sleeps: one ProcessMessages (the tests' scripted
    // hosts count message pumps on a clock of their own).
    virtual void ProcessMessages_Until(int64_t until_us)
    {
        (void)until_us;
        ProcessMessages();
    }
    static constexpr int64_t Until_Next_Message = std::numeric_limits<int64_t>::max();

    // ThreadedTimer1: set Interval (ms, low 16 bits) then Enabled := true.
    // The tick must end up in TLink::ThreadedTimer1Timer().
    virtual void ArmTimer(int interval_ms) = 0;
    // ThreadedTimer1.Enabled := false.
    virtual void DisarmTimer() = 0;

    // Seconds field (0..59) of the local time of day.  Read once per counted
    // pass of the speed check: keep it cheap, or the pulses come out short.
    // time() is a cheap vDSO call, and its seconds field is the local one in
    // every time zone (zone offsets are whole minutes).
    virtual int SecondsOfDay() { return static_cast<int>(std::time(nullptr) % 60); }

    // A monotonic clock in microseconds (CLOCK_MONOTONIC, the clock the
    // platform's sleeps are timed on).  Pulse_Wait reads it once per pass
    // and ends a pulse at the first pass that has reached its nominal width.
    // Tests that simulate time override it.
    virtual int64_t Monotonic_Us()
    {
        using namespace std::chrono;
        return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
    }

    // The scheduling priority of the thread that times the pulses, raised
    // for a programming run where the system permits it (a descheduled
    // thread stretches the pulse in hand) and given back after it.
    virtual void Raise_Run_Priority() {}
    virtual void Restore_Run_Priority() {}

    // Information box with one OK button, waited for.
    virtual void ShowInfo(const std::string& text) = 0;
    // The not-found dialog: information box placed at screen position x, y.
    virtual void ShowInfoAt(const std::string& text, int x, int y) = 0;
    // Error box ("Error:" + library text on a failed port enable).
    virtual void ShowError(const std::string& text) = 0;
    // A question with Yes and No, waited for; default_yes names the button
    // that Enter presses.  A host without a user gives the default.
    virtual bool Ask(const std::string& /*text*/, bool default_yes) { return default_yes; }
};

} // namespace gang
