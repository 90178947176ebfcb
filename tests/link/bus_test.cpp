// The adapter bus and port access on a recording port.
#include "link/latches.h"
#include "support/recording_port.h"

#include <gtest/gtest.h>

namespace gang::test {
namespace {

std::vector<std::pair<uint16_t, int>> Writes(const TRecordingPort& port)
{
    std::vector<std::pair<uint16_t, int>> out;
    for (const auto& a : port.Log)
        if (a.Kind == Op::Write)
            out.emplace_back(a.Port, a.Value);
    return out;
}

TEST(Bus, EachLatchHasItsOwnSelectSequence)
{
    struct Case {
        void (TLink::*Entry)();
        int Select;
    };
    const Case cases[] = {{&TLink::Write_Socket_Latch, 0x01}, {&TLink::Write_Vpp_Latch, 0x02},
                          {&TLink::Write_Latch_3, 0x03},      {&TLink::Write_Add_Lo_Latch, 0x09},
                          {&TLink::Write_Data_Latch, 0x0A},   {&TLink::Write_Add_Hi_Latch, 0x0B}};
    for (const auto& c : cases) {
        TPortRig rig;
        rig.Open();
        rig.Link.Latch_Byte = 0x0105; // only the low byte goes out
        (rig.Link.*c.Entry)();
        const std::vector<std::pair<uint16_t, int>> expected = {
            {0x378, 0x05},         {0x37A, c.Select}, {0x37A, c.Select | 4},
            {0x37A, c.Select | 4}, {0x37A, c.Select}, {0x37A, 0x00}};
        EXPECT_EQ(Writes(rig.Port), expected) << "select " << c.Select;
        EXPECT_EQ(rig.Port.Register_Accesses(), 6) << "a latch is never read back";
    }
}

TEST(Bus, ReadAssemblesTwoNibblesWithBit7Inverted)
{
    struct Case {
        uint8_t High_Status, Low_Status, Expected;
    };
    const Case cases[] = {{0x25, 0xDA, 0xA5}, {0x7F, 0x7F, 0xFF}, {0x20, 0xD0, 0xA5},
                          {0x2F, 0xDF, 0xA5}, {0x80, 0x80, 0x00}, {0x0F, 0xF0, 0x87}};
    for (const auto& c : cases) {
        TPortRig rig;
        rig.Open();
        rig.Link.Nibble_Delay = 5;
        rig.Port.Status_Script = {c.High_Status, c.Low_Status};
        rig.Link.Read_Bus();
        EXPECT_EQ(rig.Link.Read_Value, c.Expected)
            << std::hex << int(c.High_Status) << "/" << int(c.Low_Status);
        // High nibble with control 0x00, low nibble with 0x04, control back at 0x00.
        ASSERT_EQ(rig.Port.Log.size(), 5u);
        EXPECT_EQ(rig.Port.Log[0].Value, 0x00);
        EXPECT_EQ(rig.Port.Log[1].Kind, Op::Read);
        EXPECT_EQ(rig.Port.Log[1].Port, 0x379);
        EXPECT_EQ(rig.Port.Log[2].Value, 0x04);
        EXPECT_EQ(rig.Port.Log[3].Kind, Op::Read);
        EXPECT_EQ(rig.Port.Log[4].Value, 0x00);
    }
}

TEST(Bus, ResetLatchesOrderLeavesDataLatchAlone)
{
    TPortRig rig;
    rig.Open();
    rig.Link.Reset_Latches();
    const std::vector<TEvent> expected = {L(0x03, 0x00), L(0x02, 0x7F), L(0x01, 0x62),
                                          L(0x0B, 0x20), L(0x09, 0x00)};
    EXPECT_EQ(Decode(rig.Port.Log, 0x378), expected);
}

TEST(Bus, NothingReachesThePortOutsideEnableAndRelease)
{
    TPortRig rig;
    rig.Link.DataPort = 0x378;
    rig.Link.Latch_Byte = 0x55;
    rig.Link.Write_Data_Latch();
    rig.Link.Read_Bus();
    EXPECT_EQ(rig.Port.Register_Accesses(), 0) << "never enabled";

    rig.Open();
    rig.Link.Port_Release();
    rig.Port.Clear();
    rig.Link.Write_Socket_Latch();
    rig.Link.Reset_Latches();
    rig.Link.Read_Bus();
    rig.Link.Bus_Rest();
    EXPECT_EQ(rig.Port.Register_Accesses(), 0) << "released";
    EXPECT_EQ(rig.Link.Wait_Ms, 0);
}

TEST(PortAccess, EnableAndReleaseCallOrderOnNt)
{
    TPortRig rig;
    rig.Port.Nt = true;
    rig.Port.Ecr = 0x35;
    rig.Link.DataPort = 0x278;
    rig.Link.Port_Enable();
    ASSERT_EQ(rig.Port.Log.size(), 5u);
    EXPECT_EQ(rig.Port.Log[0].Kind, Op::FastMode);
    EXPECT_EQ(rig.Port.Log[0].Value, 0);
    EXPECT_EQ(rig.Port.Log[1].Kind, Op::Inp);
    EXPECT_EQ(rig.Port.Log[1].Port, 0x67A);
    EXPECT_EQ(rig.Port.Log[2].Kind, Op::Outp);
    EXPECT_EQ(rig.Port.Log[2].Value, 0x00);
    EXPECT_EQ(rig.Port.Log[3].Kind, Op::FastMode);
    EXPECT_EQ(rig.Port.Log[3].Value, 1);
    EXPECT_EQ(rig.Port.Log[4].Kind, Op::Enable);
    EXPECT_EQ(rig.Port.Log[4].Port, 0x278);
    EXPECT_EQ(rig.Port.Log[4].Value, 0x27A); // the ECR is not in the range
    EXPECT_EQ(rig.Link.Saved_Ecr, 0x35);
    EXPECT_TRUE(rig.Link.Port_Open);

    rig.Port.Clear();
    rig.Link.Port_Release();
    ASSERT_EQ(rig.Port.Log.size(), 3u);
    EXPECT_EQ(rig.Port.Log[0].Kind, Op::Disable);
    EXPECT_EQ(rig.Port.Log[1].Kind, Op::FastMode);
    EXPECT_EQ(rig.Port.Log[2].Kind, Op::Outp);
    EXPECT_EQ(rig.Port.Log[2].Value, 0x35);
    EXPECT_EQ(rig.Port.Ecr, 0x35);
}

TEST(PortAccess, NotNtOnlySavesAndRestoresTheEcr)
{
    TPortRig rig;
    rig.Link.DataPort = 0x378;
    rig.Link.Port_Enable();
    rig.Link.Port_Release();
    for (const auto& a : rig.Port.Log)
        EXPECT_TRUE(a.Kind == Op::FastMode || a.Kind == Op::Inp || a.Kind == Op::Outp);
    EXPECT_EQ(rig.Port.Ecr, 0x35);
}

TEST(PortAccess, EnableTwiceThenReleaseLeavesEcrAtZero)
{
    TPortRig rig;
    rig.Port.Nt = true;
    rig.Link.DataPort = 0x378;
    rig.Link.Port_Enable();
    rig.Link.Port_Enable();
    rig.Link.Port_Release();
    EXPECT_EQ(rig.Port.Ecr, 0x00);
}

TEST(PortAccess, EnableFailureShowsTheTextAndEndsTheProbeUntouched)
{
    TPortRig rig;
    rig.Port.Nt = true;
    rig.Port.Fail_Text = "Access denied";
    rig.Link.DataPort = 0x378;
    rig.Link.Probe_Port();
    ASSERT_EQ(rig.Host.Errors.size(), 1u);
    EXPECT_EQ(rig.Host.Errors[0], "Error:Access denied");
    EXPECT_TRUE(rig.Link.Enable_Failed);
    EXPECT_FALSE(rig.Link.Port_Open);
    EXPECT_EQ(rig.Form.StaticText3.Tag, 0);
    EXPECT_EQ(rig.Port.Register_Accesses(), 0);
    EXPECT_EQ(rig.Port.Ecr, 0x35) << "the ECR is given its value back";
}

TEST(PortAccess, ReleaseMidOperationTakesTheVoltageOffFirst)
{
    TPortRig rig;
    rig.Open();
    rig.Sel.Family = 2;
    rig.Sel.Gang_Size = 1;
    rig.Link.Vpp_Value = 0x0F;
    rig.Link.Prog_Config();
    ASSERT_TRUE(rig.Link.Latches_In_Use);
    rig.Port.Clear();
    rig.Link.Port_Release();
    const auto events = Decode(rig.Port.Log, 0x378);
    const std::vector<TEvent> expected = {L(0x03, 0x00),         L(0x02, 0x7F),
                                          L(0x01, 0x62),         L(0x0B, 0x20),
                                          L(0x09, 0x00),         {TEvent::Control, 0, 0x04},
                                          {TEvent::Other, 0, 0},  // fast mode off
                                          {TEvent::Other, 0, 0}}; // the ECR restore
    EXPECT_EQ(events, expected);

    // At rest (after Reset_Latches) the release touches no register.
    rig.Open();
    rig.Link.Reset_Latches();
    rig.Port.Clear();
    rig.Link.Port_Release();
    EXPECT_EQ(rig.Port.Register_Accesses(), 0);
}

} // namespace
} // namespace gang::test
