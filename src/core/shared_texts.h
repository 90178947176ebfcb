// Texts that more than one part of the program shows or compares.
#pragma once

#include "core/hex_text.h"

#include <cstdint>
#include <string>

namespace gang {

// The search's verdict: "The Tarvik Programmer was Found at 0378", and the
// box of a command that needs the adapter when it was not found.
inline std::string Found_At_Text(uint16_t base)
{
    return "The Tarvik Programmer was Found at " + IntToHex(base, 4);
}
constexpr const char* Not_Found_Text = "The Tarvik Programmer was Not Found.";

// The Device button while no device type is chosen (and after a header row).
constexpr const char* No_Device_Caption = "No Device";

// The Vpp button before the first voltage is set: the window starts with
// this caption (a leading blank, unlike the captions the voltage table
// gives) while its Tag already holds code 1.  The first Set_Vpp replaces it.
constexpr const char* Initial_Vpp_Caption = " Vpp = 12.5";

} // namespace gang
