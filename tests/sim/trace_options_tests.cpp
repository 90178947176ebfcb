// The port trace file and the option parser of gang-adapter-sim.
#include "raw_bus.h"
#include "sim/sim_options.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>

namespace gang::sim::test {
namespace {

std::string File_Text(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

TEST(SimTrace, OneLinePerAccessByteForByte)
{
    const std::string path = ::testing::TempDir() + "sim_trace_test.txt";
    {
        TSimAdapter sim;
        sim.Trace_To(path);
        TRawBus bus(sim);
        bus.Latch(Vpp_Code, 0xB7);
        sim.Clear_Events();
        bus.Latch(Data_Code, 0x5A);
        bus.Read();
        sim.WriteEcr(0x378, 0x00);
    }
    EXPECT_EQ(File_Text(path), "W 0378 B7\nW 037A 02\nW 037A 06\nW 037A 06\nW 037A 02\nW 037A 00\n"
                               "W 0378 5A\nW 037A 0A\nW 037A 0E\nW 037A 0E\nW 037A 0A\nW 037A 00\n"
                               "W 037A 00\nR 0379 D7\nW 037A 04\nR 0379 27\nW 037A 00\n"
                               "W 077A 00\n");
    std::remove(path.c_str());
}

TEST(SimTrace, UnwritablePathThrows)
{
    TSimAdapter sim;
    EXPECT_THROW(sim.Trace_To("/nonexistent-dir/trace.txt"), std::runtime_error);
}

TEST(SimOptions, GoodOptions)
{
    const auto result =
        Parse_Sim_Options({"--base", "3bc", "--socket", "2=27c256,stuck1:3@7FF0",
                           "--socket=5=empty", "--trace", "t.txt", "--access-us", "0.5", "--fast"});
    ASSERT_TRUE(result.Ok) << result.Error;
    const TSimOptions& o = result.Options;
    EXPECT_EQ(o.Config.Base, 0x3BC);
    EXPECT_TRUE(o.Config.Present);
    EXPECT_TRUE(o.Config.Fast_Chips);
    EXPECT_DOUBLE_EQ(o.Config.Access_Us, 0.5);
    EXPECT_EQ(o.Trace_Path, "t.txt");
    EXPECT_FALSE(o.Help);
    ASSERT_EQ(o.Sockets.size(), 2u);
    EXPECT_EQ(o.Sockets[0].Socket, 2);
    EXPECT_EQ(o.Sockets[0].Type, "27C256");
    EXPECT_EQ(o.Sockets[0].Fault.Kind, TFaultKind::Stuck_At_1);
    EXPECT_EQ(o.Sockets[0].Fault.Bit, 3);
    EXPECT_EQ(o.Sockets[0].Fault.Address, 0x7FF0u);
    EXPECT_TRUE(o.Sockets[1].Empty);

    const auto defaults = Parse_Sim_Options({});
    ASSERT_TRUE(defaults.Ok);
    EXPECT_EQ(defaults.Options.Config.Base, 0x378);
    EXPECT_EQ(Parse_Sim_Options({"--base", "0xD010"}).Options.Config.Base, 0xD010);
    EXPECT_EQ(Parse_Sim_Options({"--base=e000"}).Options.Config.Base, 0xE000);
    EXPECT_DOUBLE_EQ(defaults.Options.Config.Access_Us, 1.0);

    const auto none = Parse_Sim_Options({"--base=none", "--help"});
    ASSERT_TRUE(none.Ok);
    EXPECT_FALSE(none.Options.Config.Present);
    EXPECT_TRUE(none.Options.Help);

    const auto faults = Parse_Sim_Options(
        {"--socket", "1=2764,slow", "--socket", "3=28C16,nocomplete", "--socket",
         "4=28C64,pagewrong:40@2", "--socket", "5=27C64,stuck0:7@0", "--socket", "2=28C256,sdp",
         "--socket", "1=27C64,data1:5", "--socket", "1=27C512,addr0:15"});
    ASSERT_TRUE(faults.Ok) << faults.Error;
    EXPECT_EQ(faults.Options.Sockets[0].Fault.Kind, TFaultKind::Slow_Pulses);
    EXPECT_EQ(faults.Options.Sockets[1].Fault.Kind, TFaultKind::Write_Never_Completes);
    EXPECT_EQ(faults.Options.Sockets[2].Fault.Kind, TFaultKind::Page_Reads_Wrong);
    EXPECT_EQ(faults.Options.Sockets[2].Fault.Address, 0x40u);
    EXPECT_EQ(faults.Options.Sockets[2].Fault.Bit, 2);
    EXPECT_EQ(faults.Options.Sockets[3].Fault.Kind, TFaultKind::Stuck_At_0);
    EXPECT_EQ(faults.Options.Sockets[4].Fault.Kind, TFaultKind::Sdp_Locked);
    EXPECT_EQ(faults.Options.Sockets[5].Fault.Kind, TFaultKind::Data_Line_1);
    EXPECT_EQ(faults.Options.Sockets[5].Fault.Bit, 5);
    EXPECT_EQ(faults.Options.Sockets[6].Fault.Kind, TFaultKind::Address_Line_0);
    EXPECT_EQ(faults.Options.Sockets[6].Fault.Line, 15);
}

TEST(SimOptions, BadOptionsNameTheCause)
{
    const std::vector<std::vector<std::string>> bad = {
        {"--bogus"},
        {"--base", "FC00"}, // no room for the ECP register
        {"--base", "0"},
        {"--base", "3BX"},
        {"--base"},
        {"--socket", "6=2716"},
        {"--socket", "0=2716"},
        {"--socket", "1=2716X"},
        {"--socket", "1"},
        {"--socket", "1=empty,slow"},
        {"--socket", "1=2716,nocomplete"},   // EEPROM fault on an EPROM
        {"--socket", "1=28C16,slow"},        // EPROM fault on an EEPROM
        {"--socket", "1=28C16,sdp"},         // no software data protection
        {"--socket", "1=2716,stuck1:8@0"},   // no bit 8
        {"--socket", "1=2716,stuck1:1@800"}, // beyond a 2K part
        {"--socket", "1=2716,stuck1"},
        {"--socket", "1=2716,melted"},
        {"--socket", "1=27C64,data0:8"},  // no data line D8
        {"--socket", "1=27C64,addr1:13"}, // A13 is not a pin of an 8K part
        {"--socket", "1=27C64,addr1"},
        {"--access-us", "-1"},
        {"--access-us", "fast"},
        {"--trace", ""},
        {"--fast=yes"},
        {"378"},
    };
    for (const auto& args : bad) {
        const auto result = Parse_Sim_Options(args);
        EXPECT_FALSE(result.Ok) << args[0] << (args.size() > 1 ? " " + args[1] : "");
        EXPECT_FALSE(result.Error.empty());
    }
    EXPECT_NE(Parse_Sim_Options({"--bogus"}).Error.find("--bogus"), std::string::npos);
    EXPECT_NE(std::string(Sim_Usage_Text()).find("--socket"), std::string::npos);
}

TEST(SimChips, InsertRejectsUnknownTypesSocketsAndMismatchedFaults)
{
    TSimAdapter sim;
    EXPECT_THROW(sim.Insert_Chip(0, "2716"), std::invalid_argument);
    EXPECT_THROW(sim.Insert_Chip(6, "2716"), std::invalid_argument);
    EXPECT_THROW(sim.Insert_Chip(1, "2716A"), std::invalid_argument);
    EXPECT_THROW(sim.Insert_Chip(1, "2716", {TFaultKind::Page_Reads_Wrong}), std::invalid_argument);
    EXPECT_EQ(TSimAdapter::Known_Types().size(), 18u);
    EXPECT_TRUE(TSimAdapter::Is_Known_Type("27C512"));
    EXPECT_FALSE(TSimAdapter::Is_Known_Type("27C1024"));
    sim.Insert_Chip(3, "28C64");
    EXPECT_EQ(sim.Chip_Type(3), "28C64");
    EXPECT_EQ(sim.Chip_Byte(3, 0x1FFF), 0xFF);
    sim.Remove_Chip(3);
    EXPECT_FALSE(sim.Has_Chip(3));
    EXPECT_THROW(sim.Chip_Byte(3, 0), std::invalid_argument);
}

} // namespace
} // namespace gang::sim::test
