// Small pure rules of the device work: voltage codes and their manual step,
// and the Buffer checksum.
#pragma once

#include "core/buffer.h"
#include "link/address_map.h"

#include <cstdint>

namespace gang {

// The voltage button steps 25 -> 21 -> 12.5 -> 25 V; 12 V, 5 V and unknown
// codes stay as they are (an EEPROM must never be offered a high voltage).
constexpr int32_t Next_Vpp_Code(int32_t code)
{
    switch (code) {
    case Vpp_25V:
        return Vpp_21V;
    case Vpp_21V:
        return Vpp_12V5;
    case Vpp_12V5:
        return Vpp_25V;
    default:
        return code;
    }
}

// Sum of the Buffer bytes from first to last, both included, modulo 65536.
// Empty when last < first; the range is clipped to the Buffer.
uint16_t Buffer_Check_Sum(const TBuffer& buffer, int32_t first, int32_t last);

} // namespace gang
