#include "link/port_choice.h"

#include <cctype>
#include <cstdlib>

namespace gang {

namespace {
constexpr unsigned long Ecr_Offset = 0x402;
constexpr unsigned long Highest_Base = 0xFFFF - Ecr_Offset;
const char* const Device_Prefix = "/dev/parport";

bool All_Of(const std::string& text, int (*is_class)(int))
{
    if (text.empty())
        return false;
    for (char c : text)
        if (!is_class(static_cast<unsigned char>(c)))
            return false;
    return true;
}

std::string Lower(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}
} // namespace

TPortChoiceResult Parse_Port_Choice(const std::string& text)
{
    TPortChoiceResult result;
    const std::string value = Lower(text);
    if (value == "auto") {
        result.Ok = true;
        return result;
    }
    const std::string prefix = Device_Prefix;
    if (value.compare(0, prefix.size(), prefix) == 0) {
        const std::string digits = value.substr(prefix.size());
        if (All_Of(digits, isdigit) && digits.size() <= 3) {
            result.Choice.Kind = TPortChoice::TKind::Device;
            result.Choice.Device_Index = std::atoi(digits.c_str());
            result.Ok = true;
            return result;
        }
    } else {
        std::string digits = value;
        if (digits.compare(0, 2, "0x") == 0)
            digits = digits.substr(2);
        if (All_Of(digits, isxdigit) && digits.size() <= 4) {
            const unsigned long base = std::strtoul(digits.c_str(), nullptr, 16);
            if (base > 0 && base <= Highest_Base) {
                result.Choice.Kind = TPortChoice::TKind::Base;
                result.Choice.Base = static_cast<uint16_t>(base);
                result.Ok = true;
                return result;
            }
        }
    }
    result.Error = "--port wants a hexadecimal base address from 1 to FBFD (e.g. D010), "
                   "/dev/parportN or auto, not '" +
                   text + "'";
    return result;
}

} // namespace gang
