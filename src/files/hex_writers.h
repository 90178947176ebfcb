// The three hex text writers.  Each writes Buffer addresses 0 to End_Of_Eprom
// as lines ending in CR LF, with upper-case digits and no blanks:
//   Intel hex   an 02 segment record for 0000, 16-byte 00 records (a record
//               never crosses a 64 KiB boundary, and another 02 record follows
//               each boundary), ":00000001FF".  A record always holds 16
//               bytes even where End_Of_Eprom comes first.
//   Motorola    S2 records of up to 16 bytes, ending at End_Of_Eprom, then
//               "S804000000FB".
//   ASCII hex   lines of 16 digit pairs, nothing else.
// Each writes at least one data line, so even End_Of_Eprom 0 gives a file.
#pragma once

#include "core/buffer.h"

#include <cstddef>
#include <string>

namespace gang {

// Where the writers put their text.  Write may raise; the lines handed over
// before a failure stay written.
class ITextSink {
public:
    virtual ~ITextSink() = default;
    virtual void Write(const char* text, std::size_t size) = 0;
};

class TStringSink : public ITextSink {
public:
    void Write(const char* text, std::size_t size) override { Text.append(text, size); }
    std::string Text;
};

void Write_Intel_Hex(const TBuffer& buffer, ITextSink& sink);
void Write_Motorola_Hex(const TBuffer& buffer, ITextSink& sink);
void Write_Ascii_Hex(const TBuffer& buffer, ITextSink& sink);

// Runs the writer of file type 1, 2 or 3; any other type writes nothing.
void Write_Hex(int file_type, const TBuffer& buffer, ITextSink& sink);

// The text a writer produces, for callers that want it in memory.
std::string Hex_Text(int file_type, const TBuffer& buffer);

} // namespace gang
