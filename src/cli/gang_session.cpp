#include "cli/gang_session.h"

#include "session/adapter.h"

namespace gang::cli {

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
    }
    return "";
}

TGangSession::TGangSession(IPort& port, TBuffer& buffer, TProgress& progress)
    : Report(progress), Host([this] { Link.ThreadedTimer1Timer(); }),
      Link(port, Host, Report, Selection, buffer), Work(Link)
{
}

bool TGangSession::Find_Adapter(std::optional<uint16_t> chosen, bool calibrate)
{
    return session::Search(Link, chosen, calibrate);
}

void TGangSession::Choose(const TDeviceType& type, int gang, int32_t vpp_code)
{
    Report.Gang = gang;
    Work.Choose(type, gang);
    if (vpp_code != Selection.Vpp_Code) {
        Selection.Vpp_Code = vpp_code;
        Link.Set_Vpp();
    }
}

void TGangSession::Run(TStep step)
{
    if (Stop_Seen)
        return;
    // A socket that failed a step sits out the later ones.
    for (int s = 1; s <= Max_Gang_Size; ++s)
        if (Report.Sockets[s].Failed())
            Link.Leave_Out(s);
    switch (step) {
    case TStep::Blank:
        Work.Blank_ChkClick();
        break;
    case TStep::Program:
        Work.Program_EpromClick();
        break;
    case TStep::Verify:
        Work.Verify_EpromClick();
        break;
    case TStep::Read:
        Work.Move_EpromClick();
        break;
    }
}

bool TGangSession::Read_Socket_Range(int socket, std::vector<uint8_t>& bytes)
{
    if (Stop_Seen)
        return false;
    return Work.Read_Socket_Range(socket, bytes) && !Stop_Seen;
}

void TGangSession::New_Run()
{
    for (TSocketState& socket : Report.Sockets)
        socket = {};
    Link.Clear_Results();
}

void TGangSession::Stop()
{
    Stop_Seen = true;
    Work.Quit_Func_ButClick();
}

void TGangSession::Rest()
{
    Link.Close_Down();
}

} // namespace gang::cli
