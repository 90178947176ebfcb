// Serial numbers written into each chip of a gang: the settings of a
// serialized run, the bytes of one serial, and the state file that keeps the
// next serial safe across runs and crashes.
#pragma once

#include "platform/system_file.h"

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
// duplicate.  Any number of programs on one machine may share the file:
// each change is made under the file's lock (a flock on FILE.lock beside
// it, released by a crash), from the file as it is then.  A file on a
// network file system is refused: its locks cannot be trusted.
class TSerialState {
public:
    // Reads and checks the state file, writing nothing (a run refused later
    // leaves no file behind); without a file the serials start at
    // settings.Start.  False with the user's error text, which names the file
    // and what is wrong with it.
    bool Open(const TSerialSettings& settings, std::string& error);
    // True when the file was there already (it wins over the start value).
    bool From_File() const { return Was_There; }
    // The serial the next chip gets, as the file said when last read.
    uint64_t Next() const;
    // The serials the next run of gang sockets would get, socket 1 first, up
    // to the first that would not fit; nothing is reserved.
    std::vector<uint64_t> Upcoming(int gang) const;

    // Reserves a serial for each of gang sockets and puts the state on the
    // disk; false (error set, nothing reserved) when it cannot be written or
    // a serial does not fit the settings' size.
    bool Reserve(int gang, TSerialGrant& grant, std::string& error);
    // Whether a run of gang sockets would get serials that fit, by the
    // state last read (checked again at Reserve); false with the error.
    bool Would_Fit(int gang, std::string& error) const;
    // After the run: with Reuse, the serials of the sockets that failed are
    // handed out again (the state put on the disk).  failed: index 1..gang.
    bool Settle(const TSerialGrant& grant, const std::vector<bool>& failed, std::string& error);

private:
    // The serials of a run of gang from next and returned, which it
    // advances; false with the error when one does not fit.
    bool Take(int gang, uint64_t& next, std::vector<uint64_t>& returned, TSerialGrant& grant,
              std::string& error) const;
    // The file read again (under the lock); false with the error.
    bool Load(std::string& error);
    // The state file's lock taken and the file read again under it; nothing
    // (error set) when either fails.
    std::optional<TFile_Lock> Lock_And_Load(std::string& error);
    bool Write(std::string& error) const;
    TSerialSettings Settings;
    uint64_t Next_Serial = 0;
    std::vector<uint64_t> Returned; // ascending
    bool Was_There = false;
    bool From_Disk = false;
};

// A state file's text checked: a JSON object of version 1 with "next" and
// "returned" (decimal texts), each returned serial once and below next.
// False with what is wrong ("\"returned\" holds 100000 twice").
bool Parse_Serial_State(const std::string& bytes, uint64_t& next, std::vector<uint64_t>& returned,
                        std::string& what);

// "1000-1001, 1003-1006": sorted serials as ranges.
std::string Serial_Ranges(std::vector<uint64_t> serials);

} // namespace gang::session
