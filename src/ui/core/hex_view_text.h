// The text of the hex view: one status line and 16 data lines of 16 bytes.
//
//   line 0   "Address = 00000              Hex Data = 41                Ascii Data = A"
//   line 1+r "00000  41 42 ... 4F  AB...O"  (row r of the page)
//
// Positions: the view counts every line break (CR LF) as two characters, so
// line 0 takes positions 0..71 and data line L (1..16) starts at 75 L - 1.
// The caret and click rules are written in that counting; the widget may
// count its own way and converts through Position_Of / Line_Of / Offset_Of.
#pragma once

#include "core/buffer.h"

#include <cstdint>
#include <string>

namespace gang {

constexpr int Hex_Status_Length = 72;
constexpr int Hex_Data_Length = 73;
constexpr int Hex_Line_Stride = 75; // a data line plus CR LF
constexpr int Hex_Rows = 16;
constexpr int Hex_Cols = 16;
constexpr int Hex_Page_Bytes = Hex_Rows * Hex_Cols;
constexpr int Hex_View_Lines = 1 + Hex_Rows;

// Offsets within a data line.
constexpr int Hex_Digit_Offset = 7; // high digit of byte 0; byte c at 7 + 3 c
constexpr int Hex_Char_Offset = 57; // character of byte 0; byte c at 57 + c

// The byte as the character column shows it: itself from 20 to 7F hex,
// otherwise ".".
char Hex_View_Char(uint8_t value);

// Line 0 for the byte at `address` (72 characters).
std::string Hex_Status_Line(int32_t address, uint8_t value);

// The data line for the 16 bytes from `row_address` (73 characters).
std::string Hex_Data_Line(const TBuffer& buffer, int32_t row_address);

// Position in the view's counting of offset `offset` within line `line`.
inline int Position_Of(int line, int offset)
{
    return line == 0 ? offset : Hex_Line_Stride * line - 1 + offset;
}
inline int Line_Of(int position)
{
    return (position + 1) / Hex_Line_Stride;
}
inline int Offset_Of(int position)
{
    return position - Position_Of(Line_Of(position), 0);
}

} // namespace gang
