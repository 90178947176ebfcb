// Realistic pulse timing on small types: a pulse unit of 1/750 s made of
// message pumps, the chips' own programming behaviour.
#include "support/sim_rig.h"

#include <gtest/gtest.h>

#include <map>

namespace gang::test {
namespace {

// 100 pumps of 13.33 us make one pulse unit of 1/750 s.
constexpr uint32_t Pumps_Per_Unit = 100;
constexpr double Us_Per_Pump = 1e6 / 750.0 / Pumps_Per_Unit;

std::map<int, int> Pulses_Per_Byte(const TSimRig& rig)
{
    std::map<std::pair<int, uint32_t>, int> per_byte;
    for (const sim::TStrobeEvent& e : rig.Sim.Strobes())
        ++per_byte[{e.Socket, e.Address}];
    std::map<int, int> histogram;
    for (const auto& [key, count] : per_byte)
        ++histogram[count];
    return histogram;
}

void Program_With_Real_Timing(TSimRig& rig, const char* type)
{
    rig.Host.Us_Per_Pump = Us_Per_Pump;
    rig.Select(type, 2);
    rig.Buffer.Data.fill(0xFF);
    for (int32_t a = 0; a <= rig.Buffer.End_Of_Eprom; ++a)
        rig.Buffer.Data[a] = static_cast<uint8_t>(a * 7 + 1) & 0x7F; // never erased
    rig.Work.Program_EpromClick();
    EXPECT_EQ(rig.Socket_Text(1), "1-Programmed OK ");
    EXPECT_EQ(rig.Socket_Text(2), "2-Programmed OK ");
    rig.Expect_Clean_Run();
    rig.Work.Verify_EpromClick();
    EXPECT_EQ(rig.Socket_Text(1), "1- Verified OK   ");
    EXPECT_EQ(rig.Socket_Text(2), "2- Verified OK   ");
}

TEST(RealTiming, CmosChipsTakeTheFirstPulseAndTheOverProgramPulse)
{
    for (const char* type : {"27C16", "27C32"}) {
        TSimRig rig(false, Pumps_Per_Unit);
        Program_With_Real_Timing(rig, type);
        EXPECT_EQ(Pulses_Per_Byte(rig),
                  (std::map<int, int>{{2, 2 * (rig.Buffer.End_Of_Eprom + 1)}}))
            << type;
    }
}

TEST(RealTiming, NmosChipsAreBroughtUpByTheDoublingPulses)
{
    // These want about 50 ms of programming: the doubling widths reach it
    // within the eight pulses, and the over-program pulse follows.
    for (const char* type : {"2716", "2732A"}) {
        TSimRig rig(false, Pumps_Per_Unit);
        Program_With_Real_Timing(rig, type);
        for (const auto& [pulses, bytes] : Pulses_Per_Byte(rig))
            EXPECT_TRUE(pulses >= 3 && pulses <= 8)
                << type << ": " << bytes << " bytes took " << pulses << " pulses";
    }
}

TEST(RealTimingEeprom, ByteWritesPollUntilTheChipIsDone)
{
    TSimRig rig(false, Pumps_Per_Unit);
    rig.Host.Us_Per_Pump = Us_Per_Pump;
    rig.Select("28C16", 2);
    rig.Fill_Random();
    rig.Work.Program_EpromClick();
    EXPECT_EQ(rig.Socket_Text(1), "1-Programmed OK ");
    EXPECT_EQ(rig.Socket_Text(2), "2-Programmed OK ");
    rig.Expect_Clean_Run();
    rig.Work.Verify_EpromClick();
    EXPECT_EQ(rig.Socket_Text(2), "2- Verified OK   ");
}

} // namespace
} // namespace gang::test
