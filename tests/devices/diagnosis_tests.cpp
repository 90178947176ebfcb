// The diagnosis of a failed socket from its bytes: hand-made images and
// reads, each the signature of one fault, and the texts the user reads.
#include "devices/diagnosis.h"
#include "texts/diagnosis_text.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace gang::test {
namespace {

// 256 bytes that differ from each other in every bit somewhere.
std::vector<uint8_t> Pattern()
{
    std::vector<uint8_t> bytes(256);
    for (std::size_t a = 0; a < bytes.size(); ++a)
        bytes[a] = static_cast<uint8_t>(a * 37 + 11);
    return bytes;
}

// A socket with D5 held high that dropped out at its first byte: that byte
// took everything but bit 5, the rest of the chip is still erased.  Every
// bit but 0 reads 1 everywhere; only bit 5 has a written byte to show it.
TEST(Diagnosis, AHeldDataBitIsNamedNotTheBlankTailBehindIt)
{
    std::vector<uint8_t> image(16, 0xFF);
    image[0] = 0xDE;
    image[1] = 0xAD;
    image[2] = 0x12;
    std::vector<uint8_t> read(16, 0xFF);
    read[0] = 0xFE;

    const TDiagnosis d = Diagnose_Socket(image, read, 0x100);
    EXPECT_EQ(d.Differences, 3u);
    EXPECT_FALSE(d.No_Byte_Took);
    EXPECT_FALSE(d.Address_Line);
    ASSERT_EQ(d.Bits.size(), 1u);
    EXPECT_EQ(d.Bits[0].Bit, 5);
    EXPECT_EQ(d.Bits[0].Level, 1);
    EXPECT_EQ(d.Bits[0].Count, 2u); // DE and 12 have bit 5 at 0, AD has it at 1
    EXPECT_EQ(Diagnosis_Lines(d),
              (std::vector<std::string>{"bit 5 stuck at 1 in 2 of 3 differences", "3 bytes differ",
                                        "0100: expected DE, read FE", "0101: expected AD, read FF",
                                        "0102: expected 12, read FF"}));
}

// A chip that holds the image, read with A6 held low: the upper half of
// each 128 bytes reads the lower half.
TEST(Diagnosis, AnAddressLineThatExplainsEveryByteIsNamedWithItsLevel)
{
    const std::vector<uint8_t> image = Pattern();
    std::vector<uint8_t> read(image.size());
    for (std::size_t a = 0; a < read.size(); ++a)
        read[a] = image[a & ~std::size_t{0x40}];

    const TDiagnosis d = Diagnose_Socket(image, read, 0);
    EXPECT_EQ(d.Differences, 128u);
    ASSERT_TRUE(d.Address_Line);
    EXPECT_EQ(d.Address_Line->Line, 6);
    EXPECT_EQ(d.Address_Line->Level, 0);
    EXPECT_TRUE(d.Bits.empty());
    EXPECT_EQ(d.First.size(), Diagnosis_Listed_Differences);
    EXPECT_EQ(d.First[0].Address, 0x40);
    const std::vector<std::string> lines = Diagnosis_Lines(d);
    ASSERT_EQ(lines.size(), 2 + Diagnosis_Listed_Differences);
    EXPECT_EQ(lines[0], "address line A6 stuck at 0 explains all 128 differences");
    EXPECT_EQ(lines[1], "128 bytes differ");

    // One byte more that no line explains: no line is claimed.
    read[3] ^= 0x01;
    EXPECT_FALSE(Diagnose_Socket(image, read, 0).Address_Line);

    // An image of 00 but for its first bytes, read as 00 throughout: A2 at 1
    // would "explain" it, but the finding is the data lines reading 0.
    std::vector<uint8_t> zeros(64, 0x00);
    zeros[0] = 0x81;
    const TDiagnosis flat = Diagnose_Socket(zeros, std::vector<uint8_t>(64, 0x00), 0);
    EXPECT_FALSE(flat.Address_Line);
    ASSERT_EQ(flat.Bits.size(), 2u);
    EXPECT_EQ(flat.Bits[1].Bit, 7);
    EXPECT_EQ(flat.Bits[1].Level, 0);
}

// A chip that took nothing reads FF in every bit: that alone is said.
TEST(Diagnosis, AnErasedReadIsNoByteTookAndNothingElse)
{
    const std::vector<uint8_t> image = Pattern();
    const TDiagnosis d = Diagnose_Socket(image, std::vector<uint8_t>(image.size(), 0xFF), 0);
    EXPECT_TRUE(d.No_Byte_Took);
    EXPECT_TRUE(d.Bits.empty());
    EXPECT_FALSE(d.Address_Line);
    EXPECT_EQ(Diagnosis_Lines(d)[0], "no byte took");
    EXPECT_EQ(Diagnosis_Lines(d)[1], "255 bytes differ"); // one pattern byte is FF

    // Equal bytes: nothing to say, even when they are all FF.
    const std::vector<uint8_t> erased(16, 0xFF);
    EXPECT_TRUE(Diagnosis_Lines(Diagnose_Socket(erased, erased, 0)).empty());
}

} // namespace
} // namespace gang::test
