// The one hex reader (Intel hex, S-records, ASCII hex) over any text, into
// an image at the file's own addresses and into the window's Buffer; then
// the image placed into a 64 KiB device.  The first byte says whether the
// records' counts and checksums are checked (off, as for a hand-edited
// file, reaches the deeper paths).  A file error and an image spread too
// wide are refusals; anything else is a finding.
#include "files/file_errors.h"
#include "files/hex_reader.h"
#include "files/image_map.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const bool check = (data[0] & 1) != 0;
    const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
    gang::TImageMap image;
    try {
        gang::Read_Hex_Text(text, image, check);
    } catch (const gang::EFileError&) {
    } catch (const gang::EImageTooSpread&) {
    }
    if (image.Byte_Count() > gang::TImageMap::Max_Pages * 4096)
        __builtin_trap();
    const gang::TPlacement plan = gang::Plan_Placement(image, -image.Lowest(), 0xFFFF);
    (void)plan;
    gang::TBuffer buffer;
    buffer.End_Of_Eprom = 0xFFFF;
    gang::Place_Image(image, -image.Lowest(), buffer);
    try {
        gang::TBuffer window;
        window.End_Of_Eprom = 0x7FFF;
        gang::Read_Hex_Text(text, window, check);
    } catch (const gang::EFileError&) {
    }
    return 0;
}
