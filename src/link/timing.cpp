// Every delay the adapter needs is made on the PC side: millisecond waits on
// the threaded timer, programming pulses as counted message-pump passes
// calibrated against the clock once, and the nibble busy loop (bus.cpp).
#include "link/latches.h"
#include "link/link.h"

#include <limits>

namespace gang {

namespace {
constexpr int32_t Rest_Low_Ms = 1;
constexpr uint32_t Pump_Passes_Per_Unit = 750; // one pulse unit is 1/750 s
constexpr uint32_t Timer_Interval_Bits = 0xFFFF;
constexpr int64_t Unit_Us_Times_750 = 1000000; // one pulse unit in us, times 750
// A pulse ends at the latest when it has lasted this many quarters of its
// nominal width, however slowly the message pump runs meanwhile.
constexpr int64_t Max_Stretch_Quarters = 5;
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
    do {
        Host.ProcessMessages();
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
        Port.WriteByte(ControlPort, latch::Control_Idle);
    Wait_Ms = Rest_Low_Ms;
    Timer_Wait();
    // The wait pumps messages: the window may have released the port meanwhile.
    if (Port_Open)
        Port.WriteByte(ControlPort, latch::Control_Rest);
}

void TLink::Check_Speed()
{
    Reset_Latches();
    Report.Log_Line("Checking system speed and setting program Pulse....");
    Speed_Count = 0;
    // Wait for the next change of second, then count message-pump passes
    // until the second after it begins.  The counting ends at the first
    // change, so it always covers one second, even when a slow pass makes
    // the seconds field skip a value.
    const int start = Host.SecondsOfDay();
    int counted;
    do {
        Host.ProcessMessages();
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
    // The width is counted in message-pump passes calibrated by Check_Speed.
    // Each pass here also reads a clock, as each counted pass there does, so
    // that both count passes of the same cost.  The pump can run far slower
    // than during the check (a window repainting, a loaded machine): the
    // clock then ends the pulse at 1.25 times its nominal width, so that a
    // slow pump never over-stresses the chips.
    const uint64_t n = static_cast<uint64_t>(Pulse_Mult) * Pulse_Width;
    const int64_t nominal_us = static_cast<int64_t>(Pulse_Width) * Unit_Us_Times_750 /
                               static_cast<int64_t>(Pump_Passes_Per_Unit);
    const int64_t limit_us = nominal_us * Max_Stretch_Quarters / 4;
    const int64_t start = Host.Monotonic_Us();
    for (uint64_t i = 0; i < n + 1; ++i) {
        Host.ProcessMessages();
        if (Host.Monotonic_Us() - start >= limit_us)
            break;
    }
}

} // namespace gang
