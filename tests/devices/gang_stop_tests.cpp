// Stopping and closing during a run, stop requests outside one, and the
// refusal to run without a device type.
#include "core/hex_text.h"
#include "support/sim_rig.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace gang::test {
namespace {

// The stop button is clicked at the given pump of the run; returns the
// address in hand then.
int32_t Stop_Program_Run_At(TSimRig& rig, long pumps_into_run)
{
    const long at = rig.Host.Pumps + pumps_into_run;
    int32_t stopped = -1;
    rig.Host.On_Pump = [&](long pump) {
        if (pump == at) {
            stopped = rig.Link.Cur_Add;
            rig.Work.Quit_Func_ButClick();
        }
    };
    rig.Handle([&] { rig.Work.Program_EpromClick(); });
    rig.Host.On_Pump = nullptr;
    return stopped;
}

TEST(GangStop, StopMidRunEndsAfterTheAddressInHand)
{
    TSimRig rig;
    rig.Select("2764", 2);
    rig.Fill_Random();
    const int32_t stopped = Stop_Program_Run_At(rig, 40000);
    ASSERT_GT(stopped, 0x100);
    ASSERT_LT(stopped, 0x1FFF);
    EXPECT_EQ(rig.Counter(), Counter_Caption(stopped + 1));
    for (int s = 1; s <= 2; ++s) {
        EXPECT_EQ(rig.Socket_Text(s),
                  std::to_string(s) + "-Stopped at " + IntToHex(stopped + 1, 4));
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
    TSimRig rig;
    rig.Select("28C64", 1);
    rig.Fill_Random();
    const int32_t page = Stop_Program_Run_At(rig, 100) & ~31;
    EXPECT_EQ(rig.Counter(), Counter_Caption(page + 32));
    EXPECT_EQ(rig.Sim.Chip_Byte(1, static_cast<uint32_t>(page + 31)), rig.Buffer.Data[page + 31]);
    EXPECT_EQ(rig.Sim.Chip_Byte(1, static_cast<uint32_t>(page + 32)), 0xFF);
    EXPECT_TRUE(rig.Form.Form.Enabled());
    rig.Expect_Clean_Run();
}

// The read of one failed socket for its diagnosis stops as any run does.
TEST(GangStop, StopEndsTheReadOfOneSocketAfterTheAddressInHand)
{
    struct TStop_At : TRecordedReport {
        std::function<void(int32_t)> At;
        void Counter(int32_t address) override
        {
            if (At)
                At(address);
        }
    } out;
    TSimRig rig(true, 1, {}, &out);
    out.At = [&](int32_t address) {
        if (address == 0x1000)
            rig.Work.Quit_Func_ButClick();
    };
    rig.Select("27C64", 2);
    std::vector<uint8_t> bytes;
    EXPECT_FALSE(rig.Work.Read_Socket_Range(2, bytes));
    EXPECT_EQ(bytes.size(), 0x1001u);
    EXPECT_TRUE(rig.Sim.At_Rest());
}

TEST(GangStop, StopRequestWhileIdleDoesNotShortenTheNextRun)
{
    TSimRig rig;
    rig.Select("2716", 2);
    rig.Fill_Random();
    rig.Work.Program_EpromClick();
    rig.Work.Quit_Func_ButClick();
    rig.Work.Verify_EpromClick();
    EXPECT_EQ(rig.Counter(), "&Quit = 0800");
    EXPECT_EQ(rig.Socket_Text(2), "2- Verified OK   ");
}

TEST(GangStop, WithoutADeviceTypeNothingRunsAndNoLatchIsDriven)
{
    TSimRig rig;
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
    TSimRig rig(true, 1, No_Adapter());
    const uint64_t accesses = rig.Sim.Port_Accesses();
    rig.Work.Blank_ChkClick();
    EXPECT_EQ(rig.Host.Infos, std::vector<std::string>{"The Tarvik Programmer was Not Found."});
    EXPECT_EQ(rig.Sim.Port_Accesses(), accesses);
    EXPECT_TRUE(rig.Form.Device.Enabled()); // the busy state ended
}

} // namespace
} // namespace gang::test
