#include "link/address_map.h"

#include "link/latches.h"

namespace gang {

using namespace latch;

namespace {

constexpr int32_t Family_Count = 9; // index 0..8

// Rows by family; nullopt where no device type exists.
constexpr std::optional<TFamilyConfig> Family_Table[Family_Count] = {
    std::nullopt,                                              // 0: no device chosen
    TFamilyConfig{0x08, 0xEF, 0x08, 0xFF, Prog_Vpp_Keep},      // 1: 2716
    TFamilyConfig{0x00, 0xEF, 0x00, 0xFF, Prog_Vpp_Keep},      // 2: 2732
    TFamilyConfig{0xE0, 0xED, 0xE0, 0xFD, Prog_Vpp_Keep_Fam3}, // 3: 2764, 27128
    TFamilyConfig{0xA0, 0xED, 0xA0, 0xFD, Prog_Vpp_Keep},      // 4: 27256
    TFamilyConfig{0x20, 0xED, 0x20, 0xFD, Prog_Vpp_Keep},      // 5: 27512
    TFamilyConfig{0x08, 0xEF, 0x08, 0xFF, Prog_Vpp_Keep},      // 6: 28C16
    std::nullopt,                                              // 7: unused
    TFamilyConfig{0x60, 0xED, 0x60, 0xFD, Prog_Vpp_Keep},      // 8: 28C64, 28C256
};

constexpr uint8_t Fam1_6_Fixed_Hi = Hi_A11_Or_Write_Fam6; // A11 line held at 1
constexpr uint8_t Fam3_Fixed_Hi = Hi_Strobe_Fam3_8 | Hi_Bit7;
constexpr uint8_t Fam4_Fixed_Hi = Hi_Bit7;
constexpr uint8_t Fam8_Address_Bits = 0x3F; // A8..A13
constexpr uint8_t Fam8_Fixed_Hi = Hi_Strobe_Fam3_8;
constexpr int32_t Fam8_A14 = 0x4000; // moves to latch bit 7

// Socket enable bits of Socket_Latch by socket 1..4.
constexpr uint8_t Socket_Enable_Bit[5] = {0, Sock_Enable_1, Sock_Enable_2, Sock_Enable_3,
                                          Sock_Enable_4};
constexpr int32_t Gang_Masks[6] = {0, 0x01, 0x03, 0x07, 0x0F, 0x1F};
constexpr int32_t All_Sockets = 0x1F;

} // namespace

std::optional<TFamilyConfig> Family_Config(int32_t family)
{
    if (family < 0 || family >= Family_Count)
        return std::nullopt;
    return Family_Table[family];
}

bool Is_Eprom_Family(int32_t family)
{
    return family >= 1 && family <= 5;
}

std::optional<THiMapping> Map_High_Address(int32_t family, int32_t address)
{
    const uint8_t h = static_cast<uint8_t>((address >> 8) & 0xFF);
    switch (family) {
    case 1:
        return THiMapping{static_cast<uint8_t>(h | Fam1_6_Fixed_Hi), false};
    case 2:
        return THiMapping{h, false};
    case 3:
        return THiMapping{static_cast<uint8_t>((h ^ Hi_A13) | Fam3_Fixed_Hi), true};
    case 4:
        return THiMapping{static_cast<uint8_t>((h ^ Hi_A13) | Fam4_Fixed_Hi), false};
    case 5:
        return THiMapping{static_cast<uint8_t>(h ^ Hi_A13), false};
    case 6:
        return THiMapping{static_cast<uint8_t>(h | Fam1_6_Fixed_Hi), true};
    case 8: {
        uint8_t v = static_cast<uint8_t>(((h & Fam8_Address_Bits) ^ Hi_A13) | Fam8_Fixed_Hi);
        if (address & Fam8_A14)
            v |= Hi_Bit7;
        return THiMapping{v, true};
    }
    default:
        return std::nullopt;
    }
}

TSocketSelect Select_Values(uint32_t fam_socket, uint32_t fam_vpp, int32_t socket)
{
    TSocketSelect s{fam_socket, fam_vpp};
    if (socket >= 1 && socket <= 4)
        s.Socket_Val = fam_socket & static_cast<uint8_t>(~Socket_Enable_Bit[socket]);
    else if (socket == 5)
        s.Vpp_Val = fam_vpp | Vpp_Enable_5; // socket 5's enable is active high
    return s;
}

std::optional<int32_t> Full_Gang_Mask(int32_t gang_size)
{
    if (gang_size < 1 || gang_size > Max_Gang_Size)
        return std::nullopt;
    return Gang_Masks[gang_size];
}

int32_t Drop_From_Gang(int32_t mask, int32_t socket)
{
    if (socket < 1 || socket > Max_Gang_Size)
        return mask;
    return mask & (All_Sockets & ~(1 << (socket - 1)));
}

TVppSetting Vpp_Setting(int32_t code)
{
    switch (code) {
    case 1:
        return {Vpp_Value_25V, L3_High_Vpp, "Vpp = 25"};
    case 2:
        return {Vpp_Value_21V, L3_High_Vpp, "Vpp = 21"};
    case 3:
        return {Vpp_Value_12V5, L3_High_Vpp, "Vpp = 12.5"};
    case 4:
        return {Vpp_Value_Low, 0x00, "Vpp = 12"};
    case 5:
        return {Vpp_Value_Low, 0x00, "Vpp = 5"};
    default:
        return {Vpp_Value_Low, 0x00, nullptr};
    }
}

} // namespace gang
