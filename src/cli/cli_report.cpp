#include "cli/cli_report.h"

#include <QCoreApplication>

namespace gang::cli {

namespace {

bool Is_Socket(int socket)
{
    return socket >= 1 && socket <= 5;
}

} // namespace

TCliReport::TCliReport(TProgress& progress) : Progress(progress) {}

std::vector<bool> TCliReport::Failed_Flags() const
{
    std::vector<bool> failed;
    for (int s = 1; s <= Gang; ++s)
        failed.push_back(Failed && Failed(s));
    return failed;
}

void TCliReport::Counter(int32_t address)
{
    Address = address;
    Progress.Update(address, Failed_Flags());
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void TCliReport::Socket_Failed(int socket, const TSocket_Result& /*result*/)
{
    if (Is_Socket(socket))
        Progress.Update(Address, Failed_Flags());
}

void TCliReport::Operation(const std::string&) {}

void TCliReport::Log_Line(const std::string& line)
{
    Log.push_back(line);
}

} // namespace gang::cli
