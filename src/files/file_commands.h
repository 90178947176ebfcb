// Loading and saving the Buffer: binary images and the three hex text kinds
// (Intel hex, Motorola S-record, ASCII hex).  These are the routines the
// window's load and save handlers call once the user has picked a path; the
// window shows the banners, updates "Last File Loaded in Buffer=" and the
// checksum, and turns the exceptions below into its error box.
//
// Every open, read, write and close is checked.  A failing one raises
// EInOutError naming the file.  A load that fails has stored into the Buffer
// what it read before the failure: the window loads into a copy, so that its
// own Buffer changes only with a whole file.  A save writes the whole file or
// leaves the old one (Replace_File).
#pragma once

#include "core/buffer.h"
#include "files/file_errors.h"

#include <cstdint>
#include <string>

namespace gang {

// The index of an entry of the File_Type list is its file type.
enum class TFileType { Binary = 0, Intel_Hex = 1, Motorola_Hex = 2, Ascii_Hex = 3 };

// What a load into the Buffer did with bytes that do not simply land at
// their own address inside the device.
struct THexLoadNotes {
    // Bytes whose address in the file (the record's address plus the bases,
    // or the running address of plain pairs) lies past End_Of_Eprom: how
    // many, the first one's file address and where it was stored (-1 when
    // it was dropped), and how many of them were stored at their address
    // reduced into the device, stored in the Buffer past End_Of_Eprom (a
    // record running on), or dropped (past FFFF).
    int64_t Beyond = 0;
    int64_t First_Beyond = -1;
    int64_t First_Beyond_Stored_At = -1;
    int64_t Reduced = 0;
    int64_t Past_End = 0;
    int64_t Dropped = 0;
    // Bytes stored at a Buffer address this load had stored a byte at
    // already (the later one stays), and the first such address.
    int64_t Twice = 0;
    int64_t First_Twice = -1;
};

// Reads at most End_Of_Eprom + 1 bytes into the Buffer from address 0 on.  A
// shorter file leaves the rest of the Buffer as it was; the rest of a longer
// file is not read.
void Load_Binary_File(const std::string& path, TBuffer& buffer);

// Writes Buffer addresses 0 to End_Of_Eprom as the file.
void Save_Binary_File(const std::string& path, const TBuffer& buffer);

// Reads a text file of Intel hex, S-record or plain hex-pair lines (in any
// mix) into the Buffer.  Addresses the file does not name keep their bytes.
// Raises EConvertError for a hex group that does not convert and, when
// check_records, EChecksumError for a record whose count or checksum is
// wrong; both name the file and the line.  Returns what the load did with
// data beyond the device.
THexLoadNotes Load_Hex_File(const std::string& path, TBuffer& buffer, bool check_records = true);

// Writes Buffer addresses 0 to End_Of_Eprom as Intel hex (file type 1),
// S-records (2) or ASCII hex (3); any other file type writes an empty file.
void Save_Hex_File(const std::string& path, int file_type, const TBuffer& buffer);

} // namespace gang
