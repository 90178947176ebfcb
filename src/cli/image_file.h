// The image file of a command: its format (named, from the extension, or
// from the content), and loading and saving it with the window's own
// readers and writers.  Failures raise the window's file errors
// (EInOutError, EConvertError); their text is the window's error box text.
#pragma once

#include "core/buffer.h"
#include "files/file_commands.h"

#include <optional>
#include <string>

namespace gang::cli {

// "bin", "intel", "motorola", "ascii"; case-insensitive.
std::optional<TFileType> Format_From_Name(const std::string& name);
// .bin; .hex .ihx .ihex; .s19 .s28 .s37 .srec .mot; .txt (any case).
std::optional<TFileType> Format_From_Extension(const std::string& path);
// A text of hex records or digit pairs is read as hex (Intel, Motorola or
// ASCII by its first character), anything else as binary.
TFileType Format_From_Content(const std::string& head);

// The name Format_From_Name takes.
const char* Format_Name(TFileType type);

// The file's first bytes (at most 4 KiB); "" when it cannot be read (the
// load then reports why).
std::string File_Head(const std::string& path);

// Loads into the Buffer (End_Of_Eprom set to the device's) as the window's
// Load Buffer does for that file type.
void Load_Image(const std::string& path, TFileType type, TBuffer& buffer);
// Saves Buffer addresses 0 to End_Of_Eprom as the window's Save Buffer does.
void Save_Image(const std::string& path, TFileType type, const TBuffer& buffer);

} // namespace gang::cli
