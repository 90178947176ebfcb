#include "ui/core/error_text.h"

namespace gang {

std::string Error_Box_Text(const std::string& message)
{
    if (!message.empty() && message.back() == '.')
        return message;
    return message + ".";
}

} // namespace gang
