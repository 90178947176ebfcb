// The image file of a command (and of a job): its format (named, or from the
// content with the extension telling binary from text), reading it with the window's own reader (at
// the file's own addresses) and saving the Buffer with the window's writers.  Failures raise the
// window's file errors (EInOutError, EConvertError); their text is the window's error box text.
#pragma once

#include "core/buffer.h"
#include "files/file_commands.h"
#include "files/file_kind.h"
#include "files/image_map.h"

#include <cstdint>
#include <optional>
#include <string>

namespace gang::session {

// "bin", "intel", "motorola", "ascii"; case-insensitive.
std::optional<TFileType> Format_From_Name(const std::string& name);
// .bin; .hex .ihx .ihex; .s19 .s28 .s37 .srec .mot; .txt (any case).
std::optional<TFileType> Format_From_Extension(const std::string& path);
// A text of hex records or digit pairs is read as hex (Intel, Motorola or
// ASCII by its first character), anything else as binary.
using gang::Format_From_Content;

// The name Format_From_Name takes.
const char* Format_Name(TFileType type);

// The file's first bytes (at most 4 KiB); "" when it cannot be read.
using gang::File_Head;

// The format of a file: named, else (for a file that is read) from its
// content, the extension deciding only between binary and text: a .bin file
// is binary whatever it holds, a .hex file of S-records is Motorola.  A text
// extension on a file whose content tells no kind keeps the extension's
// kind.  nullopt for a file to be written whose name does not tell.
std::optional<TFileType> Resolve_Format(std::optional<TFileType> named, const std::string& path,
                                        bool reading);

// The largest image the image tools take, and the longest binary file read:
// a 32 Mbit parallel EPROM is 4 MiB.
constexpr int64_t Max_Image_Bytes = int64_t{16} * 1024 * 1024;

// Reads the whole file as an image at its own addresses (image_map.h).  A
// binary file longer than Max_Image_Bytes is refused with a message in
// error (the file errors are raised as for a load; record checksums are
// checked unless check_records is false).
std::optional<TImageMap> Read_Image(const std::string& path, TFileType type, std::string& error,
                                    bool check_records = true);
// Saves Buffer addresses 0 to End_Of_Eprom as the window's Save Buffer does.
void Save_Image(const std::string& path, TFileType type, const TBuffer& buffer);

// An --offset value (and a job's "offset"): hexadecimal, an optional sign,
// an optional 0x; at most FFFFFFFF either way.  nullopt when it is none.
std::optional<int64_t> Offset_Of(const std::string& text);
// "-8000", "100".
std::string Offset_Text(int64_t offset);

} // namespace gang::session
