// The writers' exact lines: counts, first and last lines, checksums, and the
// round trip back through the reader for every device size.
#include "file_test_support.h"
#include "files/hex_reader.h"
#include "files/hex_writers.h"

#include <gtest/gtest.h>

namespace gang {
namespace {

using test::Crlf_Lines;
using test::Device_Ends;

constexpr int Intel = 1, Motorola = 2, Ascii = 3;

TEST(HexWriters, LineCountsAndEndLinesForEveryDeviceSize)
{
    for (int32_t end : Device_Ends()) {
        SCOPED_TRACE("End_Of_Eprom " + std::to_string(end));
        auto b = test::Filled_Buffer(0xFF, end);
        const std::size_t records = static_cast<std::size_t>(end + 1) / 16;
        const bool full_bank = end == 0xFFFF;

        auto intel = Crlf_Lines(Hex_Text(Intel, *b));
        ASSERT_EQ(intel.size(), records + 2 + (full_bank ? 1 : 0));
        EXPECT_EQ(intel.front(), ":020000020000FC");
        EXPECT_EQ(intel[1], ":10000000FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFF00");
        EXPECT_EQ(intel.back(), ":00000001FF");
        std::string last_data = intel[intel.size() - (full_bank ? 3 : 2)];
        EXPECT_EQ(last_data.substr(0, 9), ":10" + IntToHex(end - 15, 4) + "00");
        if (full_bank) {
            EXPECT_EQ(intel[intel.size() - 2], ":020000021000EC");
        }

        auto s = Crlf_Lines(Hex_Text(Motorola, *b));
        ASSERT_EQ(s.size(), records + 1);
        EXPECT_EQ(s.front(), "S214000000FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFB");
        EXPECT_EQ(s[s.size() - 2].substr(0, 10), "S214" + IntToHex(end - 15, 6));
        EXPECT_EQ(s.back(), "S804000000FB");

        auto a = Crlf_Lines(Hex_Text(Ascii, *b));
        ASSERT_EQ(a.size(), records);
        EXPECT_EQ(a.front(), std::string(32, 'F'));
        EXPECT_EQ(a.back(), std::string(32, 'F'));
    }
}

TEST(HexWriters, FiguresFor2KiBAnd64KiB)
{
    auto small = test::Random_Buffer(1, 0x07FF);
    EXPECT_EQ(Crlf_Lines(Hex_Text(Intel, *small)).size(), 130u);
    EXPECT_EQ(Crlf_Lines(Hex_Text(Motorola, *small)).size(), 129u);
    EXPECT_EQ(Crlf_Lines(Hex_Text(Ascii, *small)).size(), 128u);
    auto big = test::Random_Buffer(1, 0xFFFF);
    auto intel = Crlf_Lines(Hex_Text(Intel, *big));
    EXPECT_EQ(intel.size(), 4099u);
    EXPECT_EQ(intel[4097], ":020000021000EC");
    auto s = Crlf_Lines(Hex_Text(Motorola, *big));
    EXPECT_EQ(s.size(), 4097u);
    EXPECT_EQ(s[4095].substr(0, 10), "S21400FFF0");
}

TEST(HexWriters, NoDeviceChosenWritesTheFirstByteOnly)
{
    auto b = std::make_unique<TBuffer>();
    for (int i = 0; i < 32; ++i)
        b->Data[static_cast<std::size_t>(i)] = static_cast<uint8_t>(0xA0 + i);
    b->End_Of_Eprom = 0;
    // Intel always fills its record: the 16 bytes at 0000 to 000F.
    EXPECT_EQ(Hex_Text(Intel, *b), ":020000020000FC\r\n"
                                   ":10000000A0A1A2A3A4A5A6A7A8A9AAABACADAEAF78\r\n"
                                   ":00000001FF\r\n");
    EXPECT_EQ(Hex_Text(Motorola, *b), "S205000000A05A\r\nS804000000FB\r\n");
    EXPECT_EQ(Hex_Text(Ascii, *b), "A0\r\n");
    EXPECT_EQ(Hex_Text(0, *b), "");
    EXPECT_EQ(Hex_Text(4, *b), "");
}

// Checksums recomputed independently from the record's bytes.
TEST(HexWriters, EveryRecordChecksumSumsToTheFormatsTotal)
{
    auto b = test::Random_Buffer(7, 0xFFFF);
    auto byte_at = [](const std::string& line, std::size_t i) {
        return static_cast<unsigned>(std::stoul(line.substr(i, 2), nullptr, 16));
    };
    for (const auto& line : Crlf_Lines(Hex_Text(Intel, *b))) {
        unsigned sum = 0;
        for (std::size_t i = 1; i < line.size(); i += 2)
            sum += byte_at(line, i);
        ASSERT_EQ(sum & 0xFF, 0u) << line;
    }
    for (const auto& line : Crlf_Lines(Hex_Text(Motorola, *b))) {
        unsigned sum = 0;
        for (std::size_t i = 2; i < line.size(); i += 2)
            sum += byte_at(line, i);
        ASSERT_EQ(sum & 0xFF, 0xFFu) << line;
        ASSERT_EQ(byte_at(line, 2) * 2 + 4, line.size()) << line; // count matches the line
    }
}

TEST(HexWriters, RoundTripRestoresTheRangeAndNothingElse)
{
    for (int32_t end : Device_Ends()) {
        for (int type : {Intel, Motorola, Ascii}) {
            SCOPED_TRACE("End " + std::to_string(end) + " type " + std::to_string(type));
            auto source = test::Random_Buffer(100 + static_cast<uint32_t>(end), end);
            auto target = test::Random_Buffer(200, end); // differs everywhere
            auto before = *target;
            Read_Hex_Text(Hex_Text(type, *source), *target);
            for (int32_t a = 0; a < Buffer_Size; ++a) {
                // The Intel writer's last record also carries the bytes up to
                // the next multiple of 16, which equals End_Of_Eprom + 1 here.
                uint8_t want = a <= end ? source->Data[static_cast<std::size_t>(a)]
                                        : before.Data[static_cast<std::size_t>(a)];
                ASSERT_EQ(target->Data[static_cast<std::size_t>(a)], want) << "address " << a;
            }
        }
    }
}

} // namespace
} // namespace gang
