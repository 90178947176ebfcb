#include "session/image_file.h"

#include <QFileInfo>

#include <cctype>
#include <cstdio>

namespace gang::session {

namespace {

struct TFormatName {
    TFileType Type;
    const char* Name;
    const char* Extensions[4];
};

constexpr TFormatName Formats[] = {
    {TFileType::Binary, "bin", {".bin"}},
    {TFileType::Intel_Hex, "intel", {".hex", ".ihx", ".ihex"}},
    {TFileType::Motorola_Hex, "motorola", {".s19", ".s28", ".s37", ".srec"}},
    {TFileType::Motorola_Hex, "motorola", {".mot"}},
    {TFileType::Ascii_Hex, "ascii", {".txt"}},
};

std::string Lower(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

} // namespace

std::optional<TFileType> Format_From_Name(const std::string& name)
{
    const std::string wanted = Lower(name);
    for (const TFormatName& format : Formats)
        if (wanted == format.Name)
            return format.Type;
    return std::nullopt;
}

std::optional<TFileType> Format_From_Extension(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    const auto dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return std::nullopt;
    const std::string extension = Lower(path.substr(dot));
    for (const TFormatName& format : Formats)
        for (const char* known : format.Extensions)
            if (known != nullptr && extension == known)
                return format.Type;
    return std::nullopt;
}

const char* Format_Name(TFileType type)
{
    for (const TFormatName& format : Formats)
        if (format.Type == type)
            return format.Name;
    return "";
}

std::optional<TFileType> Resolve_Format(std::optional<TFileType> named, const std::string& path,
                                        bool reading)
{
    if (named)
        return named;
    const std::optional<TFileType> by_extension = Format_From_Extension(path);
    if (by_extension == TFileType::Binary || (by_extension && !reading))
        return by_extension;
    if (!reading)
        return std::nullopt;
    const TFileType by_content = Format_From_Content(File_Head(path));
    if (by_extension && by_content == TFileType::Binary)
        return by_extension;
    return by_content;
}

std::optional<TImageMap> Read_Image(const std::string& path, TFileType type, std::string& error,
                                    bool check_records)
{
    const QFileInfo info(QString::fromStdString(path));
    if (type == TFileType::Binary && info.isFile() && info.size() > Max_Image_Bytes) {
        error = path + " holds " + std::to_string(info.size()) +
                " bytes, more than the largest image (16 MiB)";
        return std::nullopt;
    }
    try {
        return Read_Image_File(path, type, check_records);
    } catch (const EImageTooSpread&) {
        error = path + " holds data in more than " + std::to_string(TImageMap::Max_Pages) +
                " blocks of 4 KiB (16 MiB of addresses), more than the largest image";
        return std::nullopt;
    }
}

void Save_Image(const std::string& path, TFileType type, const TBuffer& buffer)
{
    if (type == TFileType::Binary)
        Save_Binary_File(path, buffer);
    else
        Save_Hex_File(path, static_cast<int>(type), buffer);
}

std::optional<int64_t> Offset_Of(const std::string& text)
{
    constexpr int64_t Max_Offset = 0xFFFFFFFF;
    std::size_t at = 0;
    const bool negative = !text.empty() && text[0] == '-';
    if (!text.empty() && (text[0] == '-' || text[0] == '+'))
        ++at;
    if (text.compare(at, 2, "0x") == 0 || text.compare(at, 2, "0X") == 0)
        at += 2;
    if (at == text.size())
        return std::nullopt;
    int64_t value = 0;
    for (; at < text.size(); ++at) {
        const char c = text[at];
        const int digit = (c >= '0' && c <= '9')   ? c - '0'
                          : (c >= 'a' && c <= 'f') ? c - 'a' + 10
                          : (c >= 'A' && c <= 'F') ? c - 'A' + 10
                                                   : -1;
        if (digit < 0)
            return std::nullopt;
        value = value * 16 + digit;
        if (value > Max_Offset)
            return std::nullopt;
    }
    return negative ? -value : value;
}

std::string Offset_Text(int64_t offset)
{
    char text[24];
    std::snprintf(text, sizeof text, "%s%llX", offset < 0 ? "-" : "",
                  static_cast<unsigned long long>(offset < 0 ? -offset : offset));
    return text;
}

} // namespace gang::session
