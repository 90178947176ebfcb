#include "ui/core/hex_value.h"

#include "files/file_errors.h"

namespace gang {

bool Is_Hex_Key(char key)
{
    return Hex_Digit_Value(key) >= 0;
}

int Hex_Digit_Value(char key)
{
    if (key >= '0' && key <= '9')
        return key - '0';
    if (key >= 'A' && key <= 'F')
        return key - 'A' + 10;
    if (key >= 'a' && key <= 'f')
        return key - 'a' + 10;
    return -1;
}

std::optional<uint32_t> Read_Hex(const std::string& text)
{
    if (text.empty() || text.size() > 8)
        return std::nullopt;
    uint32_t value = 0;
    for (char key : text) {
        const int digit = Hex_Digit_Value(key);
        if (digit < 0)
            return std::nullopt;
        value = value << 4 | static_cast<uint32_t>(digit);
    }
    return value;
}

std::string Conversion_Error_Text(const std::string& text)
{
    return EConvertError("$" + text).Message();
}

} // namespace gang
