#include "files/file_kind.h"

#include "platform/system_file.h"

#include <cctype>

namespace gang {

namespace {

constexpr std::size_t Head_Size = 4096;

bool Is_Text_Byte(unsigned char c)
{
    return c == '\r' || c == '\n' || c == '\t' || (c >= 0x20 && c < 0x7F);
}

} // namespace

TFileType Format_From_Content(const std::string& head)
{
    bool any_digit = false;
    for (unsigned char c : head) {
        if (!Is_Text_Byte(c))
            return TFileType::Binary;
        any_digit = any_digit || std::isxdigit(c) != 0;
    }
    if (!any_digit)
        return TFileType::Binary;
    const auto first = head.find_first_not_of(" \t\r\n");
    if (head[first] == ':')
        return TFileType::Intel_Hex;
    if (head[first] == 'S')
        return TFileType::Motorola_Hex;
    return TFileType::Ascii_Hex;
}

std::string File_Head(const std::string& path)
{
    try {
        TSystemFile file = TSystemFile::Open_For_Reading(path);
        std::string head(Head_Size, '\0');
        head.resize(file.Read(head.data(), head.size()));
        file.Close();
        return head;
    } catch (const ESystemError&) {
        return "";
    }
}

} // namespace gang
