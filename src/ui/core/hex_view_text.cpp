#include "ui/core/hex_view_text.h"

#include "core/hex_text.h"

namespace gang {

char Hex_View_Char(uint8_t value)
{
    return value >= 0x20 && value <= 0x7F ? static_cast<char>(value) : '.';
}

std::string Hex_Status_Line(int32_t address, uint8_t value)
{
    std::string line;
    line.reserve(Hex_Status_Length);
    line += "Address = ";
    line += IntToHex(address, 5);
    line += "              Hex Data = ";
    line += IntToHex(value, 2);
    line += "                Ascii Data = ";
    line += Hex_View_Char(value);
    return line;
}

std::string Hex_Data_Line(const TBuffer& buffer, int32_t row_address)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string line(Hex_Data_Length, ' ');
    const std::string address = IntToHex(row_address, 5);
    line.replace(0, address.size(), address);
    const auto row = static_cast<std::size_t>(row_address);
    for (int c = 0; c < Hex_Cols; ++c) {
        const uint8_t value = buffer[row + static_cast<std::size_t>(c)];
        line[Hex_Digit_Offset + 3 * c] = digits[value >> 4];
        line[Hex_Digit_Offset + 3 * c + 1] = digits[value & 0xF];
        line[Hex_Char_Offset + c] = Hex_View_Char(value);
    }
    return line;
}

} // namespace gang
