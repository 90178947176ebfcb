// The text of the window's default error box: the error's message with a
// full stop added when it does not already end in one.
#pragma once

#include <string>

namespace gang {

std::string Error_Box_Text(const std::string& message);

} // namespace gang
