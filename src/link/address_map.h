// The per-family and per-socket tables of the adapter as data, with small
// pure functions over them, so that every mapping can be checked without a
// port or a window.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace gang {

// Base latch values of one device family.
struct TFamilyConfig {
    uint8_t Read_Hi;       // Add_Hi_Latch, read configuration
    uint8_t Read_Socket;   // Socket_Latch, read configuration, no socket selected
    uint8_t Prog_Hi;       // Add_Hi_Latch, program configuration
    uint8_t Prog_Socket;   // Socket_Latch, program configuration, no socket selected
    uint8_t Prog_Vpp_Keep; // mask applied to Vpp_Value for the program configuration
};

// Socket_Latch / Vpp_Latch values with one socket selected.
struct TSocketSelect {
    uint32_t Socket_Val;
    uint32_t Vpp_Val;
};
TSocketSelect Select_Values(uint32_t fam_socket, uint32_t fam_vpp, int32_t socket);

// The adapter's sockets, 1 to 5: the largest gang.
constexpr int32_t Max_Gang_Size = 5;

// Gang_Mask of a full gang of size 1-5; nothing for other sizes.
std::optional<int32_t> Full_Gang_Mask(int32_t gang_size);
// Gang_Mask with the bit of a failed socket (1-5) cleared.
int32_t Drop_From_Gang(int32_t mask, int32_t socket);

} // namespace gang
