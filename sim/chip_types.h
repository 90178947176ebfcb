// The device types the simulated sockets accept, with the datasheet facts the
// chip models need: size, socket wiring family, programming voltage, how long
// a UV EPROM byte must be pulsed, and the EEPROM write cycle and page size.
//
// This table is the simulator's own; it does not borrow the program's
// catalogue, so the two can disagree and a test will notice.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace gang::sim {

enum class TChipKind { Uv_Eprom, Eeprom };

struct TChipType {
    const char* Name;
    uint32_t Size; // bytes
    int Family;    // socket wiring: 1..6, 8
    TChipKind Kind;
    double Vpp_Volts;      // programming voltage (UV EPROMs); 0 for EEPROMs
    double Pulse_Need_Us;  // total pulse width a byte needs (UV EPROMs)
    double Write_Cycle_Us; // internal write cycle (EEPROMs)
    uint32_t Page_Size;    // bytes per page load (EEPROMs); 1 = byte write
};

// nullptr when the name is not a known type (names compare exactly, e.g. "27C256").
const TChipType* Find_Chip_Type(const std::string& name);
// Case-insensitive look-up, for command lines.
const TChipType* Find_Chip_Type_Nocase(const std::string& name);
const std::vector<TChipType>& Chip_Types();

// 24-pin packages sit on the 2K/4K wiring (Socket_Latch bit 1 at 1).
bool Is_24_Pin_Family(int family);

} // namespace gang::sim
