#include "files/hex_writers.h"

#include "files/file_commands.h"

#include <algorithm>
#include <cstdint>

namespace gang {

namespace {

constexpr int32_t Record_Bytes = 16;
constexpr int32_t Bank_Mask = 0xFFFF; // a 64 KiB address bank
constexpr int32_t Bank_Shift = 16;
constexpr int32_t Segment_Per_Bank = 0x1000; // segment value of one 64 KiB bank
constexpr int32_t S2_Non_Data_Bytes = 4;     // three address bytes, one checksum byte
constexpr char Intel_End_Record[] = ":00000001FF";
constexpr char S8_End_Record[] = "S804000000FB";
constexpr char Upper_Digits[] = "0123456789ABCDEF";
// Where the count stands on a record line (after ":" and after "S2"); the
// writers fill it in once the record's bytes are appended.
constexpr std::size_t Intel_Count_Column = 1;
constexpr std::size_t S2_Count_Column = 2;

// The line being built, the running record sum and the write position.
class TLineBuilder {
public:
    TLineBuilder(const TBuffer& buffer, ITextSink& sink)
        : Buffer_(buffer), Sink_(sink),
          Last_(std::clamp<int32_t>(buffer.End_Of_Eprom, 0, Buffer_Size - 1))
    {
    }

    int32_t Write_Pos = 0;
    uint8_t Record_Sum = 0;

    int32_t Last() const { return Last_; }
    void Text(const char* s)
    {
        while (*s)
            Line_[Len_++] = *s++;
    }
    void Hex(uint32_t value, int digits)
    {
        Patch_Hex(Len_, value, digits);
        Len_ += static_cast<std::size_t>(digits);
    }
    void Patch_Hex(std::size_t column, uint32_t value, int digits)
    {
        for (int i = digits - 1; i >= 0; --i, value >>= 4)
            Line_[column + static_cast<std::size_t>(i)] = Upper_Digits[value & 0xF];
    }
    // Appends the byte at Write_Pos to the line and the record sum.
    void Append_Byte()
    {
        uint8_t b = Buffer_.Data[static_cast<std::size_t>(Write_Pos)];
        Record_Sum = static_cast<uint8_t>(Record_Sum + b);
        Hex(b, 2);
        ++Write_Pos;
    }
    void Add_Address_To_Sum(uint32_t address16)
    {
        Record_Sum = static_cast<uint8_t>((address16 >> 8) + (address16 & 0xFF));
    }
    void End_Line()
    {
        Line_[Len_++] = '\r';
        Line_[Len_++] = '\n';
        Sink_.Write(Line_, Len_);
        Len_ = 0;
    }

private:
    const TBuffer& Buffer_;
    ITextSink& Sink_;
    int32_t Last_;
    char Line_[64];
    std::size_t Len_ = 0;
};

void Write_Segment_Record(TLineBuilder& out)
{
    uint32_t s = static_cast<uint32_t>(out.Write_Pos >> Bank_Shift) * Segment_Per_Bank;
    uint8_t checksum = static_cast<uint8_t>(0xFC - (s >> 8) - (s & 0xFF));
    out.Text(":02000002");
    out.Hex(s, 4);
    out.Hex(checksum, 2);
    out.End_Line();
}

} // namespace

void Write_Intel_Hex(const TBuffer& buffer, ITextSink& sink)
{
    TLineBuilder out(buffer, sink);
    Write_Segment_Record(out);
    do {
        uint32_t address = static_cast<uint32_t>(out.Write_Pos & Bank_Mask);
        out.Add_Address_To_Sum(address);
        out.Text(":");
        out.Hex(0, 2); // the count, known once the record is built
        out.Hex(address, 4);
        out.Text("00");
        int32_t n = 0;
        do {
            out.Append_Byte();
            ++n;
        } while (n < Record_Bytes && (out.Write_Pos & Bank_Mask) != 0);
        out.Patch_Hex(Intel_Count_Column, static_cast<uint32_t>(n), 2);
        out.Hex(static_cast<uint8_t>(0 - (n + out.Record_Sum)), 2);
        out.End_Line();
        if ((out.Write_Pos & Bank_Mask) == 0)
            Write_Segment_Record(out);
    } while (out.Write_Pos <= out.Last());
    out.Text(Intel_End_Record);
    out.End_Line();
}

void Write_Motorola_Hex(const TBuffer& buffer, ITextSink& sink)
{
    TLineBuilder out(buffer, sink);
    do {
        out.Add_Address_To_Sum(static_cast<uint32_t>(out.Write_Pos & Bank_Mask));
        out.Text("S2");
        out.Hex(0, 2); // the count, known once the record is built
        out.Hex(static_cast<uint32_t>(out.Write_Pos), 6);
        int32_t n = 0;
        do {
            out.Append_Byte();
            ++n;
        } while (n < Record_Bytes && out.Write_Pos <= out.Last());
        uint32_t count = static_cast<uint32_t>(n + S2_Non_Data_Bytes);
        out.Patch_Hex(S2_Count_Column, count, 2);
        out.Hex(static_cast<uint8_t>(0xFF - static_cast<uint8_t>(count + out.Record_Sum)), 2);
        out.End_Line();
    } while (out.Write_Pos <= out.Last());
    out.Text(S8_End_Record);
    out.End_Line();
}

void Write_Ascii_Hex(const TBuffer& buffer, ITextSink& sink)
{
    TLineBuilder out(buffer, sink);
    do {
        do {
            out.Append_Byte();
        } while (out.Write_Pos % Record_Bytes != 0 && out.Write_Pos <= out.Last());
        out.End_Line();
    } while (out.Write_Pos <= out.Last());
}

void Write_Hex(int file_type, const TBuffer& buffer, ITextSink& sink)
{
    switch (static_cast<TFileType>(file_type)) {
    case TFileType::Intel_Hex:
        Write_Intel_Hex(buffer, sink);
        break;
    case TFileType::Motorola_Hex:
        Write_Motorola_Hex(buffer, sink);
        break;
    case TFileType::Ascii_Hex:
        Write_Ascii_Hex(buffer, sink);
        break;
    default:
        break;
    }
}

std::string Hex_Text(int file_type, const TBuffer& buffer)
{
    TStringSink sink;
    Write_Hex(file_type, buffer, sink);
    return sink.Text;
}

} // namespace gang
