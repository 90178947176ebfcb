// Binary files: the plain image of Buffer addresses 0 to End_Of_Eprom.
#include "files/file_commands.h"
#include "files/file_errors.h"
#include "platform/system_file.h"

#include <algorithm>

namespace gang {

namespace {

// Bytes in the range 0 to End_Of_Eprom, kept inside the Buffer.
std::size_t Range_Bytes(const TBuffer& buffer)
{
    return static_cast<std::size_t>(std::clamp<int32_t>(buffer.End_Of_Eprom, 0, Buffer_Size - 1)) +
           1;
}

} // namespace

void Load_Binary_File(const std::string& path, TBuffer& buffer)
{
    With_File_Errors(path, [&] {
        TSystemFile file = TSystemFile::Open_For_Reading(path);
        // A shorter file is the ordinary case: it fills only the start of the
        // range, and the rest of the Buffer keeps its bytes.
        file.Read(buffer.Data.data(), Range_Bytes(buffer));
        file.Close();
    });
}

void Save_Binary_File(const std::string& path, const TBuffer& buffer)
{
    With_File_Errors(path, [&] { Replace_File(path, buffer.Data.data(), Range_Bytes(buffer)); });
}

} // namespace gang
