#include "devices/diagnosis.h"

#include <algorithm>

namespace gang {

namespace {

constexpr uint8_t Erased = 0xFF;
constexpr int Data_Bits = 8;

// The address lines a range of the device drives: A0 up to its highest
// address's top line.
int Address_Lines(int32_t last_address)
{
    int lines = 0;
    while (lines < 31 && (int64_t{1} << lines) <= last_address)
        ++lines;
    return lines;
}

// Every byte read equals the image's byte at its address with line forced
// to level.
bool Line_Explains(const std::vector<uint8_t>& expected, const std::vector<uint8_t>& actual,
                   std::size_t length, int32_t start, int line, int level)
{
    const int32_t mask = int32_t{1} << line;
    for (std::size_t i = 0; i < length; ++i) {
        const int32_t address = start + static_cast<int32_t>(i);
        const int32_t forced = level != 0 ? (address | mask) : (address & ~mask);
        const int64_t index = int64_t{forced} - start;
        if (index < 0 || index >= static_cast<int64_t>(length) ||
            actual[i] != expected[static_cast<std::size_t>(index)])
            return false;
    }
    return true;
}

std::optional<TStuck_Address_Line> Find_Address_Line(const std::vector<uint8_t>& expected,
                                                     const std::vector<uint8_t>& actual,
                                                     std::size_t length, int32_t start)
{
    const int lines = Address_Lines(start + static_cast<int32_t>(length) - 1);
    for (int line = 0; line < lines; ++line)
        for (int level = 0; level <= 1; ++level)
            if (Line_Explains(expected, actual, length, start, line, level))
                return TStuck_Address_Line{line, level};
    return std::nullopt;
}

std::vector<TStuck_Data_Bit> Find_Data_Bits(const std::vector<uint8_t>& expected,
                                            const std::vector<uint8_t>& actual, std::size_t length)
{
    uint8_t all_and = Erased;
    uint8_t any_or = 0;
    for (std::size_t i = 0; i < length; ++i) {
        all_and = static_cast<uint8_t>(all_and & actual[i]);
        any_or = static_cast<uint8_t>(any_or | actual[i]);
    }
    std::vector<TStuck_Data_Bit> bits;
    for (int bit = 0; bit < Data_Bits; ++bit) {
        const auto mask = static_cast<uint8_t>(1u << bit);
        const bool reads_1 = (all_and & mask) != 0;
        const bool reads_0 = (any_or & mask) == 0;
        if (!reads_1 && !reads_0)
            continue;
        uint32_t count = 0;
        bool written = false; // wrong in a byte that is not merely erased
        for (std::size_t i = 0; i < length; ++i) {
            if (((expected[i] ^ actual[i]) & mask) == 0)
                continue;
            ++count;
            written = written || actual[i] != Erased;
        }
        if (count > 0 && (reads_0 || written))
            bits.push_back({bit, reads_1 ? 1 : 0, count});
    }
    return bits;
}

} // namespace

TDiagnosis Diagnose_Socket(const std::vector<uint8_t>& expected, const std::vector<uint8_t>& actual,
                           int32_t start)
{
    TDiagnosis diagnosis;
    const std::size_t length = std::min(expected.size(), actual.size());
    bool all_erased = true;
    for (std::size_t i = 0; i < length; ++i) {
        all_erased = all_erased && actual[i] == Erased;
        if (expected[i] == actual[i])
            continue;
        ++diagnosis.Differences;
        if (diagnosis.First.size() < Diagnosis_Listed_Differences)
            diagnosis.First.push_back({start + static_cast<int32_t>(i), expected[i], actual[i]});
    }
    if (diagnosis.Differences == 0)
        return diagnosis;
    if (all_erased) {
        diagnosis.No_Byte_Took = true;
        return diagnosis;
    }
    // One value throughout cannot show which address it came from: that is
    // the data lines' finding, not a line's.
    const bool one_value =
        std::all_of(actual.begin(), actual.begin() + static_cast<std::ptrdiff_t>(length),
                    [&](uint8_t byte) { return byte == actual[0]; });
    if (!one_value)
        diagnosis.Address_Line = Find_Address_Line(expected, actual, length, start);
    if (!diagnosis.Address_Line)
        diagnosis.Bits = Find_Data_Bits(expected, actual, length);
    return diagnosis;
}

} // namespace gang
