// Small pure rules of the device work: the Buffer checksum (the voltage
// rules are the table of link/voltages.h).
#pragma once

#include "core/buffer.h"
#include "link/address_map.h"
#include "link/voltages.h"

#include <cstddef>
#include <cstdint>

namespace gang {

// Sum of the Buffer bytes from first to last, both included, modulo 65536.
// Empty when last < first; the range is clipped to the Buffer.
uint16_t Buffer_Check_Sum(const TBuffer& buffer, int32_t first, int32_t last);

// The same sum (carries dropped) over any bytes.
uint16_t Sum16(const uint8_t* bytes, std::size_t count);

} // namespace gang
