#include "ui/station/station_host.h"

#include <utility>

namespace gang {

namespace {

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
