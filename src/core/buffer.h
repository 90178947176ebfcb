// The Buffer: the 64 KiB memory image that every device operation, the hex
// editor, the fill command and the file formats work from and into, together
// with the address range of the chosen device type.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace gang {

constexpr int32_t Buffer_Size = 0x10000;

struct TBuffer {
    // Buffer address n always belongs to device address n.  All zero at start.
    std::array<uint8_t, Buffer_Size> Data{};

    // Address range.  Start_Of_Buffer and Start_Of_Eprom are always 0;
    // End_Of_Eprom is the last device address (device size - 1), 0 before a
    // device type has been chosen.
    int32_t Start_Of_Buffer = 0;
    int32_t Start_Of_Eprom = 0;
    int32_t End_Of_Eprom = 0;

    uint8_t& operator[](std::size_t address) { return Data[address]; }
    uint8_t operator[](std::size_t address) const { return Data[address]; }
};

} // namespace gang
