#include "session/gang_session.h"

#include "session/adapter.h"

namespace gang::session {

const char* Step_Name(TStep step)
{
    switch (step) {
    case TStep::Blank:
        return "blank";
    case TStep::Program:
        return "program";
    case TStep::Verify:
        return "verify";
    case TStep::Read:
        return "read";
    case TStep::Diagnose:
        return "diagnose";
    }
    return "";
}

std::vector<TStep> Program_Steps(bool blank_first, bool verify)
{
    std::vector<TStep> steps;
    if (blank_first)
        steps.push_back(TStep::Blank);
    steps.push_back(TStep::Program);
    if (verify)
        steps.push_back(TStep::Verify);
    return steps;
}

TGangSession::TGangSession(IPort& port, IHost& host, IReport& report, TBuffer& buffer)
    : Link(port, host, report, Selection, buffer), Work(Link)
{
    Link.New_Run();
}

bool TGangSession::Find_Adapter(std::optional<uint16_t> chosen, bool calibrate)
{
    return Search(Link, chosen, calibrate);
}

void TGangSession::Choose(const TDeviceType& type, int gang, int32_t vpp_code)
{
    Work.Select(type, gang);
    if (vpp_code != Selection.Vpp_Code) {
        Selection.Vpp_Code = vpp_code;
        Link.Set_Vpp();
    }
}

void TGangSession::Run(TStep step)
{
    if (Stop_Seen)
        return;
    switch (step) {
    case TStep::Blank:
        Work.Blank_Check();
        break;
    case TStep::Program:
        Work.Program();
        break;
    case TStep::Verify:
        Work.Verify();
        break;
    case TStep::Read:
        Work.Move();
        break;
    case TStep::Diagnose:
        break; // socket by socket: Read_Socket_Range
    }
}

void TGangSession::End_Run()
{
    if (Stop_Seen)
        Link.Stop_Run();
}

bool TGangSession::Read_Socket_Range(int socket, std::vector<uint8_t>& bytes)
{
    if (Stop_Seen)
        return false;
    return Work.Read_Socket_Range(socket, bytes) && !Stop_Seen;
}

bool TGangSession::Give_Serials(const TSerialSettings& settings, const TSerialGrant& grant,
                                std::string& error)
{
    for (std::size_t s = 1; s < grant.By_Socket.size(); ++s) {
        if (!grant.By_Socket[s])
            continue;
        const auto bytes = Serial_Bytes(*grant.By_Socket[s], settings.Format, settings.Size);
        if (!bytes) {
            error = Serial_Too_Large(*grant.By_Socket[s], settings.Format, settings.Size);
            return false;
        }
        Link.Set_Own_Bytes(static_cast<int32_t>(s), settings.At, *bytes);
    }
    return true;
}

std::vector<uint8_t> TGangSession::Socket_Image(int socket, int32_t end) const
{
    const TBuffer& buffer = Link.Buffer;
    std::vector<uint8_t> bytes;
    for (int32_t address = buffer.Start_Of_Eprom; address <= end && address < Buffer_Size;
         ++address) {
        const uint8_t* own = Link.Gang_State().Own_Byte(socket, address);
        bytes.push_back(own != nullptr ? *own : buffer.Data[static_cast<std::size_t>(address)]);
    }
    return bytes;
}

void TGangSession::New_Run()
{
    Link.New_Run();
}

void TGangSession::Stop()
{
    Stop_Seen = true;
    Link.Request_Stop();
}

void TGangSession::Rest_Between_Runs()
{
    Link.Rest_Adapter();
}

void TGangSession::Rest()
{
    Link.Close_Down();
}

} // namespace gang::session
