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
    QCoreApplication::processEvents(QEventLoop::AllEvents);
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
