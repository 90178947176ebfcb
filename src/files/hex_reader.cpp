#include "files/hex_reader.h"

#include "files/file_errors.h"

#include <algorithm>

namespace gang {

namespace {

constexpr char Intel_Start = ':';
constexpr char S_Record_Start = 'S';

// Intel record types the reader acts on.
constexpr uint32_t Intel_Data = 0x00;
constexpr uint32_t Intel_End = 0x01;
constexpr uint32_t Intel_Segment_Address = 0x02;
constexpr uint32_t Intel_Linear_Address = 0x04;

constexpr uint32_t Segment_Shift = 4; // segment value x 16
constexpr uint32_t Linear_Shift = 16; // linear value x 65,536

// Digits of each S-record data type's address field, and the bytes of its
// count that are not data (address bytes plus the checksum byte).
struct TSRecordLayout {
    std::size_t Address_Digits;
    int32_t Non_Data_Bytes;
};
constexpr TSRecordLayout S1_Layout{4, 3};
constexpr TSRecordLayout S2_Layout{6, 4};
constexpr TSRecordLayout S3_Layout{8, 5};

int Hex_Digit_Value(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

std::string Hex_Byte(int value)
{
    constexpr char Digits[] = "0123456789ABCDEF";
    return {Digits[(value >> 4) & 0xF], Digits[value & 0xF]};
}

} // namespace

char THexReader::Take_Char()
{
    if (Left_ == 0)
        return '\0';
    --Left_;
    return *Line_++;
}

uint32_t THexReader::Take_Group(std::size_t digits)
{
    std::size_t n = std::min(digits, Left_);
    const char* group = Line_;
    Line_ += n;
    Left_ -= n;
    uint32_t value = 0;
    bool valid = n > 0;
    for (std::size_t i = 0; i < n && valid; ++i) {
        int d = Hex_Digit_Value(group[i]);
        valid = d >= 0;
        value = (value << 4) | static_cast<uint32_t>(d);
    }
    if (!valid)
        throw EConvertError("$" + std::string(group, n));
    return value;
}

void THexReader::Store(int64_t address, uint32_t value, int64_t file_address)
{
    if (Image_ != nullptr) {
        Image_->Put(address, static_cast<uint8_t>(value));
        return;
    }
    const bool in_buffer = address >= 0 && address < Buffer_Size;
    if (file_address > Buffer_->End_Of_Eprom) {
        if (Notes_.Beyond++ == 0) {
            Notes_.First_Beyond = file_address;
            Notes_.First_Beyond_Stored_At = in_buffer ? address : -1;
        }
        if (!in_buffer)
            ++Notes_.Dropped;
        else if (address > Buffer_->End_Of_Eprom)
            ++Notes_.Past_End;
        else
            ++Notes_.Reduced;
    }
    if (!in_buffer)
        return;
    const std::size_t at = static_cast<std::size_t>(address);
    if (Written_[at] && Notes_.Twice++ == 0)
        Notes_.First_Twice = address;
    Written_[at] = true;
    Buffer_->Data[at] = static_cast<uint8_t>(value);
}

void THexReader::Store_Record_Bytes(int32_t byte_count)
{
    uint32_t start = static_cast<uint32_t>(Load_Address_) + Segment_Base_ + Linear_Base_;
    Load_Address_ =
        Image_ != nullptr ? start : start & static_cast<uint32_t>(Buffer_->End_Of_Eprom);
    // Only the start is reduced: the bytes run on from there, possibly past
    // End_Of_Eprom, and past FFFF they are dropped by Store.
    for (int32_t i = 0; i < byte_count; ++i)
        Store(Load_Address_ + i, Take_Group(2), int64_t{start} + i);
}

void THexReader::Check_Record(const char* record, std::size_t size, bool intel) const
{
    while (size > 0 && (record[size - 1] == ' ' || record[size - 1] == '\t'))
        --size;
    if (size < 2 || Hex_Digit_Value(record[0]) < 0 || Hex_Digit_Value(record[1]) < 0)
        throw EConvertError("$" + std::string(record, std::min<std::size_t>(size, 2)));
    // The bytes after the count: Intel's count is of data bytes only (the
    // address, type and checksum take 4 more), an S-record's of them all.
    const int count = Hex_Digit_Value(record[0]) * 16 + Hex_Digit_Value(record[1]);
    const std::size_t wanted = 2 * static_cast<std::size_t>(intel ? count + 4 : count);
    const std::size_t held = size - 2;
    const auto byte_at = [record](std::size_t i) {
        const int high = Hex_Digit_Value(record[2 * i]);
        const int low = Hex_Digit_Value(record[2 * i + 1]);
        if (high < 0 || low < 0)
            throw EConvertError("$" + std::string(record + 2 * i, 2));
        return high * 16 + low;
    };
    if (held == wanted) {
        int sum = 0;
        const std::size_t last = wanted / 2; // the checksum's byte index
        for (std::size_t i = 0; i < last; ++i)
            sum += byte_at(i);
        const int read = byte_at(last);
        const int computed = (intel ? 0x100 - (sum & 0xFF) : ~sum) & 0xFF;
        if (read == computed)
            return;
        throw EChecksumError("record checksum " + Hex_Byte(read) + ", computed " +
                             Hex_Byte(computed));
    }
    throw EChecksumError(
        "record count " + std::string(record, 2) + " wants " + std::to_string(wanted) +
        " hex digits after it, the line holds " + std::to_string(held) +
        (Line_Cut_ ? " (a line is read up to " + std::to_string(Max_Line_Length) + " characters)"
                   : ""));
}

void THexReader::Take_Intel_Record()
{
    const char* record = Line_;
    const std::size_t size = Left_;
    Take_Intel_Fields();
    if (Check_Records_)
        Check_Record(record, size, true);
}

void THexReader::Take_Intel_Fields()
{
    Load_Address_ = 0;
    int32_t byte_count = static_cast<int32_t>(Take_Group(2));
    Load_Address_ = Take_Group(4);
    uint32_t type = Take_Group(2);
    switch (type) {
    case Intel_Data:
        Store_Record_Bytes(byte_count);
        break;
    case Intel_End:
        End_Seen_ = true;
        break;
    case Intel_Segment_Address:
        Segment_Base_ = Take_Group(4) << Segment_Shift;
        break;
    case Intel_Linear_Address:
        Linear_Base_ = Take_Group(4) << Linear_Shift;
        break;
    default:
        break; // types 03, 05 and any other carry nothing the Buffer needs
    }
}

void THexReader::Take_S_Record(int type)
{
    const char* record = Line_;
    const std::size_t size = Left_;
    if (type >= 1 && type <= 3) {
        const TSRecordLayout& layout = type == 1 ? S1_Layout : type == 2 ? S2_Layout : S3_Layout;
        Load_Address_ = 0;
        int32_t byte_count = static_cast<int32_t>(Take_Group(2)) - layout.Non_Data_Bytes;
        Load_Address_ = Take_Group(layout.Address_Digits);
        Store_Record_Bytes(byte_count);
    }
    if (Check_Records_)
        Check_Record(record, size, false);
}

void THexReader::Take_Pairs()
{
    for (std::size_t pairs = Left_ / 2; pairs > 0; --pairs) {
        uint32_t value = Take_Group(2);
        Store(Load_Address_, value, Load_Address_);
        ++Load_Address_;
    }
}

void THexReader::Take_Line(const std::string& line)
{
    Line_ = line.data();
    Left_ = std::min(line.size(), Max_Line_Length);
    Line_Cut_ = line.size() >= Max_Line_Length;
    if (Left_ == 0) {
        Take_Pairs(); // an empty line is a line of no pairs
        return;
    }
    char first = Take_Char();
    if (first == Intel_Start) {
        Take_Intel_Record();
    } else if (first == S_Record_Start) {
        char t = Take_Char();
        int type = (t >= '0' && t <= '9') ? t - '0' : 0;
        // S0 headers and S5/S6 counts carry nothing the Buffer needs, but
        // are checked like the others; "S" followed by anything else is
        // skipped.
        if (t >= '0' && t <= '9' && t != '4')
            Take_S_Record(type);
        if (type == 7 || type == 8 || type == 9)
            End_Seen_ = true;
    } else {
        --Line_; // the first character belongs to the first pair
        ++Left_;
        Take_Pairs();
    }
}

namespace {

void Read_Lines(TTextLineReader& lines, THexReader& reader)
{
    std::string line;
    line.reserve(Max_Line_Length);
    int number = 0;
    try {
        do {
            lines.Read_Line(line);
            ++number;
            reader.Take_Line(line);
        } while (!reader.End_Seen() && !lines.Eof());
    } catch (EConvertError& error) {
        error.Line = number;
        throw;
    } catch (EChecksumError& error) {
        error.Line = number;
        throw;
    }
}

} // namespace

THexLoadNotes Read_Hex_Lines(TTextLineReader& lines, TBuffer& buffer, bool check_records)
{
    THexReader reader(buffer, check_records);
    Read_Lines(lines, reader);
    return reader.Notes();
}

void Read_Hex_Lines(TTextLineReader& lines, TImageMap& image, bool check_records)
{
    THexReader reader(image, check_records);
    Read_Lines(lines, reader);
}

THexLoadNotes Read_Hex_Text(const std::string& text, TBuffer& buffer, bool check_records)
{
    TTextLineReader lines(String_Source(text));
    return Read_Hex_Lines(lines, buffer, check_records);
}

void Read_Hex_Text(const std::string& text, TImageMap& image, bool check_records)
{
    TTextLineReader lines(String_Source(text));
    Read_Hex_Lines(lines, image, check_records);
}

} // namespace gang
