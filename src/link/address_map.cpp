#include "link/address_map.h"

#include "link/latches.h"

namespace gang {

using namespace latch;

namespace {

// Socket enable bits of Socket_Latch by socket 1..4.
constexpr uint8_t Socket_Enable_Bit[5] = {0, Sock_Enable_1, Sock_Enable_2, Sock_Enable_3,
                                          Sock_Enable_4};
constexpr int32_t Gang_Masks[6] = {0, 0x01, 0x03, 0x07, 0x0F, 0x1F};
constexpr int32_t All_Sockets = 0x1F;

} // namespace

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

} // namespace gang
