// Software data protection of the 28C64 and 28C256.  A protected chip
// ignores every write that does not follow the enable triple; the six-byte
// disable sequence switches the protection off, the triple alone switches
// it on again.  The bytes go out in page-write timing: each must reach the
// chip within the byte-load limit (100 to 150 us) of the one before, so no
// message pump and no wait runs within a sequence.  The link always writes
// 5555 and 2AAA; the 28C64 decodes 13 address lines and so sees 1555 and
// 0AAA.
#include "link/address_map.h"
#include "link/families.h"
#include "link/latches.h"
#include "link/link.h"

#include <cstddef>

namespace gang {

using namespace latch;

namespace {
constexpr int32_t Command_Address_1 = 0x5555;
constexpr int32_t Command_Address_2 = 0x2AAA;
constexpr uint8_t Key_1 = 0xAA;
constexpr uint8_t Key_2 = 0x55;
constexpr uint8_t Disable_Lead = 0x80;
constexpr uint8_t Disable_Code = 0x20;
constexpr uint8_t Enable_Code = 0xA0;
constexpr int32_t Protection_Cycle_Ms = 10; // the chips' write cycle after a sequence
constexpr uint16_t No_High_Byte = 0x100;    // Last_Hi that no address has

struct TCommand {
    int32_t Address;
    uint8_t Data;
};
constexpr TCommand Disable_Sequence[] = {
    {Command_Address_1, Key_1}, {Command_Address_2, Key_2}, {Command_Address_1, Disable_Lead},
    {Command_Address_1, Key_1}, {Command_Address_2, Key_2}, {Command_Address_1, Disable_Code}};
constexpr TCommand Enable_Sequence[] = {
    {Command_Address_1, Key_1}, {Command_Address_2, Key_2}, {Command_Address_1, Enable_Code}};
} // namespace

void TLink::EE_Command_Byte(int32_t address, uint8_t data)
{
    const TFamily* family = Family_Row(Family());
    if (family == nullptr)
        return;
    const uint8_t high = Map_High_Address(*family, address).Value;
    Latch(Add_Lo_Latch, static_cast<uint32_t>(address) & 0xFF);
    Latch(Add_Hi_Latch, high);
    Latch(Data_Latch, data);
    Latch(Add_Hi_Latch, high & static_cast<uint8_t>(~Hi_Strobe_Fam3_8)); // write strobe
    Latch(Add_Hi_Latch, high);
}

void TLink::EE_Unlock()
{
    Latch(Socket_Latch, Cur_Socket_Val);
    Latch(Vpp_Latch, Cur_Vpp_Val);
    for (const TCommand& command : Disable_Sequence)
        EE_Command_Byte(command.Address, command.Data);
}

void TLink::EE_Lock()
{
    Latch(Socket_Latch, Cur_Socket_Val);
    Latch(Vpp_Latch, Cur_Vpp_Val);
    for (const TCommand& command : Enable_Sequence)
        EE_Command_Byte(command.Address, command.Data);
}

void TLink::Protect_Gang(void (TLink::*sequence)())
{
    if (!Port_Open)
        return; // released under a closing window: nothing to send, nothing to wait for
    For_Each_Socket([this, sequence] {
        Select_Socket();
        (this->*sequence)();
    });
    Latch(Socket_Latch, Fam_Socket);
    Latch(Vpp_Latch, Fam_Vpp);
    // The high latch now holds a command address: the next Set_Address
    // writes its own high byte whatever it is.
    Last_Hi = No_High_Byte;
    Wait_Ms = Protection_Cycle_Ms;
    Timer_Wait();
}

} // namespace gang
