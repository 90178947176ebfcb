#include "sim/voltage.h"

#include "sim/adapter_wiring.h"

namespace gang::sim {

namespace {
constexpr uint8_t Code_25V = 0;
constexpr uint8_t Code_21V = 1;
constexpr uint8_t Code_Low_Range = 2; // bit 5 set: 12 V, raised to 12.5 V by bit 7
} // namespace

double Vpp_Setting_Volts(uint8_t latch_3, uint8_t vpp_latch)
{
    if (!(latch_3 & L3_Vpp_On))
        return No_Vpp;
    const uint8_t code = (vpp_latch & Vpp_Code_Mask) >> Vpp_Code_Shift;
    if (code & Code_Low_Range)
        return (vpp_latch & Vpp_Twelve_And_Half) ? 12.5 : 12.0;
    if (code == Code_21V)
        return 21.0;
    static_assert(Code_25V == 0, "code 00 is the 25 V setting");
    return 25.0;
}

double Applied_Vpp_Volts(uint8_t latch_3, uint8_t vpp_latch)
{
    if (vpp_latch & Vpp_Read_Mode)
        return No_Vpp;
    return Vpp_Setting_Volts(latch_3, vpp_latch);
}

} // namespace gang::sim
