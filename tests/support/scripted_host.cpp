#include "scripted_host.h"

#include "recording_port.h"

namespace gang::test {

namespace {
constexpr size_t Reads_Per_Second = 40;
}

void TScriptedHost::ProcessMessages()
{
    if (Note_Sleeps)
        Sleeps_Until.push_back(-1);
    Pump();
}

void TScriptedHost::Pump()
{
    const long pump = ++Pumps;
    Clock_Us += Us_Per_Pump;
    if (Port != nullptr)
        Port->Log.push_back({Op::Pump, 0, 0});
    if (Armed_Interval >= 0 && ++Pumps_Since_Arm >= Tick_After_Pumps) {
        if (Link != nullptr)
            Link->ThreadedTimer1Timer();
        else if (On_Tick)
            On_Tick();
    }
    if (On_Pump)
        On_Pump(pump);
}

void TScriptedHost::ProcessMessages_Until(int64_t until_us)
{
    if (Note_Sleeps)
        Sleeps_Until.push_back(until_us);
    Pump();
}

void TScriptedHost::ArmTimer(int interval_ms)
{
    Armings.push_back(interval_ms);
    Armed_Interval = interval_ms;
    Pumps_Since_Arm = 0;
}

int TScriptedHost::SecondsOfDay()
{
    const size_t read = Seconds_Read++;
    if (Seconds.empty())
        return static_cast<int>(read / Reads_Per_Second % 60);
    return Seconds[read < Seconds.size() ? read : Seconds.size() - 1];
}

} // namespace gang::test
