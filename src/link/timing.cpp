// Every delay the adapter needs is made on the PC side: millisecond waits on
// the threaded timer, programming pulses timed on the monotonic clock, and
// the nibble busy loop (bus.cpp).  The waits sleep in the event loop
// (IHost::ProcessMessages_Until): the thread takes no CPU while it waits,
// and a stop or a close is still handled as soon as it comes.
#include "link/latches.h"
#include "link/link.h"

#include <limits>

namespace gang {

namespace {
constexpr int32_t Rest_Low_Ms = 1;
constexpr uint32_t Pump_Passes_Per_Unit = 750; // one pulse unit is 1/750 s
constexpr uint32_t Timer_Interval_Bits = 0xFFFF;
constexpr int64_t Unit_Us_Times_750 = 1000000; // one pulse unit in us, times 750
constexpr int64_t Second_Change_Step_Us = 1000;
} // namespace

void TLink::Timer_Wait()
{
    const int interval = static_cast<int>(static_cast<uint32_t>(Wait_Ms) & Timer_Interval_Bits);
    if (interval == 0) {
        // A timer armed with interval 0 never ticks: there is nothing to wait for.
        Wait_Ms = 0;
        Host.ProcessMessages();
        return;
    }
    Host.ArmTimer(interval);
    // The tick (or a close request) sets Wait_Ms to 0 from a nested handler.
    // Both come as messages: the pump sleeps until the next one.
    do {
        Host.ProcessMessages_Until(IHost::Until_Next_Message);
    } while (Wait_Ms != 0);
}

void TLink::ThreadedTimer1Timer()
{
    Wait_Ms = 0;
    Host.DisarmTimer();
}

void TLink::Bus_Rest()
{
    if (Port_Open)
        Registers.Write(DataPort, TRegister::Control, latch::Control_Idle);
    Wait_Ms = Rest_Low_Ms;
    Timer_Wait();
    // The wait pumps messages: the window may have released the port meanwhile.
    if (Port_Open)
        Registers.Write(DataPort, TRegister::Control, latch::Control_Rest);
}

void TLink::Check_Speed()
{
    Reset_Latches();
    Report.Log_Line("Checking system speed and setting program Pulse....");
    Speed_Count = 0;
    // Wait for the next change of second, then count message-pump passes
    // until the second after it begins.  The counting ends at the first
    // change, so it always covers one second, even when a slow pass makes
    // the seconds field skip a value.  The wait counts nothing: its passes
    // sleep a millisecond each (the count then starts that much after the
    // change, a thousandth of the second); the counted passes do not sleep.
    const int start = Host.SecondsOfDay();
    int counted;
    do {
        Host.ProcessMessages_Until(Host.Monotonic_Us() + Second_Change_Step_Us);
        counted = Host.SecondsOfDay();
    } while (counted == start);
    int now;
    do {
        Host.ProcessMessages();
        if (Speed_Count != std::numeric_limits<uint32_t>::max())
            ++Speed_Count;
        now = Host.SecondsOfDay();
    } while (now == counted);
    Report.Log_Visible(false);
}

void TLink::Derive_Pulse_Unit()
{
    Pulse_Unit = Speed_Count / Pump_Passes_Per_Unit;
    if (Pulse_Unit < 1)
        Pulse_Unit = 1;
}

void TLink::Pulse_Wait()
{
    // The width is measured on the monotonic clock: a pulse lasts at least
    // Pulse_Width units of 1/750 s and ends at the first pass that has
    // reached that, however many passes it took.  Counting calibrated
    // message-pump passes instead gives short pulses on a loaded machine: the
    // second of the speed check includes the time the process was not
    // running, which a short pulse does not see.  Every pass processes the
    // window's messages, so the stop button and a close are seen inside the
    // pulse.  Until Pulse_Tail_Us before the end a pass sleeps in the event
    // loop (until a message comes or that time); the tail is spent in passes
    // that do not sleep, so the system's wake-up, late by tens of
    // microseconds, still ends the pulse on time.  Ending at the first pass
    // past the nominal width keeps a pulse within 1.25 times that width
    // unless a single pass (a repaint, the process descheduled, a wake-up
    // later than the tail) overruns it.
    // Rounded up: the pulse never falls short of its width by a fraction.
    const int64_t units = static_cast<int64_t>(Pulse_Width);
    const auto per_second = static_cast<int64_t>(Pump_Passes_Per_Unit);
    const int64_t nominal_us = (units * Unit_Us_Times_750 + per_second - 1) / per_second;
    const int64_t start = Host.Monotonic_Us();
    const int64_t wake = start + nominal_us - Pulse_Tail_Us;
    do {
        Host.ProcessMessages_Until(wake);
    } while (Host.Monotonic_Us() - start < nominal_us);
}

} // namespace gang
