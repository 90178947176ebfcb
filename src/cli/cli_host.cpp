#include "cli/cli_host.h"

#include <QCoreApplication>

#include <utility>

namespace gang::cli {

TCliHost::TCliHost(std::function<void()> on_tick)
{
    // The waits are milliseconds long: the worker must be woken on time
    // even on a loaded machine, as the window's timer is.
    Timer.SetThreadPriority(TThreadPriority::tpTimeCritical);
    Timer.OnTimer = [tick = std::move(on_tick)](TThreadedTimer*) {
        if (tick)
            tick();
    };
}

void TCliHost::ProcessMessages()
{
    // A millisecond wait pumps messages until the timer's tick arrives.  The
    // window spins there (it has a screen to keep painted); the command line
    // has nothing to do but wait for an event: the tick, or a stop signal,
    // which comes as an event too.  Everything else (pulses timed on the
    // clock, the data poll, the speed check that counts passes) runs with the
    // timer disarmed and gets one pass that does not wait.
    QCoreApplication::processEvents(Timer.Enabled() ? QEventLoop::WaitForMoreEvents
                                                    : QEventLoop::AllEvents);
}

void TCliHost::ArmTimer(int interval_ms)
{
    Timer.SetInterval(static_cast<uint16_t>(interval_ms & 0xFFFF));
    Timer.SetEnabled(true);
}

void TCliHost::DisarmTimer()
{
    Timer.SetEnabled(false);
}

void TCliHost::ShowInfo(const std::string& text)
{
    Keep(text);
}

void TCliHost::ShowInfoAt(const std::string& text, int, int)
{
    Keep(text);
}

void TCliHost::ShowError(const std::string& text)
{
    Keep(text);
}

void TCliHost::Keep(const std::string& text)
{
    std::string line;
    for (char c : text)
        if (c != '\r')
            line.push_back(c);
    Messages.push_back(line);
}

} // namespace gang::cli
