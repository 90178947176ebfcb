// Stopping and closing during a run, stop requests outside one, and the
// refusal to run without a device type.
#include "gang_rig.h"

#include <gtest/gtest.h>

namespace gang::test {
namespace {

TEST(GangStop, StopMidRunEndsAfterTheAddressInHand)
{
    TGangRig rig;
    rig.Select("2764", 2);
    rig.Fill_Random();
    rig.Host.Stop_At_Pump = rig.Host.Pumps + 40000;
    rig.Work.Program_EpromClick();

    const int32_t stopped = rig.Host.Request_Add;
    ASSERT_GT(stopped, 0x100);
    ASSERT_LT(stopped, 0x1FFF);
    EXPECT_EQ(rig.Counter(), Counter_Caption(stopped + 1));
    for (int s = 1; s <= 2; ++s) {
        EXPECT_EQ(rig.Socket_Text(s), std::to_string(s) + "-Programmed OK ");
        EXPECT_EQ(rig.Sim.Chip_Byte(s, static_cast<uint32_t>(stopped)),
                  rig.Buffer.Data[static_cast<std::size_t>(stopped)]);
        for (int32_t a = stopped + 1; a <= 0x1FFF; ++a)
            ASSERT_EQ(rig.Sim.Chip_Byte(s, static_cast<uint32_t>(a)), 0xFF) << s << "/" << a;
    }
    EXPECT_TRUE(rig.Form.Program_Eprom.Enabled());
    EXPECT_FALSE(rig.Form.StaticText2.Visible());
    rig.Expect_Clean_Run();
}

TEST(GangStop, StopMidPageEndsTheEepromRunAfterThatPage)
{
    TGangRig rig;
    rig.Select("28C64", 1);
    rig.Fill_Random();
    rig.Host.Stop_At_Pump = rig.Host.Pumps + 100;
    rig.Work.Program_EpromClick();
    const int32_t page = rig.Host.Request_Add & ~31;
    EXPECT_EQ(rig.Counter(), Counter_Caption(page + 32));
    EXPECT_EQ(rig.Sim.Chip_Byte(1, static_cast<uint32_t>(page + 31)), rig.Buffer.Data[page + 31]);
    EXPECT_EQ(rig.Sim.Chip_Byte(1, static_cast<uint32_t>(page + 32)), 0xFF);
    EXPECT_TRUE(rig.Form.Form.Enabled());
    rig.Expect_Clean_Run();
}

TEST(GangStop, StopRequestWhileIdleDoesNotShortenTheNextRun)
{
    TGangRig rig;
    rig.Select("2716", 2);
    rig.Fill_Random();
    rig.Work.Program_EpromClick();
    rig.Work.Quit_Func_ButClick();
    rig.Work.Verify_EpromClick();
    EXPECT_EQ(rig.Counter(), "&Quit = 0800");
    EXPECT_EQ(rig.Socket_Text(2), "2- Verified OK   ");
}

TEST(GangStop, ClosingMidRunLeavesNoPortAccessAfterTheRelease)
{
    TGangRig rig;
    rig.Select("2764", 2);
    rig.Fill_Random();
    uint64_t at_release = 0;
    bool rest_at_release = false;
    rig.Host.On_Port_Released = [&] {
        at_release = rig.Sim.Port_Accesses();
        rest_at_release = rig.Sim.At_Rest();
    };
    rig.Host.Close_At_Pump = rig.Host.Pumps + 40000;
    rig.Work.Program_EpromClick();

    ASSERT_TRUE(rig.Host.Closed);
    EXPECT_GT(at_release, 0u);
    EXPECT_EQ(rig.Sim.Port_Accesses(), at_release);
    // No programming voltage or strobe is left on the chips.
    EXPECT_TRUE(rest_at_release);
    EXPECT_TRUE(rig.Sim.At_Rest());
    EXPECT_EQ(rig.Sim.Bus_Conflicts(), 0u);
    EXPECT_EQ(rig.Sim.Overvoltage_Events(), 0u);
    // The run ended at the address in hand.
    EXPECT_EQ(rig.Sim.Chip_Byte(1, static_cast<uint32_t>(rig.Host.Request_Add + 1)), 0xFF);
}

TEST(GangStop, WithoutADeviceTypeNothingRunsAndNoLatchIsDriven)
{
    TGangRig rig;
    rig.Sel.Gang_Size = 2;
    rig.Sim.Insert_Chip(1, "2716");
    const uint64_t accesses = rig.Sim.Port_Accesses();
    rig.Work.Program_EpromClick();
    rig.Work.Verify_EpromClick();
    rig.Work.Move_EpromClick();
    rig.Work.Blank_ChkClick();
    EXPECT_EQ(rig.Host.Infos, std::vector<std::string>(4, "No Device Was Selected."));
    EXPECT_EQ(rig.Sim.Port_Accesses(), accesses);
    EXPECT_EQ(rig.Sim.Chip_Byte(1, 0), 0xFF);
}

TEST(GangStop, BlankCheckWithoutAProgrammerSaysSoFirst)
{
    TGangRig rig(true, 1, TGangRig::No_Adapter());
    const uint64_t accesses = rig.Sim.Port_Accesses();
    rig.Work.Blank_ChkClick();
    EXPECT_EQ(rig.Host.Infos, std::vector<std::string>{"The Tarvik Programmer was Not Found."});
    EXPECT_EQ(rig.Sim.Port_Accesses(), accesses);
    EXPECT_TRUE(rig.Form.Device.Enabled()); // the busy state ended
}

} // namespace
} // namespace gang::test
