// Hexadecimal input of the go-to and fill fields: which typed keys the
// fields accept, and reading the field's text as a number the way the
// program's integer conversion does ("$" + text).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace gang {

// True for one of "1234567890ABCDEFabcdef".
bool Is_Hex_Key(char key);

// 0..15 for a hexadecimal digit, -1 for any other character.
int Hex_Digit_Value(char key);

// The text read as a hexadecimal number of 1 to 8 digits; nothing when it is
// empty, holds anything but digits, or does not fit 32 bits.
std::optional<uint32_t> Read_Hex(const std::string& text);

// "'$<text>' is not a valid integer value".
std::string Conversion_Error_Text(const std::string& text);

} // namespace gang
