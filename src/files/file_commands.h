// Loading and saving the Buffer: binary images and the three hex text kinds
// (Intel hex, Motorola S-record, ASCII hex).  These are the routines the
// window's load and save handlers call once the user has picked a path; the
// window shows the banners, updates "Last File Loaded in Buffer=" and the
// checksum, and turns the exceptions below into its error box.
//
// Every open, read, write and close is checked.  A failing one raises
// EInOutError; nothing is undone: the Buffer keeps what was stored before the
// failure and a file being written keeps what was written before it.
#pragma once

#include "core/buffer.h"
#include "files/file_errors.h"

#include <string>

namespace gang {

// The index of an entry of the File_Type list is its file type.
enum class TFileType { Binary = 0, Intel_Hex = 1, Motorola_Hex = 2, Ascii_Hex = 3 };

// Reads at most End_Of_Eprom + 1 bytes into the Buffer from address 0 on.  A
// shorter file leaves the rest of the Buffer as it was; the rest of a longer
// file is not read.
void Load_Binary_File(const std::string& path, TBuffer& buffer);

// Creates (or empties) the file and writes Buffer addresses 0 to End_Of_Eprom.
void Save_Binary_File(const std::string& path, const TBuffer& buffer);

// Reads a text file of Intel hex, S-record or plain hex-pair lines (in any
// mix) into the Buffer.  Addresses the file does not name keep their bytes.
// Raises EConvertError for a hex group that does not convert.
void Load_Hex_File(const std::string& path, TBuffer& buffer);

// Creates (or empties) the file and writes Buffer addresses 0 to End_Of_Eprom
// as Intel hex (file type 1), S-records (2) or ASCII hex (3); any other file
// type leaves the created file empty.
void Save_Hex_File(const std::string& path, int file_type, const TBuffer& buffer);

} // namespace gang
