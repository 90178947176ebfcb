// The device type and voltage as a command line names them: they live in
// session/device_choice.h, shared with the job file and the window.
#pragma once

#include "session/device_choice.h"

namespace gang::cli {

using session::Allowed_Vpp_Codes;
using session::Default_Vpp_Code;
using session::Find_Type;
using session::Vpp_Code_Of;
using session::Vpp_Text;

} // namespace gang::cli
