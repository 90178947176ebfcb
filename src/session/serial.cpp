#include "session/serial.h"

namespace gang::session {

// Placeholders until the serial numbers land.
const char* Serial_Format_Name(TSerialFormat)
{
    return "";
}

std::optional<TSerialFormat> Serial_Format_Of(const std::string&)
{
    return std::nullopt;
}

const char* Serial_Failed_Name(TSerialFailed)
{
    return "";
}

std::optional<TSerialFailed> Serial_Failed_Of(const std::string&)
{
    return std::nullopt;
}

uint64_t Largest_Serial(TSerialFormat, int)
{
    return 0;
}

std::optional<std::vector<uint8_t>> Serial_Bytes(uint64_t, TSerialFormat, int)
{
    return std::nullopt;
}

} // namespace gang::session
