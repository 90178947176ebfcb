// What the bytes of a failed socket, read once more over the whole range,
// say about why it failed: how many differ and where first, a data line that
// reads one level everywhere, an address line whose fault explains every
// byte, or a chip that took nothing.  Pure: the bytes in, the findings out
// as data; each front end renders its own texts (texts/diagnosis_text.h).
//
// The rules, so that a finding is never claimed on thin evidence:
//   * A data bit b is "stuck at v" when it reads v in every byte of the
//     range (a held line can read nothing else) and is wrong in at least
//     one difference.  For v = 1 that difference must also be a byte that
//     is not FF: an erased or never-written cell reads 1 in every bit, so
//     the blank tail behind a socket that dropped out proves nothing about
//     a line.  Its count is the number of differences with bit b wrong.
//   * An address line Ak is "stuck at v" when, at every address A of the
//     range, the byte read equals the image's byte at A with line k forced
//     to v: the chip holds the image and is read through the held line.
//     Only the device's own lines are tried, A0 first.  A chip written
//     through the held line holds, in the cells it reaches, what was
//     written last (the bytes with the line at 1), or for a UV EPROM the
//     bits both bytes cleared; then no line, or line k at 1 is named.
//     When a line explains every byte, no data bit is claimed besides it;
//     bytes that all read one value name no line (any line "explains" an
//     image that is that value nearly everywhere).
//   * "No byte took" when every byte read is FF and some image byte is
//     not; no line or bit is claimed then (an empty read explains itself).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace gang {

// The differences a diagnosis lists, from the lowest address.
constexpr std::size_t Diagnosis_Listed_Differences = 8;

struct TByte_Difference {
    int32_t Address = 0;
    uint8_t Expected = 0;
    uint8_t Actual = 0;
};

struct TStuck_Data_Bit {
    int Bit = 0;        // 0..7
    int Level = 0;      // 0 or 1: what it reads
    uint32_t Count = 0; // differences with this bit wrong
};

struct TStuck_Address_Line {
    int Line = 0;  // k of Ak
    int Level = 0; // 0 or 1
};

struct TDiagnosis {
    uint32_t Differences = 0;            // bytes that differ from the image
    std::vector<TByte_Difference> First; // up to Diagnosis_Listed_Differences
    std::vector<TStuck_Data_Bit> Bits;   // from bit 0 up
    std::optional<TStuck_Address_Line> Address_Line;
    bool No_Byte_Took = false;
};

// expected: the image's bytes from address start on; actual: the socket's
// bytes read over the same addresses (the shorter length counts).
TDiagnosis Diagnose_Socket(const std::vector<uint8_t>& expected, const std::vector<uint8_t>& actual,
                           int32_t start);

} // namespace gang
