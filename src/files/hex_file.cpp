// Hex text files: the reader and the writers put on files.
#include "files/file_commands.h"
#include "files/file_errors.h"
#include "files/hex_reader.h"
#include "files/hex_writers.h"
#include "platform/system_file.h"

namespace gang {

THexLoadNotes Load_Hex_File(const std::string& path, TBuffer& buffer, bool check_records)
{
    THexLoadNotes notes;
    With_File_Errors(path, [&] {
        TSystemFile file = TSystemFile::Open_For_Reading(path);
        TTextLineReader lines(
            [&file](char* dst, std::size_t capacity) { return file.Read(dst, capacity); });
        notes = Read_Hex_Lines(lines, buffer, check_records);
        file.Close();
    });
    return notes;
}

void Save_Hex_File(const std::string& path, int file_type, const TBuffer& buffer)
{
    With_File_Errors(path, [&] {
        const std::string text = Hex_Text(file_type, buffer);
        Replace_File(path, text.data(), text.size());
    });
}

} // namespace gang
