// The search on the three base addresses against a minimal echoing adapter.
#include "support/recording_port.h"

#include <gtest/gtest.h>

namespace gang::test {
namespace {

const char* const Not_Found = "The Tarvik Programmer Can Not\r\nBe Found On LPT1, LPT2 or "
                              "LPT3.\r\n\r\n..Make Sure Your Power Pack is Plugged In..";

std::vector<std::string> Log_Of(TPortRig& rig)
{
    return rig.Form.Memo1.Lines();
}

TEST(Discovery, AdapterAt378)
{
    TPortRig rig;
    rig.Port.Nt = true;
    rig.Port.Adapter_Base = 0x378;
    rig.Link.Find_Programmer();
    const std::vector<std::string> expected = {"Port Address - 0278 Expected - A5 / Found - 77",
                                               "Port Address - 0278 Expected - 5A / Found - 77",
                                               "Port Address - 0378 Expected - A5 / Found - A5",
                                               "Port Address - 0378 Expected - 5A / Found - 5A",
                                               "Port Address - 0378 Expected - A5 / Found - A5",
                                               "Port Address - 0378 Expected - 5A / Found - 5A"};
    EXPECT_EQ(Log_Of(rig), expected);
    EXPECT_EQ(rig.Form.StaticText3.Tag, 1);
    EXPECT_EQ(rig.Link.DataPort, 0x378);
    EXPECT_TRUE(rig.Link.Port_Open);
    EXPECT_EQ(rig.Link.Nibble_Delay, 3);
    EXPECT_EQ(rig.Link.Vpp_Value, 0xB0u);
    EXPECT_TRUE(rig.Form.Memo1.Visible());
    EXPECT_TRUE(rig.Host.Infos_At.empty());
    EXPECT_EQ(rig.Port.Accesses_At(0x3BC), 0);
    EXPECT_EQ(rig.Host.Armings, (std::vector<int>{1, 1, 300, 1}));
}

TEST(Discovery, AProbeIsResetVoltagePatternsRest)
{
    TPortRig rig;
    rig.Port.Adapter_Base = 0x278;
    rig.Link.Find_Programmer();
    EXPECT_EQ(Log_Of(rig).size(), 4u);
    EXPECT_EQ(rig.Port.Accesses_At(0x378), 0);
    EXPECT_EQ(rig.Port.Accesses_At(0x3BC), 0);
    EXPECT_EQ(rig.Link.DataPort, 0x278);
    EXPECT_EQ(rig.Form.StaticText3.Tag, 1);

    // The first probe on the wire.
    auto events = Decode(rig.Port.Log, 0x278);
    const std::vector<TEvent> probe = {L(0x03, 0x00), L(0x02, 0x7F),
                                       L(0x01, 0x62), L(0x0B, 0x20),
                                       L(0x09, 0x00), // reset
                                       L(0x02, 0xB7), L(0x0A, 0xA5),
                                       R(0xA5),       L(0x0A, 0x5A),
                                       R(0x5A),       {TEvent::Control, 0, 0x00},
                                       P(2),          {TEvent::Control, 0, 0x04}};
    ASSERT_GE(events.size(), probe.size() + 2);
    std::vector<TEvent> first;
    for (const auto& e : events)
        if (e.What != TEvent::Other)
            first.push_back(e);
    first.resize(probe.size());
    EXPECT_EQ(first, probe);
}

TEST(Discovery, NoAdapterAnywhere)
{
    TPortRig rig;
    rig.Port.Ecr = 0x2D;
    rig.Link.Find_Programmer();
    EXPECT_EQ(Log_Of(rig).size(), 6u);
    EXPECT_EQ(rig.Form.StaticText3.Tag, 0);
    EXPECT_EQ(rig.Link.DataPort, 0x3BC);
    EXPECT_FALSE(rig.Link.Port_Open);
    ASSERT_EQ(rig.Host.Infos_At.size(), 1u);
    EXPECT_EQ(rig.Host.Infos_At[0].Text, Not_Found);
    EXPECT_EQ(rig.Host.Infos_At[0].X, 375);
    EXPECT_EQ(rig.Host.Infos_At[0].Y, 175);
    EXPECT_EQ(rig.Port.Ecr, 0x2D) << "each failed probe gives the ECR back";
}

TEST(Discovery, ASingleWrongBitFailsTheAddress)
{
    for (uint8_t bad_pattern : {0xA5, 0x5A}) {
        TPortRig rig;
        rig.Port.Adapter_Base = 0x378;
        rig.Port.Echo = [=](uint8_t b) { return b == bad_pattern ? uint8_t(b ^ 0x10) : b; };
        rig.Link.Find_Programmer();
        EXPECT_EQ(rig.Form.StaticText3.Tag, 0);
        EXPECT_EQ(Log_Of(rig).size(), 6u);
        EXPECT_EQ(rig.Host.Infos_At.size(), 1u);
    }
}

TEST(Discovery, AnAdapterThatFailsTheConfirmation)
{
    TPortRig rig;
    rig.Port.Nt = true;
    rig.Port.Adapter_Base = 0x378;
    int reads = 0;
    rig.Port.Echo = [&](uint8_t b) { return ++reads > 2 ? uint8_t(~b) : b; };
    rig.Link.Find_Programmer();
    EXPECT_EQ(rig.Form.StaticText3.Tag, 0);
    EXPECT_EQ(Log_Of(rig).size(), 6u);
    EXPECT_EQ(rig.Host.Infos_At.size(), 1u);
    EXPECT_FALSE(rig.Link.Port_Open);
    int disables = 0;
    for (const auto& a : rig.Port.Log)
        disables += a.Kind == Op::Disable && a.Port == 0x378;
    EXPECT_EQ(disables, 2) << "the probe and the search both release";
}

TEST(Discovery, EnableFailuresEverywhere)
{
    TPortRig rig;
    rig.Port.Nt = true;
    rig.Port.Adapter_Base = 0x378;
    rig.Port.Fail_Text = "Operation not permitted";
    rig.Link.Find_Programmer();
    EXPECT_EQ(rig.Port.Register_Accesses(), 0);
    EXPECT_EQ(rig.Host.Errors.size(), 3u);
    EXPECT_EQ(rig.Host.Infos_At.size(), 1u);
    EXPECT_TRUE(Log_Of(rig).empty());
}

TEST(Discovery, APortHeldByAnotherProgramIsLoggedAndPassedOver)
{
    TPortRig rig;
    rig.Port.Nt = true;
    rig.Port.Adapter_Base = 0x378;
    rig.Port.Held_Base = 0x278;
    rig.Link.Find_Programmer();
    ASSERT_FALSE(Log_Of(rig).empty());
    EXPECT_EQ(Log_Of(rig).front(), "Port Address - 0278 In Use By Another Program");
    EXPECT_TRUE(rig.Host.Errors.empty()) << "no box for a held port";
    EXPECT_EQ(rig.Port.Accesses_At(0x278), 0);
    EXPECT_EQ(rig.Link.DataPort, 0x378);
    EXPECT_EQ(rig.Form.StaticText3.Tag, 1);
}

TEST(Discovery, ClosingDuringTheConfirmPauseEndsTheSearch)
{
    TPortRig rig;
    rig.Port.Adapter_Base = 0x378;
    rig.Host.On_Pump = [&](long) {
        // The close query during the 300 ms pause: the found flag is set, so
        // the window rests the bus and releases the port.
        if (!rig.Host.Armings.empty() && rig.Host.Armings.back() == 300 && rig.Link.Port_Open) {
            rig.Link.Shutting_Down = true;
            rig.Link.Quit_Flag = 5;
            rig.Link.Wait_Ms = 0;
            rig.Link.Port_Release();
            rig.Port.Clear();
        }
    };
    rig.Link.Find_Programmer();
    EXPECT_EQ(rig.Port.Register_Accesses(), 0);
    EXPECT_FALSE(rig.Link.Port_Open);
    EXPECT_EQ(rig.Form.StaticText3.Tag, 0);
    EXPECT_TRUE(rig.Host.Infos_At.empty());
}

} // namespace
} // namespace gang::test
