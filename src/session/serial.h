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
    // A station on a line: the line's store hands the serials out from this
    // pool instead of a state file ("" for none).
    std::string Pool;
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
// "serial 300 does not fit 1 byte(s) of le: the largest that fits is 255"
std::string Serial_Too_Large(uint64_t value, TSerialFormat format, int size);

// The bytes of value in that format, size of them; nullopt when it does not
// fit.
std::optional<std::vector<uint8_t>> Serial_Bytes(uint64_t value, TSerialFormat format, int size);

// The serials a run hands out, socket by socket (index 1..gang; 0 unused).
struct TSerialGrant {
    std::vector<std::optional<uint64_t>> By_Socket;
};

// The state file of a station's serials: the next serial never handed out
// and, with Reuse, the serials of failed chips waiting to be handed out
// again.  Every change reaches the disk before it is used: a serial is
// reserved before its run starts, so a crash leaves a gap, never a
// duplicate.
class TSerialState {
public:
    // Reads the state file, or creates it from settings.Start when there is
    // none.  False with the user's error text.
    bool Open(const TSerialSettings& settings, std::string& error);
    // True when the file was there already (it wins over the start value).
    bool From_File() const { return Was_There; }
    // The serial the next chip gets.
    uint64_t Next() const;
    // The serials the next run of gang sockets would get, socket 1 first;
    // nothing is reserved.
    std::vector<uint64_t> Upcoming(int gang) const;

    // Reserves a serial for each of gang sockets and puts the state on the
    // disk; false (error set, nothing reserved) when it cannot be written or
    // a serial does not fit the settings' size.
    bool Reserve(int gang, TSerialGrant& grant, std::string& error);
    // After the run: with Reuse, the serials of the sockets that failed are
    // handed out again (the state put on the disk).  failed: index 1..gang.
    bool Settle(const TSerialGrant& grant, const std::vector<bool>& failed, std::string& error);

private:
    bool Write(std::string& error) const;
    TSerialSettings Settings;
    uint64_t Next_Serial = 0;
    std::vector<uint64_t> Returned; // ascending
    bool Was_There = false;
};

// "1000-1001, 1003-1006": sorted serials as ranges.
std::string Serial_Ranges(std::vector<uint64_t> serials);

} // namespace gang::session
