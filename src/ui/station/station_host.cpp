#include "ui/station/station_host.h"

#include <QCoreApplication>

#include <utility>

namespace gang {

TStation_Host::TStation_Host(std::function<void()> on_tick,
                             std::function<void(const std::string&)> on_text)
    : On_Text(std::move(on_text))
{
    // The waits are milliseconds long: the worker must be woken on time even
    // on a loaded machine, as the main window's timer is.
    Timer.SetThreadPriority(TThreadPriority::tpTimeCritical);
    Timer.OnTimer = [tick = std::move(on_tick)](TThreadedTimer*) {
        if (tick)
            tick();
    };
}

TStation_Host::~TStation_Host()
{
    Timer.SetEnabled(false);
    Timer.OnTimer = nullptr;
}

void TStation_Host::ProcessMessages()
{
    QCoreApplication::processEvents(Holding_Input ? QEventLoop::ExcludeUserInputEvents
                                                  : QEventLoop::AllEvents);
}

void TStation_Host::ArmTimer(int interval_ms)
{
    Timer.SetInterval(static_cast<uint16_t>(interval_ms & 0xFFFF));
    Timer.SetEnabled(true);
}

void TStation_Host::DisarmTimer()
{
    Timer.SetEnabled(false);
}

void TStation_Host::ShowInfo(const std::string& text)
{
    Show(text);
}

void TStation_Host::ShowInfoAt(const std::string& text, int /*x*/, int /*y*/)
{
    Show(text);
}

void TStation_Host::ShowError(const std::string& text)
{
    Show(text);
}

void TStation_Host::Show(const std::string& text)
{
    std::string line;
    for (char c : text)
        if (c != '\r')
            line.push_back(c);
    if (On_Text)
        On_Text(line);
}

namespace {

std::string Trimmed(const std::string& text)
{
    const auto last = text.find_last_not_of(' ');
    return last == std::string::npos ? "" : text.substr(0, last + 1);
}

bool Is_Socket(int socket)
{
    return socket >= 1 && socket <= 5;
}

} // namespace

void TStation_Report::Counter(int32_t address)
{
    if (On_Counter)
        On_Counter(address);
    if (Pump)
        Pump();
}

void TStation_Report::Socket_Text(int socket, const std::string& text)
{
    if (Is_Socket(socket))
        Text[socket] = Trimmed(text);
}

void TStation_Report::Socket_Failed(int socket, const TSocket_Result& result)
{
    if (Is_Socket(socket) && On_Socket_Failed)
        On_Socket_Failed(socket, result);
}

void TStation_Report::Window_Enabled(bool enabled)
{
    if (On_Window_Enabled)
        On_Window_Enabled(enabled);
}

void TStation_Report::Status(const std::string& text)
{
    if (On_Status)
        On_Status(text);
}

} // namespace gang
