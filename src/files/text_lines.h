// Splits a byte stream into text lines the way the hex reader needs them.
//
// A line ends at a carriage return (0D), a carriage return followed by a line
// feed (0D 0A), or a line feed alone (0A): hex files written on Linux end
// their lines with LF only.  The character 1A marks the end of the file;
// nothing after it is read.  Only the first Max_Line_Length characters of a
// line are kept; the rest is dropped without notice.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace gang {

constexpr std::size_t Max_Line_Length = 161;

class TTextLineReader {
public:
    // Fills dst with up to `capacity` bytes and returns how many; 0 at the
    // end of the input.  It raises on a failing read.
    using TSource = std::function<std::size_t(char* dst, std::size_t capacity)>;

    explicit TTextLineReader(TSource source, std::size_t chunk_size = std::size_t{64} * 1024);

    // Reads the next line (without its line end) into `line`.  At the end of
    // the input the line is empty.
    void Read_Line(std::string& line);

    // True when no character but 1A or nothing at all is left.
    bool Eof();

private:
    bool Fill();
    TSource Source_;
    std::vector<char> Chunk_;
    std::size_t Pos_ = 0;
    std::size_t Len_ = 0;
    bool Source_Done_ = false;
    bool Eof_Mark_Seen_ = false;
};

// A source that hands out the bytes of a string (for in-memory text).
TTextLineReader::TSource String_Source(std::string text);

} // namespace gang
