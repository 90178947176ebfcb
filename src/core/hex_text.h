// Number formatting shared by every caption the program writes: upper-case
// hexadecimal without prefix, padded to a minimum number of digits.
#pragma once

#include <cstdint>
#include <string>

namespace gang {

// IntToHex(0x800, 4) == "0800", IntToHex(0x10000, 4) == "10000".
inline std::string IntToHex(int64_t value, int min_digits)
{
    static const char digits[] = "0123456789ABCDEF";
    uint64_t v = static_cast<uint64_t>(value);
    char tmp[17];
    int n = 0;
    do {
        tmp[n++] = digits[v & 0xF];
        v >>= 4;
    } while (v != 0 && n < 16);
    std::string out;
    for (int i = n; i < min_digits; ++i)
        out.push_back('0');
    while (n > 0)
        out.push_back(tmp[--n]);
    return out;
}

} // namespace gang
