#include "link/families.h"

#include "link/latches.h"
#include "link/link.h"

namespace gang {

using namespace latch;

namespace {

constexpr uint8_t Fam1_6_Fixed_Hi = Hi_A11_Or_Write_Fam6; // A11 line held at 1
constexpr uint8_t Fam3_Fixed_Hi = Hi_Strobe_Fam3_8 | Hi_Bit7;
constexpr uint8_t Fam4_Fixed_Hi = Hi_Bit7;
constexpr uint8_t Fam8_Address_Bits = 0x3F; // A8..A13
constexpr uint8_t Fam8_Fixed_Hi = Hi_Strobe_Fam3_8;
constexpr int32_t Fam8_A14 = 0x4000; // moves to latch bit 7
constexpr int32_t Page_Size = 32;

uint8_t High(int32_t address)
{
    return static_cast<uint8_t>((address >> 8) & 0xFF);
}

uint8_t Hi_2716(int32_t a)
{
    return static_cast<uint8_t>(High(a) | Fam1_6_Fixed_Hi);
}
uint8_t Hi_2732(int32_t a)
{
    return High(a);
}
uint8_t Hi_2764(int32_t a)
{
    return static_cast<uint8_t>((High(a) ^ Hi_A13) | Fam3_Fixed_Hi);
}
uint8_t Hi_27256(int32_t a)
{
    return static_cast<uint8_t>((High(a) ^ Hi_A13) | Fam4_Fixed_Hi);
}
uint8_t Hi_27512(int32_t a)
{
    return static_cast<uint8_t>(High(a) ^ Hi_A13);
}
uint8_t Hi_28C64(int32_t a)
{
    uint8_t v = static_cast<uint8_t>(((High(a) & Fam8_Address_Bits) ^ Hi_A13) | Fam8_Fixed_Hi);
    if (a & Fam8_A14)
        v |= Hi_Bit7;
    return v;
}

using S = TPulse_Strobe;

// Code, {read Hi, read Socket, program Hi, program Socket, program Vpp mask},
// high byte, Hi stored, UV EPROM, fixed voltage, strobe, write, step
// [, unlock, lock].
const TFamily Rows[] = {
    {1,
     {0x08, 0xEF, 0x08, 0xFF, Prog_Vpp_Keep},
     Hi_2716,
     false,
     true,
     0,
     S::Socket_Inverted,
     &TLink::Prog_Byte,
     1},
    {2,
     {0x00, 0xEF, 0x00, 0xFF, Prog_Vpp_Keep},
     Hi_2732,
     false,
     true,
     0,
     S::Socket,
     &TLink::Prog_Byte,
     1},
    {3,
     {0xE0, 0xED, 0xE0, 0xFD, Prog_Vpp_Keep_Fam3},
     Hi_2764,
     true,
     true,
     0,
     S::Add_Hi,
     &TLink::Prog_Byte,
     1},
    {4,
     {0xA0, 0xED, 0xA0, 0xFD, Prog_Vpp_Keep},
     Hi_27256,
     false,
     true,
     0,
     S::Vpp,
     &TLink::Prog_Byte,
     1},
    {5,
     {0x20, 0xED, 0x20, 0xFD, Prog_Vpp_Keep},
     Hi_27512,
     false,
     true,
     0,
     S::Socket,
     &TLink::Prog_Byte,
     1},
    {6,
     {0x08, 0xEF, 0x08, 0xFF, Prog_Vpp_Keep},
     Hi_2716,
     true,
     false,
     Vpp_5V,
     S::None,
     &TLink::EE_Write_Byte,
     1},
    {8,
     {0x60, 0xED, 0x60, 0xFD, Prog_Vpp_Keep},
     Hi_28C64,
     true,
     false,
     Vpp_5V,
     S::None,
     &TLink::EE_Write_Page,
     Page_Size,
     &TLink::EE_Unlock,
     &TLink::EE_Lock},
};

} // namespace

const TFamily* Family_Row(int32_t code)
{
    for (const TFamily& row : Rows)
        if (row.Code == code)
            return &row;
    return nullptr;
}

} // namespace gang
