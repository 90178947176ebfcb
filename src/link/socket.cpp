// Family configurations, socket selection, address presentation and the
// per-socket read, built from the tables of address_map.
#include "link/address_map.h"
#include "link/families.h"
#include "link/latches.h"
#include "link/link.h"

namespace gang {

namespace {
constexpr int32_t Settle_Ms = 10;
constexpr uint16_t Last_Hi_After_Reset = 3; // never a run's first high byte
} // namespace

bool TLink::Family_Known() const
{
    return Family_Row(Family()) != nullptr;
}

void TLink::Reset_Link()
{
    if (Found())
        Reset_Latches();
    Quit_Flag = 0;
    Cur_Add = Buffer.Start_Of_Eprom;
    Last_Hi = Last_Hi_After_Reset;
}

// With no device type chosen (family 0, or the unused 7) there is no
// configuration: no latch is written, and no socket takes part, which ends
// any gang loop.
void TLink::Read_Config()
{
    const TFamily* family = Family_Row(Family());
    if (family == nullptr) {
        Gang.Drop_All();
        return;
    }
    Fam_Hi = family->Config.Read_Hi;
    Fam_Socket = family->Config.Read_Socket;
    Fam_Vpp = Vpp_Value & latch::Read_Vpp_Keep;
    Apply_Config();
}

void TLink::Prog_Config()
{
    const TFamily* family = Family_Row(Family());
    if (family == nullptr) {
        Gang.Drop_All();
        return;
    }
    Latch(latch::Add_Lo_Latch, latch::Add_Lo_Prog_Setup);
    Fam_Hi = family->Config.Prog_Hi;
    Fam_Socket = family->Config.Prog_Socket;
    Fam_Vpp = Vpp_Value & family->Config.Prog_Vpp_Keep;
    Apply_Config();
}

void TLink::Apply_Config()
{
    const TFamily* family = Family_Row(Family());
    if (family == nullptr)
        return;
    if (family->Uv_Eprom)
        Latch(latch::Add_Lo_Latch, latch::Add_Lo_Eprom_Setup);
    Clear_Socket_Fails();
    Latches_In_Use = true;
    Latch(latch::Add_Hi_Latch, Fam_Hi);
    Latch(latch::Socket_Latch, Fam_Socket);
    Latch(latch::Vpp_Latch, Fam_Vpp);
    Wait_Ms = Settle_Ms;
    Timer_Wait();
}

void TLink::Clear_Socket_Fails()
{
    Gang.Begin(Gang_Size());
}

void TLink::Select_Socket()
{
    const TSocketSelect s = Select_Values(Fam_Socket, Fam_Vpp, Cur_Socket);
    Cur_Socket_Val = s.Socket_Val;
    Cur_Vpp_Val = s.Vpp_Val;
}

void TLink::Set_Address()
{
    const TFamily* family = Family_Row(Family());
    if (family != nullptr)
        Latch(latch::Add_Lo_Latch, static_cast<uint32_t>(Cur_Add) & 0xFF);
    const uint16_t h = static_cast<uint16_t>((Cur_Add >> 8) & 0xFF);
    if (h == Last_Hi)
        return;
    Last_Hi = h;
    Report.Counter(Cur_Add);
    if (family == nullptr)
        return; // no family: no address lines are defined
    const THiMapping mapping = Map_High_Address(*family, Cur_Add);
    Latch(latch::Add_Hi_Latch, mapping.Value);
    if (mapping.Stored)
        Hi_Value = mapping.Value;
}

void TLink::Read_Socket()
{
    Select_Socket();
    if (Family_Known()) {
        Latch(latch::Socket_Latch, Cur_Socket_Val);
        Latch(latch::Vpp_Latch, Cur_Vpp_Val);
    }
    Read_Bus();
}

void TLink::Note_Miss(int32_t address, uint8_t expected)
{
    Miss.Address = address;
    Miss.Expected = expected;
    Miss.Actual = Read_Value;
}

void TLink::Mark_Socket_Failed(TResult_Kind kind)
{
    if (Cur_Socket < 1 || Cur_Socket > Max_Gang_Size)
        return;
    TSocket_Result result = Miss;
    result.Kind = kind;
    Gang.Fail(Cur_Socket, result);
    Report.Socket_Failed(Cur_Socket, result);
}

void TLink::Next_Address()
{
    if (Cur_Add >= Buffer.End_Of_Eprom)
        Quit_Flag = Quit_Flag + 1;
    Cur_Add = Cur_Add + 1;
}

void TLink::End_Gang_Loop()
{
    // Next_Address has moved past the end of a range done in full.
    if (Cur_Add <= Buffer.End_Of_Eprom)
        Gang.Stop_Remaining(Cur_Add);
}

void TLink::Request_Stop()
{
    Quit_Flag = Stop_Request;
}

void TLink::Request_Close()
{
    Request_Stop();
    Wait_Ms = 0;
    Shutting_Down = true;
}

} // namespace gang
