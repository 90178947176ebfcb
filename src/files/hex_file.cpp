// Hex text files: the reader and the writers put on files.
#include "files/file_commands.h"
#include "files/file_errors.h"
#include "files/hex_reader.h"
#include "files/hex_writers.h"
#include "platform/system_file.h"

#include <vector>

namespace gang {

namespace {

// Collects the writers' lines and hands them to the file in large blocks; a
// failing block write raises, and what was written before it stays.
class TFileSink : public ITextSink {
public:
    explicit TFileSink(TSystemFile& file) : File_(file) { Pending_.reserve(Block_Size); }
    void Write(const char* text, std::size_t size) override
    {
        if (Pending_.size() + size > Block_Size)
            Flush();
        Pending_.insert(Pending_.end(), text, text + size);
    }
    void Flush()
    {
        if (!Pending_.empty())
            File_.Write(Pending_.data(), Pending_.size());
        Pending_.clear();
    }

private:
    static constexpr std::size_t Block_Size = std::size_t{64} * 1024;
    TSystemFile& File_;
    std::vector<char> Pending_;
};

} // namespace

void Load_Hex_File(const std::string& path, TBuffer& buffer)
{
    With_File_Errors([&] {
        TSystemFile file = TSystemFile::Open_For_Reading(path);
        TTextLineReader lines(
            [&file](char* dst, std::size_t capacity) { return file.Read(dst, capacity); });
        Read_Hex_Lines(lines, buffer);
        file.Close();
    });
}

void Save_Hex_File(const std::string& path, int file_type, const TBuffer& buffer)
{
    With_File_Errors([&] {
        TSystemFile file = TSystemFile::Create_For_Writing(path);
        TFileSink sink(file);
        Write_Hex(file_type, buffer, sink);
        sink.Flush();
        file.Close();
    });
}

} // namespace gang
