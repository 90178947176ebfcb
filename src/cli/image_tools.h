// The images of the command line: a file loaded into the device's range
// with its placement checked (what falls outside the device, what is left
// blank), and the image commands: info, split, merge and swap.
#pragma once

#include "cli/cli_options.h"
#include "core/buffer.h"
#include "files/image_map.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace gang::cli {

// "0000-3FFF, 8000, 9000-90FF"; after max_ranges ", and 12 more".
std::string Ranges_Text(const std::vector<TAddressRange>& ranges, std::size_t max_ranges = 4);

// CRC-32 as zlib computes it (IEEE 802.3, reflected, the one of PKZIP and
// PNG): CBF43926 for "123456789".
uint32_t Crc32(const uint8_t* data, std::size_t size);

// Loads options.File (in format) for the device of options.Type: the
// Buffer's range is filled with FF, the erased state, and the image's bytes
// are placed by options.Placement.  Bytes that land outside the device end
// the command with status 2 unless --allow-truncate drops them (with a
// warning); a range no byte lands on is named in one warning line, unless
// quiet.  Returns Exit_Passed when the image is in the Buffer, else the
// status (the message printed).
int Load_Device_Image(const TCliOptions& options, TFileType format, TBuffer& buffer);

// image info, split, merge or swap; returns the exit status.
int Run_Image_Command(const TCliOptions& options);

} // namespace gang::cli
