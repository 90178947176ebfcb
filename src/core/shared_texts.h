// Texts that more than one part of the program shows or compares.
#pragma once

namespace gang {

// The Device button while no device type is chosen (and after a header row).
constexpr const char* No_Device_Caption = "No Device";

} // namespace gang
