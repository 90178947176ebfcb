#include "session/timed_host.h"

#include <utility>

namespace gang::session {

TTimed_Host::TTimed_Host(std::function<void()> on_tick)
{
    // The waits are milliseconds long: the worker must be woken on time even
    // on a loaded machine, as the main window's timer is.
    Timer.SetThreadPriority(TThreadPriority::tpTimeCritical);
    Timer.OnTimer = [tick = std::move(on_tick)](TThreadedTimer*) {
        if (tick)
            tick();
    };
}

TTimed_Host::~TTimed_Host()
{
    Timer.SetEnabled(false);
    Timer.OnTimer = nullptr;
}

void TTimed_Host::ProcessMessages()
{
    Waits.Pass();
}

static_assert(IHost::Until_Next_Message == TEvent_Wait::Forever);

void TTimed_Host::ProcessMessages_Until(int64_t until_us)
{
    Waits.Pass_Until(until_us);
}

void TTimed_Host::ArmTimer(int interval_ms)
{
    Timer.SetInterval(static_cast<uint16_t>(interval_ms & 0xFFFF));
    Timer.SetEnabled(true);
}

void TTimed_Host::DisarmTimer()
{
    Timer.SetEnabled(false);
}

std::string TTimed_Host::Line_Of(const std::string& text)
{
    std::string line;
    for (char c : text)
        if (c != '\r')
            line.push_back(c);
    return line;
}

} // namespace gang::session
