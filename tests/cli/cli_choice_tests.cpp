// The command line's choices that scripts rely on: voltages a type allows,
// the file format taken from the name or the content, offsets, the progress
// line.
#include "cli/cli_options.h"
#include "cli/device_choice.h"
#include "cli/image_file.h"
#include "cli/progress.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace gang::cli {
namespace {

std::vector<std::string> Voltages(const char* type)
{
    std::vector<std::string> texts;
    for (int32_t code : Allowed_Vpp_Codes(*Find_Type(type)))
        texts.push_back(Vpp_Text(code));
    return texts;
}

TEST(CliChoice, TypesAnyCaseWithTheVppButtonsVoltages)
{
    ASSERT_NE(Find_Type("27c256"), nullptr);
    EXPECT_EQ(Find_Type("27c256")->Size, 0x8000);
    EXPECT_EQ(Find_Type("28C65"), nullptr);
    EXPECT_EQ(Voltages("2716"), (std::vector<std::string>{"25", "21", "12.5"}));
    EXPECT_EQ(Voltages("2732A"), (std::vector<std::string>{"21", "12.5", "25"}));
    EXPECT_EQ(Voltages("27C512"), (std::vector<std::string>{"12.5", "25", "21"}));
    EXPECT_EQ(Voltages("28C256"), (std::vector<std::string>{"5"}));
    EXPECT_EQ(Vpp_Code_Of("12.5V"), Vpp_Code_Of("12.5"));
    EXPECT_EQ(Vpp_Code_Of("13"), 0);
}

TEST(CliChoice, FormatFromNameExtensionOrContent)
{
    EXPECT_EQ(Format_From_Name("Motorola"), TFileType::Motorola_Hex);
    EXPECT_FALSE(Format_From_Name("srec"));
    EXPECT_EQ(Format_From_Extension("a/fw.IHX"), TFileType::Intel_Hex);
    EXPECT_EQ(Format_From_Extension("fw.s28"), TFileType::Motorola_Hex);
    EXPECT_EQ(Format_From_Extension("fw.mot"), TFileType::Motorola_Hex);
    EXPECT_EQ(Format_From_Extension("fw.txt"), TFileType::Ascii_Hex);
    EXPECT_EQ(Format_From_Extension("fw.bin"), TFileType::Binary);
    EXPECT_FALSE(Format_From_Extension("dir.hex/fw"));

    EXPECT_EQ(Format_From_Content(":0100000000FF\r\n"), TFileType::Intel_Hex);
    EXPECT_EQ(Format_From_Content("\r\nS1130000\n"), TFileType::Motorola_Hex);
    EXPECT_EQ(Format_From_Content("00 11 22 33\n"), TFileType::Ascii_Hex);
    EXPECT_EQ(Format_From_Content(std::string("\x02\x00:\xff", 4)), TFileType::Binary);
    EXPECT_EQ(Format_From_Content(""), TFileType::Binary);
}

TEST(CliChoice, OffsetsInHexWithASign)
{
    EXPECT_EQ(Offset_Of("-8000"), -0x8000);
    EXPECT_EQ(Offset_Of("0x1f0"), 0x1F0);
    EXPECT_EQ(Offset_Of("+FFFFFFFF"), 0xFFFFFFFF);
    for (const char* wrong : {"", "-", "0x", "80 00", "8G", "100000000"})
        EXPECT_FALSE(Offset_Of(wrong)) << wrong;
    EXPECT_EQ(Offset_Text(-0x8000), "-8000");
}

TEST(CliProgress, TheAddressInHandAndTheRangesEndWhenDone)
{
    EXPECT_EQ(Progress_Line("verify", 0x1000, 0x1FFF, 2.0, {false}),
              "verify  1000/1FFF  50%  0:02 left 0:02  1 ok");
    // Done: the counter stands one past the range.
    EXPECT_EQ(Progress_Line("verify", 0x2000, 0x1FFF, 4.0, {false, true}),
              "verify  1FFF/1FFF  100%  0:04  1 ok  2 failed");
}

} // namespace
} // namespace gang::cli
