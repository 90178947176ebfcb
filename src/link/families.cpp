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

// Each row is written field by field: a table of bare positional values
// hides which number is which latch.
TFamily Row_2716()
{
    TFamily f;
    f.Code = 1;
    f.Config = {0x08, 0xEF, 0x08, 0xFF, Prog_Vpp_Keep};
    f.High_Byte = Hi_2716;
    f.Uv_Eprom = true;
    f.Strobe = TPulse_Strobe::Socket_Inverted;
    f.Write = &TLink::Prog_Byte;
    return f;
}

TFamily Row_2732()
{
    TFamily f;
    f.Code = 2;
    f.Config = {0x00, 0xEF, 0x00, 0xFF, Prog_Vpp_Keep};
    f.High_Byte = Hi_2732;
    f.Uv_Eprom = true;
    f.Strobe = TPulse_Strobe::Socket;
    f.Write = &TLink::Prog_Byte;
    return f;
}

TFamily Row_2764()
{
    TFamily f;
    f.Code = 3;
    f.Config = {0xE0, 0xED, 0xE0, 0xFD, Prog_Vpp_Keep_Fam3};
    f.High_Byte = Hi_2764;
    f.Hi_Stored = true;
    f.Uv_Eprom = true;
    f.Strobe = TPulse_Strobe::Add_Hi;
    f.Write = &TLink::Prog_Byte;
    return f;
}

TFamily Row_27256()
{
    TFamily f;
    f.Code = 4;
    f.Config = {0xA0, 0xED, 0xA0, 0xFD, Prog_Vpp_Keep};
    f.High_Byte = Hi_27256;
    f.Uv_Eprom = true;
    f.Strobe = TPulse_Strobe::Vpp;
    f.Write = &TLink::Prog_Byte;
    return f;
}

TFamily Row_27512()
{
    TFamily f;
    f.Code = 5;
    f.Config = {0x20, 0xED, 0x20, 0xFD, Prog_Vpp_Keep};
    f.High_Byte = Hi_27512;
    f.Uv_Eprom = true;
    f.Strobe = TPulse_Strobe::Socket;
    f.Write = &TLink::Prog_Byte;
    return f;
}

TFamily Row_28C16()
{
    TFamily f;
    f.Code = 6;
    f.Config = {0x08, 0xEF, 0x08, 0xFF, Prog_Vpp_Keep};
    f.High_Byte = Hi_2716;
    f.Hi_Stored = true;
    f.Write = &TLink::EE_Write_Byte;
    return f;
}

TFamily Row_28C64()
{
    TFamily f;
    f.Code = 8;
    f.Config = {0x60, 0xED, 0x60, 0xFD, Prog_Vpp_Keep};
    f.High_Byte = Hi_28C64;
    f.Hi_Stored = true;
    f.Write = &TLink::EE_Write_Page;
    f.Address_Step = Page_Size;
    f.Unlock = &TLink::EE_Unlock;
    f.Lock = &TLink::EE_Lock;
    return f;
}

const TFamily Rows[] = {Row_2716(),  Row_2732(),  Row_2764(), Row_27256(),
                        Row_27512(), Row_28C16(), Row_28C64()};

} // namespace

const TFamily* Family_Row(int32_t code)
{
    for (const TFamily& row : Rows)
        if (row.Code == code)
            return &row;
    return nullptr;
}

THiMapping Map_High_Address(const TFamily& family, int32_t address)
{
    return {family.High_Byte(address), family.Hi_Stored};
}

} // namespace gang
