// What one socket's pins see, decoded from the six latches for the wiring
// family of the chip in it.  Pure functions: the adapter calls them after every
// latch write and read.
//
// Per family (bits of Add_Hi_Latch above A10):
//   1 (2716)        bit 3 fixed 1 (Vpp pin read level); program strobe
//                   Socket_Latch bit 5 with the socket's enable at its
//                   DESELECTED level (the adapter pulses CE/PGM high)
//   2 (2732)        bit 3 A11; strobe Socket_Latch bit 6
//   3 (2764/27128)  bit 3 A11, bit 5 inverted A13, bit 6 PGM strobe, bit 7
//                   fixed 1; programming also needs Vpp_Latch bit 1 low
//   4 (27256)       bit 5 inverted A13, bit 6 A14, bit 7 fixed 1; strobe
//                   Vpp_Latch bit 1
//   5 (27512)       bit 5 inverted A13, bit 6 A14, bit 7 A15; strobe
//                   Socket_Latch bit 6
//   6 (28C16)       bit 3 write strobe
//   8 (28C64/256)   bit 5 inverted A13, bit 6 write strobe, bit 7 A14
// Address bits above the chip's size are not connected and are ignored.
#pragma once

#include "sim/adapter_wiring.h"
#include "sim/chip_types.h"

#include <cstdint>

namespace gang::sim {

struct TSocketLines {
    bool Enabled = false;    // chip enable at its selected level
    bool Outputs_On = false; // the chip drives the data lines for a read
    bool Strobe = false;     // an effective program / write strobe is on
    bool Wiring_Ok = false;  // package bit and fixed levels right for the family
    bool Read_Ok = false;    // Wiring_Ok and the strobe line at rest
    uint32_t Address = 0;    // chip address, within the chip's size
    uint8_t Data_In = 0xFF;  // byte on the data lines when the chip is written
    double Volts = 0.0;      // programming voltage on the Vpp pins (0: none)
};

// Enable line of a socket (1..5) at its selected level: sockets 1-4 low in
// Socket_Latch, socket 5 high in Vpp_Latch.
bool Enable_Selected(const TLatches& latches, int socket);

// The address a chip of this family and size sees.
uint32_t Decode_Address(const TLatches& latches, int family, uint32_t size);

// The family's program / write strobe line is driven (low).
bool Strobe_Line_Active(const TLatches& latches, int family);

// Package bit and fixed levels right for the family.
bool Wiring_Ok(const TLatches& latches, int family);

TSocketLines Decode_Socket(const TLatches& latches, int socket, const TChipType& type);

} // namespace gang::sim
