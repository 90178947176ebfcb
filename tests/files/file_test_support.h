// Helpers shared by the file format tests: Buffers with known contents,
// temporary folders, and whole-file reads.
#pragma once

#include "core/buffer.h"
#include "core/hex_text.h"

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace gang::test {

// End_Of_Eprom of every device size the catalogue knows: 2 KiB to 64 KiB.
inline const std::vector<int32_t>& Device_Ends()
{
    static const std::vector<int32_t> ends{0x07FF, 0x0FFF, 0x1FFF, 0x3FFF, 0x7FFF, 0xFFFF};
    return ends;
}

// A heap Buffer (so a write past its end meets the sanitizer's red zone)
// filled from a seed.
inline std::unique_ptr<TBuffer> Random_Buffer(uint32_t seed, int32_t end_of_eprom)
{
    auto b = std::make_unique<TBuffer>();
    std::mt19937 rng(seed);
    for (auto& byte : b->Data)
        byte = static_cast<uint8_t>(rng());
    b->End_Of_Eprom = end_of_eprom;
    return b;
}

inline std::unique_ptr<TBuffer> Filled_Buffer(uint8_t value, int32_t end_of_eprom)
{
    auto b = std::make_unique<TBuffer>();
    b->Data.fill(value);
    b->End_Of_Eprom = end_of_eprom;
    return b;
}

// Splits text at CR LF; a trailing CR LF ends the last line.
inline std::vector<std::string> Crlf_Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find("\r\n", pos);
        if (end == std::string::npos) {
            lines.push_back(text.substr(pos));
            break;
        }
        lines.push_back(text.substr(pos, end - pos));
        pos = end + 2;
    }
    return lines;
}

inline std::string Read_Whole_File(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void Write_Whole_File(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string Data_File(const std::string& name)
{
    return std::string(GANG_TEST_DATA) + "/" + name;
}

// A fresh folder under the system's temporary folder, removed with its files.
class TTempDir {
public:
    TTempDir()
    {
        const char* base = std::getenv("TMPDIR");
        std::string pattern = std::string(base && *base ? base : "/tmp") + "/gang_files_XXXXXX";
        std::vector<char> buf(pattern.begin(), pattern.end());
        buf.push_back('\0');
        if (mkdtemp(buf.data()) == nullptr)
            std::abort();
        Path_ = buf.data();
    }
    ~TTempDir()
    {
        std::string cmd = "chmod -R u+rwx '" + Path_ + "' 2>/dev/null; rm -rf '" + Path_ + "'";
        [[maybe_unused]] int rc = std::system(cmd.c_str());
    }
    std::string File(const std::string& name) const { return Path_ + "/" + name; }
    const std::string& Path() const { return Path_; }

private:
    std::string Path_;
};

inline bool Tool_Available(const std::string& tool)
{
    std::string cmd = "command -v " + tool + " >/dev/null 2>&1";
    return std::system(cmd.c_str()) == 0;
}

} // namespace gang::test
