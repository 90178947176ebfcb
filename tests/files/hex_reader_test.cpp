// The reader's line rules: dispatch, address reduction, bases, end records,
// conversion errors and what stays stored when a line fails.
#include "file_test_support.h"
#include "files/file_errors.h"
#include "files/hex_reader.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

namespace gang {
namespace {

// A Buffer of 0x55 everywhere with the given range end.
std::unique_ptr<TBuffer> Blank(int32_t end)
{
    return test::Filled_Buffer(0x55, end);
}

// Addresses whose byte differs from 0x55.
std::vector<int32_t> Changed(const TBuffer& b)
{
    std::vector<int32_t> out;
    for (int32_t a = 0; a < Buffer_Size; ++a)
        if (b.Data[static_cast<std::size_t>(a)] != 0x55)
            out.push_back(a);
    return out;
}

// The line rules, read as a hand-edited file is (record counts and
// checksums unchecked: the test lines carry made-up checksums); the checks
// have tests of their own.
THexLoadNotes Read(const std::string& text, TBuffer& b)
{
    return Read_Hex_Text(text, b, false);
}
void Read(const std::string& text, TImageMap& image)
{
    Read_Hex_Text(text, image, false);
}

std::string Conversion_Error_Of(const std::string& text, TBuffer& b)
{
    try {
        Read(text, b);
    } catch (const EConvertError& e) {
        return e.what();
    }
    return "no error";
}

TEST(HexReader, EndRecordsStopTheReading)
{
    for (std::string end : {":00000001FF", "S9030000FC", "S804000000FB", "S70500000000FA"}) {
        auto b = Blank(0xFFFF);
        Read(":0100000011EE\r\n" + end + "\r\n:0100010022DC\r\n0102\r\n", *b);
        EXPECT_EQ(Changed(*b), std::vector<int32_t>{0}) << end;
        EXPECT_EQ(b->Data[0], 0x11);
    }
}

// Each fault of a record refuses the file at its line, with the checksum
// read and the one computed; unchecked, the record loads as it says.
TEST(HexReader, RecordChecksumsAndCountsAreChecked)
{
    const auto fault_of = [](const std::string& text) {
        auto b = Blank(0xFFFF);
        try {
            Read_Hex_Text(text, *b);
        } catch (const EChecksumError& e) {
            return std::to_string(e.Line) + ": " + e.Message();
        }
        return std::string("no error");
    };
    const std::string good = ":0100000011EE\r\nS1050010ABCD72\r\n";
    EXPECT_EQ(fault_of(good + ":020010001234A8\r\n"), "no error");
    EXPECT_EQ(fault_of(good + ":020010001234A9\r\n"), "3: record checksum A9, computed A8");
    EXPECT_EQ(fault_of(good + ":02001000123A8\r\n"),
              "3: record count 02 wants 12 hex digits after it, the line holds 11");
    EXPECT_EQ(fault_of(good + ":020010001234A8FF\r\n"),
              "3: record count 02 wants 12 hex digits after it, the line holds 14");
    EXPECT_EQ(fault_of("S00600004844521B\r\n" + good + "S1050020ABCD00\r\n"),
              "4: record checksum 00, computed 62");
    EXPECT_EQ(fault_of("S5030001FA\r\n"), "1: record checksum FA, computed FB");
    EXPECT_EQ(fault_of(good + ":00000001FF\r\n"), "no error");

    auto b = Blank(0xFFFF);
    Read(":0200100012347B\r\nS1050020ABCD00\r\n", *b); // both checksums wrong
    EXPECT_EQ(b->Data[0x10], 0x12);
    EXPECT_EQ(b->Data[0x11], 0x34);
    EXPECT_EQ(b->Data[0x20], 0xAB);
    EXPECT_EQ(b->Data[0x21], 0xCD);
}

TEST(HexReader, RecordStartIsReducedByEndOfEpromButItsBytesRunOn)
{
    auto b = Blank(0x07FF);
    Read(":01123400AA00\r\n", *b);
    EXPECT_EQ(Changed(*b), std::vector<int32_t>{0x0234});

    b = Blank(0x07FF);
    Read(":1007F800000102030405060708090A0B0C0D0E0F00\r\n", *b);
    auto changed = Changed(*b);
    ASSERT_EQ(changed.size(), 16u);
    EXPECT_EQ(changed.front(), 0x07F8);
    EXPECT_EQ(changed.back(), 0x0807);
    EXPECT_EQ(b->Data[0x0800], 0x08);
}

TEST(HexReader, SegmentBaseMovesDataAndLinearBaseChangesNothing)
{
    auto b = Blank(0xFFFF);
    Read(":020000020100FB\r\n:0100000077FF\r\n", *b);
    EXPECT_EQ(Changed(*b), std::vector<int32_t>{0x1000});

    for (int32_t end : test::Device_Ends()) {
        auto with = Blank(end);
        auto without = Blank(end);
        Read(":020000040003F7\r\n:02012300A1B2FF\r\n", *with);
        Read(":02012300A1B2FF\r\n", *without);
        EXPECT_EQ(with->Data, without->Data) << end;
    }
}

TEST(HexReader, S1S2AndS3RecordsWithTheSameDataLandAlike)
{
    auto s1 = Blank(0x7FFF), s2 = Blank(0x7FFF), s3 = Blank(0x7FFF);
    Read("S1061234C0FFEE00\r\n", *s1);
    Read("S207001234C0FFEE00\r\n", *s2);
    Read("S30800001234C0FFEE00\r\n", *s3);
    EXPECT_EQ(Changed(*s1), (std::vector<int32_t>{0x1234, 0x1235, 0x1236}));
    EXPECT_EQ(s1->Data, s2->Data);
    EXPECT_EQ(s1->Data, s3->Data);
    EXPECT_EQ(s1->Data[0x1236], 0xEE);
}

TEST(HexReader, OtherRecordTypesAndHeaderLinesAreSkipped)
{
    auto b = Blank(0xFFFF);
    Read("S00600004844521B\r\nS5030001FB\r\n:0400000300001234B3\r\n"
         ":04000005000012349F\r\nSX01\r\nS\r\n",
         *b);
    EXPECT_TRUE(Changed(*b).empty());
}

TEST(HexReader, LowerCaseDigitsLoadButALowerCaseSIsALineOfPairs)
{
    auto b = Blank(0xFFFF);
    Read(":02abcd00fe0a00\r\n", *b);
    EXPECT_EQ(b->Data[0xABCD], 0xFE);
    EXPECT_EQ(b->Data[0xABCE], 0x0A);

    b = Blank(0xFFFF);
    EXPECT_EQ(Conversion_Error_Of("s1050000AA00\r\n", *b), "'$s1' is not a valid integer value");
}

TEST(HexReader, LinesOfPairs)
{
    auto b = Blank(0xFFFF);
    Read("0102\r\n030\r\n\r\n04\r\n",
         *b); // odd last digit ignored, empty line stores nothing
    EXPECT_EQ(Changed(*b), (std::vector<int32_t>{0, 1, 2, 3}));
    EXPECT_EQ(b->Data[2], 0x03);
    EXPECT_EQ(b->Data[3], 0x04);

    b = Blank(0xFFFF);
    EXPECT_EQ(Conversion_Error_Of("0102 0304\r\n", *b), "'$ 0' is not a valid integer value");
    EXPECT_EQ(Changed(*b), (std::vector<int32_t>{0, 1})); // bytes before the bad group stay

    b = Blank(0xFFFF);
    Read(std::string(200, '1') + "\r\n22\r\n", *b); // only 161 characters are used
    EXPECT_EQ(Changed(*b).size(), 81u);
    EXPECT_EQ(b->Data[79], 0x11);
    EXPECT_EQ(b->Data[80], 0x22);

    // Pairs run on past the end of a 2 KiB range, unmasked.
    b = Blank(0x07FF);
    std::string lines;
    for (int i = 0; i < 128; ++i)
        lines += std::string(32, '1') + "\r\n";
    Read(lines + "22\r\n", *b);
    EXPECT_EQ(b->Data[0x0000], 0x11);
    EXPECT_EQ(b->Data[0x07FF], 0x11);
    EXPECT_EQ(b->Data[0x0800], 0x22);
}

TEST(HexReader, PairsFollowOnFromTheAddressTheLastRecordLeft)
{
    auto b = Blank(0x07FF);
    // A data record leaves its reduced start, not its end.
    Read(":01100000AA00\r\nBBCC\r\n", *b);
    EXPECT_EQ(b->Data[0], 0xBB);
    EXPECT_EQ(b->Data[1], 0xCC);

    b = Blank(0xFFFF);
    // A record of another type leaves its address field as read; pairs are
    // neither reduced nor moved by the bases.
    Read(":020000020100FB\r\n:0400300500000000C7\r\nDD\r\n", *b);
    EXPECT_EQ(Changed(*b), std::vector<int32_t>{0x0030});

    b = Blank(0x07FF);
    // Skipped S0 and S5 lines leave the address of the record before them.
    Read("S1040123AA00\r\nS00600004844521B\r\nS5030001FB\r\nBBCC\r\n", *b);
    EXPECT_EQ(Changed(*b), (std::vector<int32_t>{0x0123, 0x0124}));
    EXPECT_EQ(b->Data[0x0123], 0xBB);
}

TEST(HexReader, TooShortRecordsNameTheEmptyGroup)
{
    // An 80-byte record on a line cut at 161 characters: 76 bytes stay.
    std::string record = ":50000000";
    for (int i = 0; i < 80; ++i)
        record += IntToHex(i + 1, 2);
    record += "00";
    auto b = Blank(0xFFFF);
    EXPECT_EQ(Conversion_Error_Of(record + "\r\n", *b), "'$' is not a valid integer value");
    EXPECT_EQ(Changed(*b).size(), 76u);
    EXPECT_EQ(b->Data[75], 76);

    b = Blank(0xFFFF);
    EXPECT_EQ(Conversion_Error_Of(":\r\n", *b), "'$' is not a valid integer value");
    EXPECT_EQ(Conversion_Error_Of(":0300000001", *b), "'$' is not a valid integer value");
    EXPECT_EQ(Conversion_Error_Of(":01000000G100", *b), "'$G1' is not a valid integer value");
    EXPECT_EQ(Conversion_Error_Of("S1050000Z", *b), "'$Z' is not a valid integer value");
    // A binary file opened as hex: its NUL bytes must not cut the message.
    EXPECT_EQ(Conversion_Error_Of(std::string("01\0\x01", 4), *b),
              "'$?\x01' is not a valid integer value");
    // Bytes of a binary file that are no characters show as "?" too.
    EXPECT_EQ(Conversion_Error_Of("\x80\xFF\r\n", *b), "'$?\?' is not a valid integer value");
    EXPECT_EQ(Changed(*b), std::vector<int32_t>{0}); // the 01 of ":0300000001" and "01"
}

TEST(HexReader, EmptyInputChangesNothing)
{
    for (std::string text : {"", "\r\n", "\r\n\r\n\n\r", "\x1A", "\x1A:0100000011EE"}) {
        auto b = Blank(0xFFFF);
        Read(text, *b);
        EXPECT_TRUE(Changed(*b).empty());
    }
}

TEST(HexReader, NegativeCountsStoreNothing)
{
    auto b = Blank(0xFFFF);
    Read("S1020000\r\nS30400000000\r\n", *b);
    EXPECT_TRUE(Changed(*b).empty());
}

// Bytes that would land past FFFF are dropped; the rest of the file loads.
TEST(HexReader, BytesPastTheBufferAreDropped)
{
    auto b = Blank(0xFFFF);
    Read(":04FFFE00A1A2A3A400\r\n:01000100BB00\r\n", *b);
    EXPECT_EQ(Changed(*b), (std::vector<int32_t>{0x0001, 0xFFFE, 0xFFFF}));
    EXPECT_EQ(b->Data[0xFFFF], 0xA2);
    EXPECT_EQ(b->Data[0], 0x55);
    EXPECT_EQ(b->End_Of_Eprom, 0xFFFF);

    // 65,537 bytes of pairs: the last one has no place and is dropped.
    b = Blank(0xFFFF);
    std::string text;
    for (int i = 0; i < 0x10000 / 16; ++i)
        text += std::string(32, '7') + "\n";
    text += "9999\n";
    Read(text, *b);
    EXPECT_EQ(b->Data[0xFFFF], 0x77);
    EXPECT_EQ(b->End_Of_Eprom, 0xFFFF);
}

// Into an image, nothing is reduced or dropped: the command line needs the
// file's own addresses to say what lies outside the device.
TEST(HexReader, AnImageKeepsTheFilesOwnAddresses)
{
    TImageMap image;
    Read(":020000040001F9\r\n"     // linear base 10000
         ":04FFFE00A1A2A3A400\r\n" // 1FFFE, running on past 1FFFF
         ":020000021000EC\r\n"     // segment base 10000 on top: 20000
         ":0100100077FF\r\n"       // 20010
         "S30600FF0000BB00\r\n"    // 00FF0000 plus both bases
         ":00000001FF\r\n",
         image);
    EXPECT_EQ(image.Ranges(), (std::vector<TAddressRange>{
                                  {0x1FFFE, 0x20001}, {0x20010, 0x20010}, {0x1010000, 0x1010000}}));
    EXPECT_EQ(image.Byte_Count(), 6);
    EXPECT_EQ(image.At(0x20001, 0), 0xA4);
    EXPECT_EQ(image.At(0x20010, 0), 0x77);
    EXPECT_EQ(image.Highest(), 0x1010000);
    EXPECT_EQ(image.At(0x20002, 0xFF), 0xFF);

    // More than 64 KiB of pairs: every byte is kept, from address 0 on.
    TImageMap pairs;
    std::string text;
    for (int i = 0; i < 0x10010 / 16; ++i)
        text += std::string(32, '5') + "\n";
    Read(text, pairs);
    EXPECT_EQ(pairs.Ranges(), (std::vector<TAddressRange>{{0, 0x1000F}}));
}

// A hex file that names one byte in each 4 KiB page of its 4 GiB of
// addresses: the image refuses the page after the last it may hold, so its
// memory stays about 19 MB instead of one page per byte.
TEST(HexReader, AnImageSpreadOverTooManyPagesIsRefused)
{
    // One Intel record of the bytes, its checksum computed.
    const auto record = [](std::vector<uint8_t> bytes) {
        uint8_t sum = 0;
        std::string text = ":";
        char hex[3];
        for (uint8_t byte : bytes) {
            sum = static_cast<uint8_t>(sum + byte);
            std::snprintf(hex, sizeof hex, "%02X", byte);
            text += hex;
        }
        std::snprintf(hex, sizeof hex, "%02X", static_cast<uint8_t>(-sum) & 0xFF);
        return text + hex + "\n";
    };
    std::string text;
    for (int64_t page = 0; page < TImageMap::Max_Pages + 10; ++page) {
        const int64_t address = page * 4096;
        if (address % 0x10000 == 0)
            text += record({2, 0, 0, 4, static_cast<uint8_t>(address >> 24),
                            static_cast<uint8_t>(address >> 16)});
        text +=
            record({1, static_cast<uint8_t>(address >> 8), static_cast<uint8_t>(address), 0, 0xA5});
    }
    TImageMap image;
    EXPECT_THROW(Read_Hex_Text(text, image), EImageTooSpread);
    EXPECT_EQ(image.Byte_Count(), TImageMap::Max_Pages);
    EXPECT_EQ(image.Ranges().size(), static_cast<std::size_t>(TImageMap::Max_Pages));
}

} // namespace
} // namespace gang
