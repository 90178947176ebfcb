// The device families, one table row each: the latch configurations for
// reading and programming, the mapping of the high address byte, where the
// program strobe sits, the voltage rule and the write algorithm.  The rest
// of the link asks the row; a new family is a new row (and, in the
// simulated adapter, its own independent row).
#pragma once

#include "link/address_map.h"

#include <cstdint>

namespace gang {

class TLink;

// Where a UV EPROM family's program pulse is strobed.
enum class TPulse_Strobe {
    None,            // the EEPROMs write without a pulse
    Socket_Inverted, // Socket_Latch bit 5, every socket enable inverted meanwhile
    Socket,          // Socket_Latch bit 6
    Add_Hi,          // Add_Hi_Latch bit 6
    Vpp,             // Vpp_Latch bit 1
};

struct TFamily {
    int32_t Code = 0;                                // TSelection::Family
    TFamilyConfig Config{};                          // read and program latch values
    uint8_t (*High_Byte)(int32_t address) = nullptr; // Add_Hi_Latch value for an address
    bool Hi_Stored = false; // the strobe lives in Add_Hi_Latch: its value is kept as Hi_Value
    // A UV EPROM: its configurations park Add_Lo_Latch at 0xFF, and it takes
    // the high programming voltages (an EEPROM takes 5 V only).
    bool Uv_Eprom = false;
    TPulse_Strobe Strobe = TPulse_Strobe::None; // the pulse of the Prog_Byte algorithm
    void (TLink::*Write)() = nullptr; // programs the Buffer byte(s) at Cur_Add into Cur_Socket
    int32_t Address_Step = 1;         // addresses one Write covers
    // Software data protection: the disable and the enable sequence into
    // Cur_Socket; nullptr where the family has none.
    void (TLink::*Unlock)() = nullptr;
    void (TLink::*Lock)() = nullptr;
};

// The row of a family code; nullptr for 0 (no type chosen), 7 and others.
const TFamily* Family_Row(int32_t code);

// The Add_Hi_Latch value for a device address and whether it is kept as
// Hi_Value (the families whose strobes live in that latch).
struct THiMapping {
    uint8_t Value;
    bool Stored;
};
THiMapping Map_High_Address(const TFamily& family, int32_t address);

} // namespace gang
