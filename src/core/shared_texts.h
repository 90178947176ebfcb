// Texts that more than one part of the program shows or compares.
#pragma once

namespace gang {

// The Device button while no device type is chosen (and after a header row).
constexpr const char* No_Device_Caption = "No Device";

// The Vpp button before the first voltage is set: the window starts with
// this caption (a leading blank, unlike the captions the voltage table
// gives) while its Tag already holds code 1.  The first Set_Vpp replaces it.
constexpr const char* Initial_Vpp_Caption = " Vpp = 12.5";

} // namespace gang
