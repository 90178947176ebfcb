// Writing the Buffer into the gang: pulse programming with doubling widths
// and an over-program pulse for the UV EPROM families 1 to 5, a byte write
// with data polling for the 28C16 and a 32-byte page write with polling,
// read-back and retries for the 28C64 / 28C256.
#include "link/address_map.h"
#include "link/families.h"
#include "link/latches.h"
#include "link/link.h"

#include <algorithm>

namespace gang {

using namespace latch;

namespace {
constexpr uint8_t Erased = 0xFF;
constexpr uint16_t Last_Retry_Width = 130; // no pulse follows one wider than this
constexpr int32_t EE_Poll_Limit = 4096;
constexpr int32_t Page_Tries = 10;

// The host's run priority, raised for one programming run.
class TRun_Priority {
public:
    explicit TRun_Priority(IHost& host) : Host(host) { Host.Raise_Run_Priority(); }
    ~TRun_Priority() { Host.Restore_Run_Priority(); }
    TRun_Priority(const TRun_Priority&) = delete;
    TRun_Priority& operator=(const TRun_Priority&) = delete;

private:
    IHost& Host;
};
} // namespace

bool TLink::Family_Writes_With(void (TLink::*write)()) const
{
    const TFamily* family = Family_Row(Family());
    return family != nullptr && family->Write == write;
}

uint8_t TLink::Buffer_Byte(int32_t address) const
{
    const uint32_t index = static_cast<uint32_t>(address) & (Buffer_Size - 1);
    if (const uint8_t* own = Gang.Own_Byte(Cur_Socket, static_cast<int32_t>(index)))
        return *own;
    return Buffer.Data[index];
}

void TLink::Program_Range()
{
    const TFamily* family = Family_Row(Family());
    if (family == nullptr) {
        Gang.Drop_All(); // no algorithm exists without a device type
        return;
    }
    TRun_Priority priority(Host);
    Prog_Config();
    if (family->Unlock != nullptr && Selection.Sdp != TSdp_Mode::Keep)
        Protect_Gang(family->Unlock);
    Gang_Loop(family->Address_Step, [this, family] {
        Select_Socket();
        (this->*family->Write)();
        if (Prog_Ok == 0)
            Mark_Socket_Failed(TResult_Kind::Not_Programmed);
    });
    if (family->Lock != nullptr && Selection.Sdp == TSdp_Mode::Lock && Gang_Mask() != 0)
        Protect_Gang(family->Lock);
    // All sockets deselected.
    Latch(Socket_Latch, Fam_Socket);
    Latch(Vpp_Latch, Fam_Vpp);
}

// The 2716 strobes Socket_Latch bit 5 with every socket enable inverted: the
// selected socket at its deselected level, all the others selected.
void TLink::Prog_Pulse_Inverted()
{
    const uint32_t inverted = Cur_Socket_Val ^ Sock_Enables_1_4;
    Latch(Socket_Latch, inverted);
    Latch(Vpp_Latch, Cur_Vpp_Val ^ Vpp_Enable_5);
    Latch(Socket_Latch, inverted & static_cast<uint8_t>(~Sock_Prog_Fam1)); // strobe low
    Pulse_Wait();
    Latch(Socket_Latch, inverted); // strobe back
    Latch(Socket_Latch, Cur_Socket_Val);
    Latch(Vpp_Latch, Cur_Vpp_Val);
    Latch(Vpp_Latch, Cur_Vpp_Val | Vpp_Read);
    Latch(Socket_Latch, Cur_Socket_Val & static_cast<uint8_t>(~Sock_Output_Off));
}

// The other UV EPROMs: one shape, the strobe in a different latch per family.
void TLink::Prog_Pulse_Shared(TPulse_Strobe strobe)
{
    Latch(Socket_Latch, Cur_Socket_Val);
    Latch(Vpp_Latch, Cur_Vpp_Val);
    switch (strobe) {
    case TPulse_Strobe::Add_Hi:
        Latch(Add_Hi_Latch, Hi_Value & static_cast<uint8_t>(~Hi_Strobe_Fam3_8));
        Pulse_Wait();
        Latch(Add_Hi_Latch, Hi_Value);
        break;
    case TPulse_Strobe::Vpp:
        Latch(Vpp_Latch, Cur_Vpp_Val & static_cast<uint8_t>(~Vpp_Prog_Fam4));
        Pulse_Wait();
        Latch(Vpp_Latch, Cur_Vpp_Val);
        break;
    default: // Socket
        Latch(Socket_Latch, Cur_Socket_Val & static_cast<uint8_t>(~Sock_Prog_Fam2_5));
        Pulse_Wait();
        Latch(Socket_Latch, Cur_Socket_Val);
        break;
    }
    // Read mode and outputs on, so the byte can be read back at once.
    Latch(Vpp_Latch, Cur_Vpp_Val | Vpp_Read);
    Latch(Socket_Latch, Cur_Socket_Val & static_cast<uint8_t>(~Sock_Output_Off));
}

void TLink::Prog_Pulse()
{
    const TFamily* family = Family_Row(Family());
    // The EEPROM families and an unknown family have no pulse.
    if (family == nullptr || family->Strobe == TPulse_Strobe::None)
        return;
    if (family->Strobe == TPulse_Strobe::Socket_Inverted)
        Prog_Pulse_Inverted();
    else
        Prog_Pulse_Shared(family->Strobe);
}

void TLink::Prog_Byte()
{
    if (!Family_Writes_With(&TLink::Prog_Byte)) {
        Prog_Ok = 0;
        Note_Miss(Cur_Add, Buffer_Byte(Cur_Add));
        return;
    }
    const uint8_t d = Buffer_Byte(Cur_Add);
    if (d == Erased) {
        Prog_Ok = 1; // an erased byte needs no pulse
        return;
    }
    Latch(Data_Latch, d);
    Pulse_Width = 1;
    do {
        Pulse_Width = static_cast<uint16_t>(Pulse_Width * 2);
        Prog_Pulse();
        Read_Bus();
        if (Read_Value == d) {
            Prog_Ok = 1;
        } else {
            Prog_Ok = 0;
            // A bit that reads 0 where d has a 1 cannot be raised by pulses.
            if ((d & Read_Value) != d)
                break;
        }
    } while (Prog_Ok != 1 && Pulse_Width <= Last_Retry_Width);
    if (Prog_Ok == 1) {
        Pulse_Width = static_cast<uint16_t>(Pulse_Width * 2);
        Prog_Pulse(); // over-program pulse, not read back
    } else {
        Note_Miss(Cur_Add, d);
    }
}

void TLink::EE_Poll(uint8_t expected)
{
    int32_t count = 0;
    do {
        Read_Bus();
        Prog_Ok = (Read_Value == expected) ? 1 : 0;
        ++count;
        // One pass of messages after each read; while the chip's write cycle
        // may still run, that pass sleeps out the poll interval first.
        if (Prog_Ok != 1 && count <= EE_Poll_Sleeps)
            Host.ProcessMessages_Until(Host.Monotonic_Us() + EE_Poll_Interval_Us);
        else
            Host.ProcessMessages();
    } while (Prog_Ok != 1 && count < EE_Poll_Limit);
}

void TLink::EE_Write_Byte()
{
    if (!Family_Writes_With(&TLink::EE_Write_Byte)) {
        Prog_Ok = 0;
        Note_Miss(Cur_Add, Buffer_Byte(Cur_Add));
        return;
    }
    Latch(Socket_Latch, Cur_Socket_Val);
    Latch(Vpp_Latch, Cur_Vpp_Val);
    const uint8_t d = Buffer_Byte(Cur_Add);
    Latch(Data_Latch, d);
    Latch(Add_Hi_Latch, Hi_Value & static_cast<uint8_t>(~Hi_A11_Or_Write_Fam6)); // write strobe
    Latch(Add_Hi_Latch, Hi_Value);
    Latch(Vpp_Latch, Cur_Vpp_Val | Vpp_Read);
    Latch(Socket_Latch, Cur_Socket_Val & static_cast<uint8_t>(~Sock_Output_Off));
    EE_Poll(d);
    if (Prog_Ok != 1)
        Note_Miss(Cur_Add, d);
}

void TLink::EE_Load_Page(int32_t length)
{
    Latch(Socket_Latch, Cur_Socket_Val);
    Latch(Vpp_Latch, Cur_Vpp_Val);
    // The page shares the high byte of its first address.
    for (int32_t i = 0; i < length; ++i) {
        Latch(Add_Lo_Latch, static_cast<uint32_t>(Cur_Add + i) & 0xFF);
        Latch(Data_Latch, Buffer_Byte(Cur_Add + i));
        Latch(Add_Hi_Latch, Hi_Value & static_cast<uint8_t>(~Hi_Strobe_Fam3_8)); // write strobe
        Latch(Add_Hi_Latch, Hi_Value);
    }
    Latch(Vpp_Latch, Cur_Vpp_Val | Vpp_Read);
    Latch(Socket_Latch, Cur_Socket_Val & static_cast<uint8_t>(~Sock_Output_Off));
    const int32_t last = Cur_Add + length - 1;
    EE_Poll(Buffer_Byte(last));
    if (Prog_Ok != 1)
        Note_Miss(last, Buffer_Byte(last));
}

// The read-back walks the page with a plain address step.  Next_Address is
// not used here: at the last page it would raise Quit_Flag as the range end
// and so cut the page's retries short.  Program_Range's own Next_Address
// after the page still ends the run at the same place.
void TLink::EE_Read_Back(int32_t length)
{
    for (int32_t i = 0; i < length; ++i) {
        Set_Address();
        Read_Bus();
        if (Read_Value != Buffer_Byte(Cur_Add)) {
            if (Prog_Ok == 1) // the first byte of the page that differs
                Note_Miss(Cur_Add, Buffer_Byte(Cur_Add));
            Prog_Ok = 0;
        }
        Cur_Add = Cur_Add + 1;
    }
    Cur_Add = Cur_Add - length;
}

void TLink::EE_Write_Page()
{
    if (!Family_Writes_With(&TLink::EE_Write_Page)) {
        Prog_Ok = 0;
        Note_Miss(Cur_Add, Buffer_Byte(Cur_Add));
        return;
    }
    // One page, never past the end of the range nor the end of the Buffer.
    const int32_t page = Family_Row(Family())->Address_Step;
    const int32_t length =
        std::min({page, Buffer.End_Of_Eprom + 1 - Cur_Add, Buffer_Size - Cur_Add});
    if (Cur_Add < 0 || length <= 0) {
        Prog_Ok = 1; // nothing of the range left to write
        return;
    }
    Report.Window_Enabled(false);
    int32_t tries = 0;
    do {
        ++tries;
        EE_Load_Page(length);
        if (Prog_Ok == 1)
            EE_Read_Back(length);
    } while (!(Prog_Ok == 1 || tries == Page_Tries || Quit_Flag > 0));
    Report.Window_Enabled(true);
    // The window takes no input during a page; between pages it does, so
    // the stop button and a close reach a page run.
    Host.ProcessMessages();
}

} // namespace gang
