#include "sim/socket_lines.h"

#include "sim/voltage.h"

namespace gang::sim {

namespace {

constexpr uint32_t A13 = 1u << 13;
constexpr uint32_t A14 = 1u << 14;
constexpr uint32_t A15 = 1u << 15;
constexpr uint8_t Hi_A8_To_A10 = 0x07;
constexpr uint8_t Hi_A8_To_A11 = 0x0F;
constexpr uint8_t Hi_A8_To_A12 = 0x1F;

uint32_t High_Bits(uint8_t hi, int family)
{
    switch (family) {
    case 1:
    case 6:
        return uint32_t(hi & Hi_A8_To_A10) << 8;
    case 2:
        return uint32_t(hi & Hi_A8_To_A11) << 8;
    case 3:
        return (uint32_t(hi & Hi_A8_To_A12) << 8) | ((hi & Hi_A13) ? 0 : A13);
    case 4:
        return (uint32_t(hi & Hi_A8_To_A12) << 8) | ((hi & Hi_A13) ? 0 : A13) |
               ((hi & Hi_A14_Or_Pgm) ? A14 : 0);
    case 5:
        return (uint32_t(hi & Hi_A8_To_A12) << 8) | ((hi & Hi_A13) ? 0 : A13) |
               ((hi & Hi_A14_Or_Pgm) ? A14 : 0) | ((hi & Hi_Bit_7) ? A15 : 0);
    case 8:
        return (uint32_t(hi & Hi_A8_To_A12) << 8) | ((hi & Hi_A13) ? 0 : A13) |
               ((hi & Hi_Bit_7) ? A14 : 0);
    default:
        return 0;
    }
}

// Family 1 pulses the chip whose enable is at the deselected level; every
// other family strobes the selected chip.
bool Strobe_Target(const TLatches& latches, int socket, int family)
{
    const bool selected = Enable_Selected(latches, socket);
    return family == 1 ? !selected : selected;
}

// Family 3 chips are in program mode only with Vpp_Latch bit 1 held low.
bool Family_Program_Enable(const TLatches& latches, int family)
{
    return family != 3 || !(latches.Vpp & Vpp_Pgm_Fam_4);
}

} // namespace

bool Enable_Selected(const TLatches& latches, int socket)
{
    switch (socket) {
    case 1:
        return !(latches.Socket & Sock_Enable_1);
    case 2:
        return !(latches.Socket & Sock_Enable_2);
    case 3:
        return !(latches.Socket & Sock_Enable_3);
    case 4:
        return !(latches.Socket & Sock_Enable_4);
    case 5:
        return (latches.Vpp & Vpp_Enable_5) != 0;
    default:
        return false;
    }
}

uint32_t Decode_Address(const TLatches& latches, int family, uint32_t size)
{
    const uint32_t address = High_Bits(latches.Add_Hi, family) | latches.Add_Lo;
    return address & (size - 1);
}

bool Strobe_Line_Active(const TLatches& latches, int family)
{
    switch (family) {
    case 1:
        return !(latches.Socket & Sock_Pgm_Fam_1);
    case 2:
    case 5:
        return !(latches.Socket & Sock_Pgm_Fam_2_5);
    case 3:
    case 8:
        return !(latches.Add_Hi & Hi_A14_Or_Pgm);
    case 4:
        return !(latches.Vpp & Vpp_Pgm_Fam_4);
    case 6:
        return !(latches.Add_Hi & Hi_A11_Or_We);
    default:
        return false;
    }
}

bool Wiring_Ok(const TLatches& latches, int family)
{
    const bool small = (latches.Socket & Sock_Small_Package) != 0;
    if (small != Is_24_Pin_Family(family))
        return false;
    switch (family) {
    case 1:
        return (latches.Add_Hi & Hi_A11_Or_We) != 0;
    case 3:
    case 4:
        return (latches.Add_Hi & Hi_Bit_7) != 0;
    default:
        return true;
    }
}

TSocketLines Decode_Socket(const TLatches& latches, int socket, const TChipType& type)
{
    TSocketLines lines;
    const int family = type.Family;
    const bool program_mode = !(latches.Vpp & Vpp_Read_Mode);
    const bool outputs_enabled = !(latches.Socket & Sock_Outputs_Off);
    const bool strobe_line = Strobe_Line_Active(latches, family);

    lines.Enabled = Enable_Selected(latches, socket);
    lines.Outputs_On = lines.Enabled && outputs_enabled && !program_mode;
    lines.Strobe = strobe_line && Strobe_Target(latches, socket, family) && !outputs_enabled &&
                   program_mode && Family_Program_Enable(latches, family);
    lines.Wiring_Ok = Wiring_Ok(latches, family);
    lines.Read_Ok = lines.Wiring_Ok && !strobe_line;
    lines.Address = Decode_Address(latches, family, type.Size);
    lines.Data_In = program_mode ? latches.Data : 0xFF; // nothing drives the lines: pulled up
    lines.Volts = Applied_Vpp_Volts(latches.L3, latches.Vpp);
    return lines;
}

} // namespace gang::sim
