#include "files/image_map.h"

#include "files/file_errors.h"
#include "files/hex_reader.h"
#include "platform/system_file.h"

#include <algorithm>

namespace gang {

namespace {

constexpr uint8_t Erased = 0xFF;

// Adds address to the ranges, joining it to the last one when adjacent
// (addresses come in ascending order).
void Extend(std::vector<TAddressRange>& ranges, int64_t address)
{
    if (!ranges.empty() && ranges.back().Last + 1 == address)
        ranges.back().Last = address;
    else
        ranges.push_back({address, address});
}

} // namespace

void TImageMap::Put(int64_t address, uint8_t value)
{
    const int64_t number = Page_Of(address);
    if (Last_Page == nullptr || number != Last_Page_Number) {
        if (static_cast<int64_t>(Pages.size()) >= Max_Pages && Pages.find(number) == Pages.end())
            throw EImageTooSpread();
        Last_Page = &Pages[number];
        Last_Page_Number = number;
    }
    const std::size_t index = static_cast<std::size_t>(address & (Page_Size - 1));
    if (!Last_Page->Held.test(index)) {
        Last_Page->Held.set(index);
        ++Count;
    }
    Last_Page->Bytes[index] = value;
}

bool TImageMap::Holds(int64_t address) const
{
    const auto page = Pages.find(Page_Of(address));
    return page != Pages.end() &&
           page->second.Held.test(static_cast<std::size_t>(address & (Page_Size - 1)));
}

uint8_t TImageMap::At(int64_t address, uint8_t fill) const
{
    const auto page = Pages.find(Page_Of(address));
    const std::size_t index = static_cast<std::size_t>(address & (Page_Size - 1));
    if (page == Pages.end() || !page->second.Held.test(index))
        return fill;
    return page->second.Bytes[index];
}

std::vector<TAddressRange> TImageMap::Ranges() const
{
    std::vector<TAddressRange> ranges;
    for (const auto& [number, page] : Pages) {
        if (page.Held.all()) {
            const int64_t first = number << Page_Bits;
            if (!ranges.empty() && ranges.back().Last + 1 == first)
                ranges.back().Last = first + Page_Size - 1;
            else
                ranges.push_back({first, first + Page_Size - 1});
            continue;
        }
        for (std::size_t i = 0; i < page.Held.size(); ++i)
            if (page.Held.test(i))
                Extend(ranges, (number << Page_Bits) + static_cast<int64_t>(i));
    }
    return ranges;
}

int64_t TImageMap::Lowest() const
{
    if (Pages.empty())
        return 0;
    const auto& [number, page] = *Pages.begin();
    std::size_t i = 0;
    while (i + 1 < page.Held.size() && !page.Held.test(i))
        ++i;
    return (number << Page_Bits) + static_cast<int64_t>(i);
}

int64_t TImageMap::Highest() const
{
    if (Pages.empty())
        return -1;
    const auto& [number, page] = *Pages.rbegin();
    std::size_t i = page.Held.size() - 1;
    while (i > 0 && !page.Held.test(i))
        --i;
    return (number << Page_Bits) + static_cast<int64_t>(i);
}

std::vector<uint8_t> TImageMap::Bytes(int64_t first, int64_t last, uint8_t fill) const
{
    std::vector<uint8_t> bytes;
    if (last < first)
        return bytes;
    bytes.assign(static_cast<std::size_t>(last - first + 1), fill);
    for (auto page = Pages.lower_bound(Page_Of(first));
         page != Pages.end() && (page->first << Page_Bits) <= last; ++page) {
        const int64_t base = page->first << Page_Bits;
        const int64_t from = std::max(first, base);
        const int64_t to = std::min(last, base + Page_Size - 1);
        for (int64_t a = from; a <= to; ++a) {
            const std::size_t index = static_cast<std::size_t>(a - base);
            if (page->second.Held.test(index))
                bytes[static_cast<std::size_t>(a - first)] = page->second.Bytes[index];
        }
    }
    return bytes;
}

TImageMap Read_Image_File(const std::string& path, TFileType type, bool check_records)
{
    TImageMap image;
    With_File_Errors(path, [&] {
        TSystemFile file = TSystemFile::Open_For_Reading(path);
        if (type == TFileType::Binary) {
            std::vector<uint8_t> block(std::size_t{64} * 1024);
            int64_t address = 0;
            for (std::size_t got; (got = file.Read(block.data(), block.size())) > 0;)
                for (std::size_t i = 0; i < got; ++i)
                    image.Put(address++, block[i]);
        } else {
            TTextLineReader lines(
                [&file](char* dst, std::size_t capacity) { return file.Read(dst, capacity); });
            Read_Hex_Lines(lines, image, check_records);
        }
        file.Close();
    });
    return image;
}

TPlacement Plan_Placement(const TImageMap& image, int64_t offset, int32_t end_of_eprom)
{
    TPlacement plan;
    const int64_t end = end_of_eprom;
    int64_t next_blank = 0; // the lowest device address not yet known to be written
    for (const TAddressRange& range : image.Ranges()) {
        const int64_t first = range.First + offset;
        const int64_t last = range.Last + offset;
        if (first < 0) {
            const TAddressRange below{range.First, std::min(last, int64_t{-1}) - offset};
            plan.Below.push_back(below);
            plan.Below_Count += below.Size();
        }
        if (last > end) {
            const TAddressRange beyond{std::max(first, end + 1) - offset, range.Last};
            plan.Beyond.push_back(beyond);
            plan.Beyond_Count += beyond.Size();
        }
        const int64_t in_first = std::max<int64_t>(first, 0);
        const int64_t in_last = std::min(last, end);
        if (in_first > in_last)
            continue;
        if (in_first > next_blank)
            plan.Left_Blank.push_back({next_blank, in_first - 1});
        next_blank = std::max(next_blank, in_last + 1);
    }
    if (next_blank <= end)
        plan.Left_Blank.push_back({next_blank, end});
    return plan;
}

void Place_Image(const TImageMap& image, int64_t offset, TBuffer& buffer)
{
    const int64_t end = std::clamp<int64_t>(buffer.End_Of_Eprom, 0, Buffer_Size - 1);
    const std::vector<uint8_t> bytes = image.Bytes(-offset, end - offset, Erased);
    std::copy(bytes.begin(), bytes.end(), buffer.Data.begin());
}

} // namespace gang
