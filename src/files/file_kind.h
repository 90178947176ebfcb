// What a file's first bytes say about its kind: binary, or one of the three
// hex text kinds.  The window asks before it loads hex text as a binary
// image; the command line takes the kind of a text file from its content.
#pragma once

#include "files/file_commands.h"

#include <string>

namespace gang {

// A text of hex records or digit pairs is hex (Intel, Motorola or ASCII by
// its first character that is no blank), anything else binary.
TFileType Format_From_Content(const std::string& head);

// The file's first bytes (at most 4 KiB); "" when it cannot be read (the
// load then reports why).
std::string File_Head(const std::string& path);

} // namespace gang
