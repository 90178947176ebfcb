// Serial numbers written into each chip of a gang: the settings of a
// serialized run, the bytes of one serial, and the state file that keeps the
// next serial safe across runs and crashes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace gang::session {

enum class TSerialFormat { Le, Be, Bcd, Dec, Hex };
// What becomes of the serial of a chip that failed: never written again
// (Skip), or handed to the next chip (Reuse).
enum class TSerialFailed { Skip, Reuse };

struct TSerialSettings {
    int32_t At = 0; // the first address of the serial's bytes
    int Size = 0;   // 1-8 bytes
    TSerialFormat Format = TSerialFormat::Le;
    uint64_t Start = 0;
    uint64_t Step = 1;
    std::string State_Path; // where the next serial is kept (JSON)
    TSerialFailed Failed = TSerialFailed::Skip;
};

// "le", "be", "bcd", "dec", "hex" and back.
const char* Serial_Format_Name(TSerialFormat format);
std::optional<TSerialFormat> Serial_Format_Of(const std::string& name);
// "skip", "reuse" and back.
const char* Serial_Failed_Name(TSerialFailed failed);
std::optional<TSerialFailed> Serial_Failed_Of(const std::string& name);

// The largest serial that fits size bytes of that format.
uint64_t Largest_Serial(TSerialFormat format, int size);
// The bytes of value in that format, size of them; nullopt when it does not
// fit.
std::optional<std::vector<uint8_t>> Serial_Bytes(uint64_t value, TSerialFormat format, int size);

} // namespace gang::session
