// Randomised checks with fixed seeds: random Buffers through every writer and
// back, and random or mutated lines that must never crash, never raise
// anything but the conversion error (or, checked, the record check's), and
// never write outside the Buffer.
#include "file_test_support.h"
#include "files/file_errors.h"
#include "files/hex_reader.h"
#include "files/hex_writers.h"

#include <gtest/gtest.h>

namespace gang {
namespace {

TEST(RandomisedFiles, EveryWriterRoundTripsRandomBuffers)
{
    std::mt19937 rng(20240901);
    for (int round = 0; round < 24; ++round) {
        int32_t end = test::Device_Ends()[rng() % test::Device_Ends().size()];
        int type = 1 + static_cast<int>(rng() % 3);
        auto source = test::Random_Buffer(rng(), end);
        auto target = test::Random_Buffer(rng(), end);
        auto before = *target;
        Read_Hex_Text(Hex_Text(type, *source), *target);
        ASSERT_TRUE(
            std::equal(source->Data.begin(), source->Data.begin() + end + 1, target->Data.begin()))
            << "type " << type << " end " << end;
        ASSERT_TRUE(std::equal(before.Data.begin() + end + 1, before.Data.end(),
                               target->Data.begin() + end + 1));
    }
}

// One of a few hostile shapes of line, from a seed.
std::string Garbage_Line(std::mt19937& rng, const std::vector<std::string>& good)
{
    static const char alphabet[] = ":Ss0123456789ABCDEFabcdefGz \t\x1A\r\n\xFF";
    std::string line;
    switch (rng() % 4) {
    case 0: { // random characters from a hex-heavy alphabet
        std::size_t n = rng() % 220;
        for (std::size_t i = 0; i < n; ++i)
            line += alphabet[rng() % (sizeof alphabet - 1)];
        break;
    }
    case 1: { // a good line with a few characters changed
        line = good[rng() % good.size()];
        for (int k = 0; k < 3; ++k)
            if (!line.empty())
                line[rng() % line.size()] = alphabet[rng() % (sizeof alphabet - 1)];
        break;
    }
    case 2: { // a record at a random (often huge) address with a random count
        static const char* heads[] = {":", "S1", "S2", "S3"};
        line = heads[rng() % 4];
        line += IntToHex(rng() % 256, 2) + IntToHex(rng(), 8);
        while (line.size() < 40 + rng() % 160)
            line += IntToHex(rng() % 256, 2);
        break;
    }
    default: // bases that push addresses around
        line = (rng() % 2 ? ":02000002" : ":02000004") + IntToHex(rng() % 0x10000, 4) + "00";
        break;
    }
    return line;
}

TEST(RandomisedFiles, GarbageNeverCrashesNorWritesOutsideTheBuffer)
{
    std::mt19937 rng(9);
    auto sample = test::Random_Buffer(1, 0x00FF);
    std::vector<std::string> good;
    for (int type : {1, 2, 3})
        for (auto& l : test::Crlf_Lines(Hex_Text(type, *sample)))
            good.push_back(l);

    int conversion_errors = 0;
    int record_errors = 0;
    for (int file = 0; file < 400; ++file) {
        int32_t end = test::Device_Ends()[rng() % test::Device_Ends().size()];
        auto b = test::Random_Buffer(rng(), end);
        std::string text;
        for (int n = 1 + static_cast<int>(rng() % 12); n > 0; --n)
            text += Garbage_Line(rng, good) + (rng() % 2 ? "\r\n" : "\n");
        // Unchecked, only the conversion error; checked, the record check's
        // error too.
        const bool checked = file % 2 == 1;
        try {
            Read_Hex_Text(text, *b, checked);
        } catch (const EConvertError&) {
            ++conversion_errors;
        } catch (const EChecksumError&) {
            ASSERT_TRUE(checked);
            ++record_errors;
        }
        // The fields after Data would be the first to suffer from a stray write.
        ASSERT_EQ(b->Start_Of_Buffer, 0);
        ASSERT_EQ(b->Start_Of_Eprom, 0);
        ASSERT_EQ(b->End_Of_Eprom, end);
    }
    EXPECT_GT(conversion_errors, 0); // the garbage did reach the error paths
    EXPECT_GT(record_errors, 0);
}

} // namespace
} // namespace gang
