// Interoperation with srec_cat (the srecord package) and objcopy
// (binutils), independent tools whose files pass the record checks: files
// srec_cat wrote (committed under data/, LF line ends) load into the same
// bytes, and files our writers produce convert back to the same image.
#include "file_test_support.h"
#include "files/file_commands.h"

#include <gtest/gtest.h>

namespace gang {
namespace {

using test::Data_File;
using test::TTempDir;

// The first n bytes of the Buffer against an image.
::testing::AssertionResult Starts_With(const TBuffer& b, const std::string& image)
{
    for (std::size_t a = 0; a < image.size(); ++a)
        if (b.Data[a] != static_cast<uint8_t>(image[a]))
            return ::testing::AssertionFailure() << "differs at " << IntToHex(int64_t(a), 4);
    return ::testing::AssertionSuccess();
}

TEST(SrecCatFiles, LoadIntoTheImageTheyWereMadeFrom)
{
    const std::string image = test::Read_Whole_File(Data_File("image_2k.bin"));
    ASSERT_EQ(image.size(), 2048u);
    // LF-only lines, 32-byte records, S0 headers, S5 counts, type 04 bases.
    for (const char* name : {"image_2k.hex", "image_2k.s19", "image_2k.s28", "image_2k.s37",
                             "image_2k_at_30000.hex"}) {
        SCOPED_TRACE(name);
        auto b = test::Filled_Buffer(0xC3, 0x07FF);
        Load_Hex_File(Data_File(name), *b);
        EXPECT_TRUE(Starts_With(*b, image));
        for (std::size_t a = 2048; a < Buffer_Size; ++a)
            ASSERT_EQ(b->Data[a], 0xC3) << a;
    }
}

TEST(SrecCatFiles, CrLfCopiesLoadAlike)
{
    TTempDir dir;
    std::string text = test::Read_Whole_File(Data_File("image_2k.hex"));
    std::string crlf, cr;
    for (char c : text) {
        crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
        cr += c == '\n' ? '\r' : c;
    }
    test::Write_Whole_File(dir.File("crlf.hex"), crlf);
    test::Write_Whole_File(dir.File("cr.hex"), cr);
    const std::string image = test::Read_Whole_File(Data_File("image_2k.bin"));
    for (const char* name : {"crlf.hex", "cr.hex"}) {
        auto b = test::Filled_Buffer(0, 0x07FF);
        Load_Hex_File(dir.File(name), *b);
        EXPECT_TRUE(Starts_With(*b, image)) << name;
    }
}

class SrecCatLive : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!test::Tool_Available("srec_cat"))
            GTEST_SKIP() << "srec_cat is not installed";
    }
    static int Run(const std::string& command)
    {
        return std::system((command + " >/dev/null 2>&1").c_str());
    }
};

TEST_F(SrecCatLive, AcceptsWhatOurWritersProduce)
{
    TTempDir dir;
    for (int32_t end : {0x07FF, 0xFFFF}) {
        auto b = test::Random_Buffer(42 + static_cast<uint32_t>(end), end);
        std::string want(b->Data.begin(), b->Data.begin() + end + 1);
        struct {
            int type;
            const char* format;
        } kinds[] = {{1, "-intel"}, {2, "-motorola"}};
        for (auto kind : kinds) {
            SCOPED_TRACE(std::string(kind.format) + " end " + std::to_string(end));
            Save_Hex_File(dir.File("ours.hex"), kind.type, *b);
            // srec_cat verifies every checksum while it reads.
            ASSERT_EQ(Run("srec_cat " + dir.File("ours.hex") + " " + kind.format + " -o " +
                          dir.File("back.bin") + " -binary"),
                      0);
            std::string back = test::Read_Whole_File(dir.File("back.bin"));
            // The Intel writer fills its last record up to a multiple of 16.
            EXPECT_EQ(back.substr(0, want.size()), want);
        }
        // srec_cat's own "ASCII hex" is another format (STX, blanks, ETX);
        // plain digit pairs are what xxd -r -p reads.
        if (test::Tool_Available("xxd")) {
            Save_Hex_File(dir.File("ours.txt"), 3, *b);
            ASSERT_EQ(Run("xxd -r -p " + dir.File("ours.txt") + " " + dir.File("back.bin")), 0);
            EXPECT_EQ(test::Read_Whole_File(dir.File("back.bin")), want);
        }
    }
}

TEST_F(SrecCatLive, ItsFilesOfAFullBankLoadIntoTheSameBytes)
{
    TTempDir dir;
    auto source = test::Random_Buffer(77, 0xFFFF);
    Save_Binary_File(dir.File("image.bin"), *source);
    for (const char* format : {"-intel", "-motorola", "-motorola -address-length=4"}) {
        SCOPED_TRACE(format);
        ASSERT_EQ(Run("srec_cat " + dir.File("image.bin") + " -binary -o " + dir.File("its.hex") +
                      " " + format),
                  0);
        auto b = test::Filled_Buffer(0, 0xFFFF);
        Load_Hex_File(dir.File("its.hex"), *b);
        EXPECT_EQ(b->Data, source->Data);
    }
    // objcopy (binutils) writes its own headers and record lengths; its
    // checksums pass the reader's checks too.
    if (!test::Tool_Available("objcopy"))
        return;
    for (const char* format : {"ihex", "srec"}) {
        SCOPED_TRACE(format);
        ASSERT_EQ(Run("objcopy -I binary -O " + std::string(format) + " " + dir.File("image.bin") +
                      " " + dir.File("its.hex")),
                  0);
        auto b = test::Filled_Buffer(0, 0xFFFF);
        Load_Hex_File(dir.File("its.hex"), *b);
        EXPECT_EQ(b->Data, source->Data);
    }
}

} // namespace
} // namespace gang
