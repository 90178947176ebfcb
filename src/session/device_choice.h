// The device type and voltage as a command line names them: type names from
// the catalogue in any case, voltages as the Vpp button shows them ("25",
// "21", "12.5", "12", "5").  The allowed voltages of a type are the ones its
// Vpp button offers: the button's cycle from the type's own voltage.
#pragma once

#include "devices/catalogue.h"
#include "link/report.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace gang::session {

// The catalogue's type of that name, case-insensitive; nullptr when none.
const TDeviceType* Find_Type(const std::string& name);

// The voltage code a type gets when chosen in the device list.
int32_t Default_Vpp_Code(const TDeviceType& type);

// The default code first, then the button's cycle from it.
std::vector<int32_t> Allowed_Vpp_Codes(const TDeviceType& type);

// "12.5" for code 3 (the number on the Vpp button); "" for an unknown code.
std::string Vpp_Text(int32_t code);

// The code of a voltage written as on the button, with or without a
// trailing "V"; 0 when no code has that voltage.
int32_t Vpp_Code_Of(const std::string& text);

// "unlock", "keep", "lock" and back.
std::optional<TSdp_Mode> Sdp_Mode_Of(const std::string& name);
const char* Sdp_Mode_Name(TSdp_Mode mode);

} // namespace gang::session
