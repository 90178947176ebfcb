// The one reader for the three hex text kinds.  Each line is dispatched on its
// first character: ":" is an Intel hex record, a capital "S" a Motorola
// S-record, anything else (or nothing) a line of plain hex digit pairs.  The
// kinds may be mixed in one file.
//
// Record addresses are reduced modulo the device size (AND End_Of_Eprom) after
// the Intel segment and linear bases are added.
//
// Every Intel record and S-record (S0-S3, S5-S9) is checked once its fields
// are taken: the line must hold exactly the bytes its count says, in hex
// digits (blanks at the end aside), and its checksum must be the one
// computed (Intel: the two's complement of the sum of the count, address,
// type and data bytes; S-record: the ones' complement of the sum of the
// count, address and data bytes).  A wrong one raises EChecksumError.
// Without the checks (for hand-edited files) neither is read.
//
// Every numeric field is a group of hex digits; a group holding anything but
// 0-9, A-F, a-f, or no character at all, raises EConvertError naming the
// group with a "$" in front ("'$1G' is not a valid integer value").  Bytes
// stored before the failing group stay in the Buffer.
//
// A byte whose Buffer address would lie past FFFF (a record running past the
// end of a 64 KiB device, or more than 65,536 bytes of plain pairs) is
// dropped: such an address is past End_Of_Eprom for every device type, so
// nothing the programmer uses could hold it.
//
// Read into an image map instead, the reader keeps every address as the file
// gives it (the record's address plus the bases, modulo 2^32, not reduced)
// and drops nothing, so that the command line can tell the user which bytes
// lie outside the device.
#pragma once

#include "core/buffer.h"
#include "files/image_map.h"
#include "files/text_lines.h"

#include <cstdint>
#include <string>
#include <vector>

namespace gang {

class THexReader {
public:
    // The Buffer is written as lines are taken; its End_Of_Eprom gives the
    // address reduction.
    explicit THexReader(TBuffer& buffer, bool check_records = true)
        : Buffer_(&buffer), Written_(Buffer_Size), Check_Records_(check_records)
    {
    }
    // The bytes go into the image at their own addresses.
    explicit THexReader(TImageMap& image, bool check_records = true)
        : Image_(&image), Check_Records_(check_records)
    {
    }

    // Handles one line (without its line end); only its first
    // Max_Line_Length characters are used.
    void Take_Line(const std::string& line);

    // Set by an Intel end record or an S7, S8 or S9 line.
    bool End_Seen() const { return End_Seen_; }

    int64_t Load_Address() const { return Load_Address_; }
    uint32_t Segment_Base() const { return Segment_Base_; }
    uint32_t Linear_Base() const { return Linear_Base_; }
    const THexLoadNotes& Notes() const { return Notes_; }

private:
    char Take_Char();
    uint32_t Take_Group(std::size_t digits);
    void Store_Record_Bytes(int32_t byte_count);
    void Store(int64_t address, uint32_t value, int64_t file_address);
    void Take_Intel_Record();
    void Take_Intel_Fields();
    void Take_S_Record(int type);
    void Take_Pairs();
    // Checks the record whose text (after ":" or "Sn") starts at record.
    void Check_Record(const char* record, std::size_t size, bool intel) const;

    TBuffer* Buffer_ = nullptr;
    TImageMap* Image_ = nullptr;
    std::vector<bool> Written_; // Buffer addresses this load stored at
    THexLoadNotes Notes_;
    bool Check_Records_ = true;
    const char* Line_ = nullptr; // rest of the current line
    std::size_t Left_ = 0;
    bool Line_Cut_ = false; // the line was longer than Max_Line_Length

    int64_t Load_Address_ = 0;
    uint32_t Segment_Base_ = 0;
    uint32_t Linear_Base_ = 0;
    bool End_Seen_ = false;
};

// Reads lines until an end record or the end of the input.  The first line is
// always read, so empty input is one empty line and changes nothing.  An
// error raised by a line carries its number (Line, 1 for the first).
THexLoadNotes Read_Hex_Lines(TTextLineReader& lines, TBuffer& buffer, bool check_records = true);

// The same over text held in memory.
THexLoadNotes Read_Hex_Text(const std::string& text, TBuffer& buffer, bool check_records = true);

// The same into an image, addresses unreduced.
void Read_Hex_Lines(TTextLineReader& lines, TImageMap& image, bool check_records = true);
void Read_Hex_Text(const std::string& text, TImageMap& image, bool check_records = true);

} // namespace gang
