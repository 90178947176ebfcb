// The Buffer checksum over the chosen device's range.
#include "devices/device_rules.h"
#include "support/sim_rig.h"

#include <gtest/gtest.h>

namespace gang::test {
namespace {

TEST(CheckSum, AllErasedBufferPerDeviceSizeDropsTheCarries)
{
    const std::pair<const char*, const char*> cases[] = {
        {"2716", "CheckSum=F800"},  {"2732", "CheckSum=F000"},  {"2764", "CheckSum=E000"},
        {"27128", "CheckSum=C000"}, {"27256", "CheckSum=8000"}, {"27512", "CheckSum=0000"},
        {"28C16", "CheckSum=F800"}, {"28C256", "CheckSum=8000"}};
    TSimRig rig;
    rig.Buffer.Data.fill(0xFF);
    for (const auto& [type, caption] : cases) {
        rig.Select(type, 1);
        rig.Work.Chk_Sum_ButClick();
        EXPECT_EQ(rig.Form.Chk_Sum_But.Caption(), caption) << type;
    }
}

TEST(CheckSum, BeforeAnyTypeTheRangeIsAddressZero)
{
    TSimRig rig;
    rig.Buffer.Data.fill(0x11);
    rig.Buffer.Data[0] = 0xAB;
    rig.Work.Chk_Sum_ButClick();
    EXPECT_EQ(rig.Form.Chk_Sum_But.Caption(), "CheckSum=00AB");
    EXPECT_EQ(rig.Work.Check_Sum, 0x00AB);
}

TEST(CheckSum, BytesAboveTheRangePlayNoPart)
{
    TSimRig rig;
    for (const char* type : {"2716", "27C64", "27C512", "28C64"}) {
        rig.Select(type, 1);
        rig.Buffer.Data.fill(0);
        rig.Buffer.Data[0] = 1;
        rig.Buffer.Data[1] = 2;
        rig.Buffer.Data[2] = 3;
        rig.Buffer.Data[static_cast<std::size_t>(rig.Buffer.End_Of_Eprom)] = 0;
        if (rig.Buffer.End_Of_Eprom < 0xFFFF)
            rig.Buffer.Data[static_cast<std::size_t>(rig.Buffer.End_Of_Eprom + 1)] = 0x80;
        rig.Work.Make_Check_Sum();
        EXPECT_EQ(rig.Form.Chk_Sum_But.Caption(), "CheckSum=0006") << type;
    }
}

TEST(CheckSum, EndsTheBusyStateWithTheCounterReset)
{
    TSimRig rig;
    rig.Select("2716", 1);
    rig.Work.Start_Func();
    rig.Link.Cur_Add = 0x800;
    rig.Work.Make_Check_Sum();
    EXPECT_EQ(rig.Counter(), "&Quit = 0000");
    EXPECT_TRUE(rig.Form.Device.Enabled());
    EXPECT_TRUE(rig.Form.Chk_Sum_But.Enabled());
}

} // namespace
} // namespace gang::test
