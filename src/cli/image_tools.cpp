#include "cli/image_tools.h"

#include "cli/cli_messages.h"
#include "cli/image_file.h"
#include "core/hex_text.h"
#include "devices/device_rules.h"
#include "session/exit_status.h"
#include "session/run_record.h"

#include <QByteArray>
#include <QFileInfo>
#include <QSaveFile>

#include <zlib.h>

#include <algorithm>
#include <iostream>
#include <optional>
#include <utility>

namespace gang::cli {

namespace {

constexpr uint8_t Erased = 0xFF;

std::string Address_Text(int64_t address)
{
    return IntToHex(address, 4);
}

std::string Count_Text(int64_t count)
{
    return std::to_string(count) + (count == 1 ? " byte" : " bytes");
}

std::optional<TImageMap> Read(const TCliOptions& options, const std::string& path, TFileType format,
                              int& status)
{
    std::optional<TImageMap> image;
    std::string error;
    if (!File_Action([&] { image = Read_Image(path, format, error, !options.Ignore_Checksums); })) {
        status = Exit_File_Error;
        return std::nullopt;
    }
    if (!image) {
        Print_Error(error);
        status = Exit_Usage;
    }
    return image;
}

std::optional<TImageMap> Read(const TCliOptions& options, const std::string& path, int& status)
{
    return Read(options, path, *Resolve_Format(options.Format, path, true), status);
}

// Checks where the image lands in a device of that end, and says so: the
// bytes outside it (an error unless truncating) and, with name_blank, what is
// left FF.  False when the command must end.
bool Check_Placement(const std::string& path, const TImageMap& image,
                     const TImagePlacementOptions& placement, const std::string& device,
                     int32_t end, bool quiet, bool name_blank)
{
    const TPlacement plan = Plan_Placement(image, placement.Offset, end);
    const std::string with_offset =
        placement.Offset != 0 ? " with --offset " + Offset_Text(placement.Offset) : "";
    // The ranges are the file's own addresses: the ones the user can look up.
    const std::string where = placement.Offset != 0 ? "file addresses " : "";
    std::vector<std::string> outside;
    if (plan.Below_Count > 0)
        outside.push_back(path + ": " + Count_Text(plan.Below_Count) + " below address 0" +
                          with_offset + ": " + where + Ranges_Text(plan.Below));
    if (plan.Beyond_Count > 0)
        outside.push_back(path + ": " + Count_Text(plan.Beyond_Count) + " beyond the end of the " +
                          device + " (" + Address_Text(end) + ")" + with_offset +
                          ", the first at " +
                          Address_Text(plan.Beyond.front().First + placement.Offset) + ": " +
                          where + Ranges_Text(plan.Beyond));
    for (const std::string& line : outside) {
        if (!placement.Allow_Truncate)
            Print_Error(line);
        else if (!quiet)
            Print_Warning(line + ", dropped");
    }
    if (!plan.Fits() && !placement.Allow_Truncate) {
        const int64_t lowest = image.Lowest();
        const bool shift_fits = image.Highest() - lowest <= end;
        if (shift_fits && lowest + placement.Offset != 0)
            Print_Error("the data lies at " + Ranges_Text({{lowest, image.Highest()}}) + ": " +
                        (lowest == 0 ? std::string("without --offset")
                                     : "--offset " + Offset_Text(-lowest)) +
                        " it fits; --allow-truncate drops the bytes outside");
        else
            Print_Error("--allow-truncate drops the bytes outside");
        return false;
    }
    if (name_blank && !quiet && !plan.Left_Blank.empty()) {
        int64_t blank = 0;
        for (const TAddressRange& range : plan.Left_Blank)
            blank += range.Size();
        Print_Warning(path + " leaves " + Ranges_Text(plan.Left_Blank) + " of the " + device +
                      " FF (" + Count_Text(blank) + ")");
    }
    return true;
}

// The image as a binary file would hold it: addresses 0 to its highest
// after the offset, gaps FF.  Bytes below 0 end the command unless
// truncating.
std::optional<std::vector<uint8_t>> Linear_Image(const TCliOptions& options,
                                                 const std::string& path, int& status)
{
    const std::optional<TImageMap> image = Read(options, path, status);
    if (!image)
        return std::nullopt;
    const int64_t offset = options.Placement.Offset;
    if (image->Empty() || image->Highest() + offset < 0)
        return std::vector<uint8_t>();
    const int64_t size = image->Highest() + offset + 1;
    if (size > Max_Image_Bytes) {
        Print_Error(path + ": the image reaches " + Address_Text(size - 1) +
                    ", beyond the largest image (16 MiB)");
        status = Exit_Usage;
        return std::nullopt;
    }
    if (!Check_Placement(path, *image, options.Placement, "image", static_cast<int32_t>(size - 1),
                         options.Quiet, false)) {
        status = Exit_Usage;
        return std::nullopt;
    }
    return image->Bytes(-offset, size - 1 - offset, Erased);
}

// Both halves of a 16-bit image are equally long: an odd image gets an FF.
void Make_Even(std::vector<uint8_t>& bytes, const std::string& path, bool quiet)
{
    if (bytes.size() % 2 == 0)
        return;
    bytes.push_back(Erased);
    if (!quiet)
        Print_Warning(path + ": an odd " + Count_Text(static_cast<int64_t>(bytes.size() - 1)) +
                      ", one FF added at the end");
}

// Writes a binary file whole or not at all: the old file stays until the
// new one is complete.
bool Write_Binary(const std::string& path, const std::vector<uint8_t>& bytes)
{
    QSaveFile file(QString::fromStdString(path));
    const qint64 size = static_cast<qint64>(bytes.size());
    if (file.open(QIODevice::WriteOnly) &&
        file.write(reinterpret_cast<const char*>(bytes.data()), size) == size && file.commit())
        return true;
    Print_Error("cannot write " + path + ": " + file.errorString().toStdString());
    return false;
}

int Image_Info(const TCliOptions& options)
{
    const TFileType format = *Resolve_Format(options.Format, options.File, true);
    int status = Exit_Passed;
    const std::optional<TImageMap> image = Read(options, options.File, format, status);
    if (!image)
        return status;
    const std::vector<TAddressRange> ranges = image->Ranges();
    std::cout << "file      " << options.File << "\n"
              << "format    " << Format_Name(format) << "\n"
              << "data      " << (ranges.empty() ? "none" : Ranges_Text(ranges, 16)) << "\n"
              << "size      " << Count_Text(image->Byte_Count()) << " of data in " << ranges.size()
              << (ranges.size() == 1 ? " range" : " ranges") << "; the file "
              << Count_Text(QFileInfo(QString::fromStdString(options.File)).size()) << "\n";

    std::vector<uint8_t> bytes;
    std::string covers = "nothing";
    std::optional<uint16_t> sum;
    if (options.Type != nullptr) {
        TBuffer buffer;
        buffer.End_Of_Eprom = options.Type->End_Of_Eprom();
        std::cout << std::flush;
        if (!Check_Placement(options.File, *image, options.Placement, options.Type->Type_Name,
                             buffer.End_Of_Eprom, options.Quiet, false))
            return Exit_Usage;
        Place_Image(*image, options.Placement.Offset, buffer);
        bytes.assign(buffer.Data.begin(), buffer.Data.begin() + buffer.End_Of_Eprom + 1);
        sum = Buffer_Check_Sum(buffer, 0, buffer.End_Of_Eprom);
        covers = Ranges_Text({{0, buffer.End_Of_Eprom}}) + ", the " + options.Type->Type_Name +
                 " as loaded" +
                 (options.Placement.Offset != 0
                      ? " with --offset " + Offset_Text(options.Placement.Offset)
                      : "") +
                 ", the rest FF";
    } else if (!image->Empty()) {
        const TAddressRange span{image->Lowest(), image->Highest()};
        if (span.Size() > Max_Image_Bytes) {
            std::cout << std::flush;
            Print_Error(options.File + ": the data spans " + Count_Text(span.Size()) +
                        ", more than the largest image (16 MiB): no sums");
            return Exit_Usage;
        }
        bytes = image->Bytes(span.First, span.Last, Erased);
        covers = Ranges_Text({span}) + (ranges.size() > 1 ? ", gaps FF" : "");
    }
    const uint16_t sum16 = sum ? *sum : Sum16(bytes.data(), bytes.size());
    std::cout << "covers    " << covers << "\n"
              << "sum16     " << IntToHex(sum16, 4)
              << "      16-bit sum of the bytes, carries dropped (CheckSum=)\n"
              << "crc32     " << IntToHex(Crc32(bytes.data(), bytes.size()), 8)
              << "  CRC-32/IEEE, as zlib computes it\n"
              << "sha256    " << session::Sha256_Hex(bytes) << "\n";
    return Exit_Passed;
}

int Image_Split(const TCliOptions& options)
{
    int status = Exit_Passed;
    std::optional<std::vector<uint8_t>> bytes = Linear_Image(options, options.File, status);
    if (!bytes)
        return status;
    Make_Even(*bytes, options.File, options.Quiet);
    std::vector<uint8_t> halves[2];
    for (std::size_t i = 0; i < bytes->size(); ++i)
        halves[i % 2].push_back((*bytes)[i]);
    if (!Write_Binary(options.Even, halves[0]) || !Write_Binary(options.Odd, halves[1]))
        return Exit_File_Error;
    if (!options.Quiet)
        std::cout << "even  " << options.Even << "  "
                  << Count_Text(static_cast<int64_t>(halves[0].size())) << "\n"
                  << "odd   " << options.Odd << "  "
                  << Count_Text(static_cast<int64_t>(halves[1].size())) << "\n";
    return Exit_Passed;
}

int Image_Merge(const TCliOptions& options)
{
    int status = Exit_Passed;
    const std::optional<std::vector<uint8_t>> even = Linear_Image(options, options.Even, status);
    if (!even)
        return status;
    const std::optional<std::vector<uint8_t>> odd = Linear_Image(options, options.Odd, status);
    if (!odd)
        return status;
    if (even->size() != odd->size()) {
        Print_Error("the halves differ in length: " + options.Even + " holds " +
                    Count_Text(static_cast<int64_t>(even->size())) + ", " + options.Odd + " " +
                    Count_Text(static_cast<int64_t>(odd->size())) +
                    "; the even and odd bytes of one image are equally many");
        return Exit_Usage;
    }
    std::vector<uint8_t> merged;
    merged.reserve(even->size() * 2);
    for (std::size_t i = 0; i < even->size(); ++i) {
        merged.push_back((*even)[i]);
        merged.push_back((*odd)[i]);
    }
    if (!Write_Binary(options.Output, merged))
        return Exit_File_Error;
    if (!options.Quiet)
        std::cout << "image  " << options.Output << "  "
                  << Count_Text(static_cast<int64_t>(merged.size())) << "\n";
    return Exit_Passed;
}

int Image_Swap(const TCliOptions& options)
{
    int status = Exit_Passed;
    std::optional<std::vector<uint8_t>> bytes = Linear_Image(options, options.File, status);
    if (!bytes)
        return status;
    Make_Even(*bytes, options.File, options.Quiet);
    for (std::size_t i = 0; i + 1 < bytes->size(); i += 2)
        std::swap((*bytes)[i], (*bytes)[i + 1]);
    if (!Write_Binary(options.Output, *bytes))
        return Exit_File_Error;
    if (!options.Quiet)
        std::cout << "image  " << options.Output << "  "
                  << Count_Text(static_cast<int64_t>(bytes->size())) << ", byte pairs swapped\n";
    return Exit_Passed;
}

} // namespace

std::string Ranges_Text(const std::vector<TAddressRange>& ranges, std::size_t max_ranges)
{
    std::string text;
    for (std::size_t i = 0; i < ranges.size() && i < max_ranges; ++i) {
        text += (i == 0 ? "" : ", ") + Address_Text(ranges[i].First);
        if (ranges[i].Last != ranges[i].First)
            text += "-" + Address_Text(ranges[i].Last);
    }
    if (ranges.size() > max_ranges)
        text += ", and " + std::to_string(ranges.size() - max_ranges) + " more";
    return text;
}

uint32_t Crc32(const uint8_t* data, std::size_t size)
{
    uLong crc = crc32(0L, Z_NULL, 0);
    constexpr std::size_t Block = std::size_t{1} << 30; // zlib takes an unsigned int
    for (std::size_t done = 0; done < size; done += Block)
        crc = crc32(crc, data + done, static_cast<uInt>(std::min(Block, size - done)));
    return static_cast<uint32_t>(crc);
}

int Load_Device_Image(const TCliOptions& options, TFileType format, TBuffer& buffer)
{
    int status = Exit_Passed;
    const std::optional<TImageMap> image = Read(options, options.File, format, status);
    if (!image)
        return status;
    if (!Check_Placement(options.File, *image, options.Placement, options.Type->Type_Name,
                         buffer.End_Of_Eprom, options.Quiet, true))
        return Exit_Usage;
    Place_Image(*image, options.Placement.Offset, buffer);
    return Exit_Passed;
}

int Run_Image_Command(const TCliOptions& options)
{
    switch (options.Command) {
    case TCommand::Image_Info:
        return Image_Info(options);
    case TCommand::Image_Split:
        return Image_Split(options);
    case TCommand::Image_Merge:
        return Image_Merge(options);
    case TCommand::Image_Swap:
        return Image_Swap(options);
    default:
        return Exit_Usage;
    }
}

} // namespace gang::cli
