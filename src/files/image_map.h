// The image a file holds, at the addresses the file itself gives its bytes:
// no reduction to a device, no Buffer, nothing filled in.  A binary file's
// byte n is at address n; an Intel hex or S-record file's bytes are where
// its records put them (up to 32-bit addresses); ASCII hex pairs run on from
// 0.  The command line loads, checks and places an image through it; the
// window's Load Buffer reads into the Buffer directly (file_commands.h).
#pragma once

#include "core/buffer.h"
#include "files/file_commands.h"

#include <array>
#include <bitset>
#include <cstdint>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace gang {

// Addresses First to Last, both included.
struct TAddressRange {
    int64_t First = 0;
    int64_t Last = -1;
    int64_t Size() const { return Last - First + 1; }
    bool operator==(const TAddressRange& other) const
    {
        return First == other.First && Last == other.Last;
    }
};

// Raised when an image's data would spread over more pages than an image
// may (TImageMap::Max_Pages): its memory stays bounded whatever the file.
class EImageTooSpread : public std::runtime_error {
public:
    EImageTooSpread() : std::runtime_error("image data spread too wide") {}
};

class TImageMap {
public:
    // The pages of 4 KiB an image may hold data in: 16 MiB of addresses,
    // the largest image (a 32 Mbit EPROM is 4 MiB), about 19 MB of memory
    // at most.  A hex file that names one byte in each of more pages (one
    // byte per 4 KiB over its 4 GiB of addresses) is refused as soon as it
    // reaches one more, before it takes more memory.
    static constexpr int64_t Max_Pages = 4096;

    // A later byte for the same address replaces the earlier one, as a
    // later record overwrites an earlier one in the Buffer.  Raises
    // EImageTooSpread for a byte that would need a page beyond Max_Pages.
    void Put(int64_t address, uint8_t value);
    // The byte at address; fill where the image holds none.
    uint8_t At(int64_t address, uint8_t fill) const;
    bool Holds(int64_t address) const;

    bool Empty() const { return Count == 0; }
    int64_t Byte_Count() const { return Count; }
    // The addresses that hold data, ascending, adjacent ones joined.
    std::vector<TAddressRange> Ranges() const;
    // Lowest and highest address that hold data; meaningless when Empty.
    int64_t Lowest() const;
    int64_t Highest() const;

    // Addresses first to last (a range), fill where the image holds none.
    std::vector<uint8_t> Bytes(int64_t first, int64_t last, uint8_t fill) const;

private:
    static constexpr int Page_Bits = 12;
    static constexpr int64_t Page_Size = int64_t{1} << Page_Bits;
    struct TPage {
        std::array<uint8_t, Page_Size> Bytes{};
        std::bitset<Page_Size> Held;
    };
    static int64_t Page_Of(int64_t address) { return address >> Page_Bits; }

    std::map<int64_t, TPage> Pages; // by address >> Page_Bits
    TPage* Last_Page = nullptr;     // the page last written, for runs of bytes
    int64_t Last_Page_Number = 0;
    int64_t Count = 0;
};

// Reads a whole file into an image: binary (every byte of the file) or hex
// text (the window's one reader, Intel hex, S-records and ASCII hex lines,
// with the addresses unreduced).  Raises the file errors of file_commands.h,
// EConvertError and (when check_records) EChecksumError as the window's
// load does.
TImageMap Read_Image_File(const std::string& path, TFileType type, bool check_records = true);

// Where an image lands in a device of End_Of_Eprom end: address a of the
// image at device address a + offset.
struct TPlacement {
    std::vector<TAddressRange> Below;  // image addresses that land below 0
    std::vector<TAddressRange> Beyond; // image addresses that land past the end
    int64_t Below_Count = 0;
    int64_t Beyond_Count = 0;
    std::vector<TAddressRange> Left_Blank; // device addresses no byte landed on
    bool Fits() const { return Below_Count == 0 && Beyond_Count == 0; }
};

// Works out where the image lands, without changing anything.
TPlacement Plan_Placement(const TImageMap& image, int64_t offset, int32_t end_of_eprom);

// Fills the Buffer's range 0 to End_Of_Eprom with FF (the erased state, so an
// address the image does not name is left blank on the chip) and stores the
// image's bytes that land inside it; the others are dropped.
void Place_Image(const TImageMap& image, int64_t offset, TBuffer& buffer);

} // namespace gang
