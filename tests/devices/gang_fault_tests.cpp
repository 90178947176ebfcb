// Failing sockets on the simulated adapter: stuck bits, EEPROMs that never
// finish, pages that read back wrong, and a gang that fails as a whole.
#include "devices/diagnosis.h"
#include "support/sim_rig.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace gang::test {
namespace {

using sim::TFault;
using sim::TFaultKind;

int Strobes_At(const TSimRig& rig, int socket, uint32_t first, uint32_t last)
{
    int n = 0;
    for (const sim::TStrobeEvent& e : rig.Sim.Strobes())
        if (e.Socket == socket && e.Address >= first && e.Address <= last)
            ++n;
    return n;
}

TEST(GangFaults, StuckBitFailsItsSocketWhileTheOthersFinish)
{
    TSimRig rig;
    const uint32_t bad = 0x123;
    rig.Select("2716", 3, TFault{TFaultKind::Stuck_At_1, 3, bad, -1}, 2);
    rig.Fill_Random();
    rig.Buffer.Data[bad] = 0x00; // bit 3 must go to 0 there
    rig.Work.Program_EpromClick();

    EXPECT_EQ(rig.Socket_Text(1), "1-Programmed OK ");
    EXPECT_EQ(rig.Socket_Text(2), "2-Not Programmed");
    EXPECT_EQ(rig.Socket_Text(3), "3-Programmed OK ");
    EXPECT_EQ(rig.Counter(), "&Quit = 0800");
    // Eight pulses (2 to 256 units) at the bad address, none after it.
    EXPECT_EQ(Strobes_At(rig, 2, bad, bad), 8);
    EXPECT_EQ(Strobes_At(rig, 2, bad + 1, 0x7FF), 0);
    EXPECT_EQ(rig.Sim.Chip_Byte(2, 0x7FF), 0xFF);
    for (int s : {1, 3})
        EXPECT_EQ(rig.Sim.Chip_Byte(s, 0x7FF), rig.Buffer.Data[0x7FF]);
    rig.Expect_Clean_Run();

    rig.Work.Verify_EpromClick();
    EXPECT_EQ(rig.Socket_Text(1), "1- Verified OK   ");
    EXPECT_EQ(rig.Socket_Text(2), "2-Didn't Verify");
    EXPECT_EQ(rig.Socket_Text(3), "3- Verified OK   ");
}

TEST(GangFaults, BitStuckAtZeroFailsBlankCheckAndTheFirstPulse)
{
    TSimRig rig;
    const uint32_t bad = 0x40;
    rig.Select("2732A", 2, TFault{TFaultKind::Stuck_At_0, 7, bad, -1}, 1);
    rig.Work.Blank_ChkClick();
    EXPECT_EQ(rig.Socket_Text(1), "1-Is Not Blank");
    EXPECT_EQ(rig.Socket_Text(2), "2- Is Blank      ");
    EXPECT_EQ(rig.Counter(), "&Quit = 1000");

    rig.Buffer.Data.fill(0xFF);
    rig.Buffer.Data[bad] = 0x81; // reads back 0x01: no pulse can help
    rig.Sim.Clear_Events();
    rig.Work.Program_EpromClick();
    EXPECT_EQ(rig.Socket_Text(1), "1-Not Programmed");
    EXPECT_EQ(rig.Socket_Text(2), "2-Programmed OK ");
    EXPECT_EQ(Strobes_At(rig, 1, bad, bad), 1);
    EXPECT_EQ(Strobes_At(rig, 2, bad, bad), 2); // first pulse and over-program pulse
    rig.Expect_Clean_Run();
}

TEST(GangFaults, WhenEverySocketFailsTheRunEndsAfterThatAddress)
{
    TSimRig rig;
    const uint32_t bad = 0x0123;
    rig.Select("2764", 2, TFault{TFaultKind::Stuck_At_1, 0, bad, -1}, 1);
    rig.Sim.Insert_Chip(2, "2764", TFault{TFaultKind::Stuck_At_1, 0, bad, -1});
    rig.Fill_Random();
    rig.Buffer.Data[bad] = 0xF0;
    rig.Work.Program_EpromClick();
    EXPECT_EQ(rig.Socket_Text(1), "1-Not Programmed");
    EXPECT_EQ(rig.Socket_Text(2), "2-Not Programmed");
    EXPECT_EQ(rig.Counter(), Counter_Caption(bad + 1));
    for (int s : {1, 2}) {
        EXPECT_EQ(Strobes_At(rig, s, bad + 1, 0x1FFF), 0);
        EXPECT_EQ(rig.Sim.Chip_Byte(s, bad + 1), 0xFF);
    }
    rig.Expect_Clean_Run();

    // The blank check of two programmed chips also ends at the first address
    // where the second of them fails.
    rig.Sim.Insert_Chip(1, "2764");
    rig.Sim.Insert_Chip(2, "2764");
    rig.Sim.Set_Chip_Byte(1, 0x10, 0x00);
    rig.Sim.Set_Chip_Byte(2, 0x20, 0x00);
    rig.Work.Blank_ChkClick();
    EXPECT_EQ(rig.Counter(), "&Quit = 0021");
}

TEST(GangFaults, EepromThatNeverFinishesFailsAfter4096Polls)
{
    // The chip stays busy after its first write.  Each poll processes
    // messages once; besides the polls the run pumps once in Start_Func, once
    // for the settling wait and once in End_Func.
    TSimRig rig;
    rig.Select("28C16", 1, TFault{TFaultKind::Write_Never_Completes, 0, 0, -1}, 1);
    rig.Fill_Random();
    const long pumps = rig.Host.Pumps;
    rig.Work.Program_EpromClick();
    EXPECT_EQ(rig.Socket_Text(1), "1-Not Programmed");
    EXPECT_EQ(rig.Counter(), "&Quit = 0001");
    EXPECT_EQ(rig.Host.Pumps - pumps, 3 + 4096);
    EXPECT_EQ(rig.Sim.Bus_Conflicts(), 0u);
    EXPECT_TRUE(rig.Sim.At_Rest());
}

TEST(GangFaults, EepromSocketThatNeverFinishesLeavesTheOthersRunning)
{
    TSimRig rig;
    rig.Select("28C16", 2, TFault{TFaultKind::Write_Never_Completes, 0, 0, -1}, 2);
    rig.Fill_Random();
    rig.Work.Program_EpromClick();
    EXPECT_EQ(rig.Socket_Text(1), "1-Programmed OK ");
    EXPECT_EQ(rig.Socket_Text(2), "2-Not Programmed");
    EXPECT_EQ(rig.Counter(), "&Quit = 0800");
    EXPECT_EQ(rig.Sim.Chip_Byte(1, 0x7FF), rig.Buffer.Data[0x7FF]);
}

TEST(GangFaults, PageThatNeverReadsBackRightFailsAfterTenTries)
{
    TSimRig rig;
    const uint32_t page = 0x0040;
    rig.Select("28C64", 2, TFault{TFaultKind::Page_Reads_Wrong, 0, page, -1}, 2);
    rig.Fill_Random();
    rig.Work.Program_EpromClick();
    EXPECT_EQ(rig.Socket_Text(1), "1-Programmed OK ");
    EXPECT_EQ(rig.Socket_Text(2), "2-Not Programmed");
    EXPECT_EQ(Strobes_At(rig, 2, page, page + 31), 10 * 32);
    EXPECT_EQ(Strobes_At(rig, 1, page, page + 31), 32);
    // Beyond the page only the unlock's six command bytes (at 1555 and 0AAA
    // on a 28C64), sent before the first page.
    EXPECT_EQ(Strobes_At(rig, 2, page + 32, 0x1FFF), 6);
    EXPECT_EQ(rig.Counter(), "&Quit = 2000");
    EXPECT_TRUE(rig.Form.Form.Enabled());
    rig.Expect_Clean_Run();
}

TEST(GangFaults, WriteProtectedChipPerProtectionMode)
{
    TSimRig rig;
    rig.Select("28C256", 3, TFault{TFaultKind::Sdp_Locked}, 2);
    rig.Fill_Random();
    auto programmed = [&](int s, const std::vector<uint8_t>& image) {
        for (uint32_t a : {0x0000u, 0x1555u, 0x5555u, 0x7FFFu})
            if (rig.Sim.Chip_Byte(s, a) != image[a])
                return false;
        return true;
    };
    const std::vector<uint8_t> first(rig.Buffer.Data.begin(), rig.Buffer.Data.begin() + 0x8000);

    // Keep: nothing is sent, the locked chip takes no byte of its first page.
    rig.Sel.Sdp = TSdp_Mode::Keep;
    rig.Work.Program_EpromClick();
    EXPECT_EQ(rig.Socket_Text(1), "1-Programmed OK ");
    EXPECT_EQ(rig.Socket_Text(2), "2-Not Programmed");
    EXPECT_EQ(rig.Sim.Chip_Byte(2, 0x0000), 0xFF);

    // Lock: unlocked, programmed, locked again.
    rig.Sel.Sdp = TSdp_Mode::Lock;
    rig.Work.Program_EpromClick();
    for (int s = 1; s <= 3; ++s) {
        EXPECT_EQ(rig.Socket_Text(s), std::to_string(s) + "-Programmed OK ");
        EXPECT_TRUE(programmed(s, first)) << s;
    }
    rig.Expect_Clean_Run();

    // Now every chip ignores writes without the enable triple.
    rig.Fill_Random(11);
    rig.Sel.Sdp = TSdp_Mode::Keep;
    rig.Work.Program_EpromClick();
    for (int s = 1; s <= 3; ++s) {
        EXPECT_EQ(rig.Socket_Text(s), std::to_string(s) + "-Not Programmed");
        EXPECT_TRUE(programmed(s, first)) << s;
    }
}

TEST(GangFaults, LastPageGetsItsRetriesLikeAnyOther)
{
    // The last page reads back right only on its second try.
    TSimRig rig;
    const uint32_t last_page = 0x1FE0;
    rig.Select("28C64", 1, TFault{TFaultKind::Page_Reads_Wrong, 0, last_page, 1}, 1);
    rig.Fill_Random();
    rig.Work.Program_EpromClick();
    EXPECT_EQ(rig.Socket_Text(1), "1-Programmed OK ");
    EXPECT_EQ(Strobes_At(rig, 1, last_page, last_page + 31), 2 * 32);
    EXPECT_EQ(rig.Counter(), "&Quit = 2000");
    rig.Expect_Clean_Run();
    rig.Work.Verify_EpromClick();
    EXPECT_EQ(rig.Socket_Text(1), "1- Verified OK   ");
}

// A chip that holds the image, in a socket whose A7 is held low: read over
// the range, socket 2 alone shows every upper half as its lower half, and
// its diagnosis names the line.
TEST(GangFaults, ASocketReadOverTheRangeShowsItsHeldAddressLine)
{
    TSimRig rig;
    rig.Select("27C64", 3, TFault{TFaultKind::Address_Line_0, 0, 0, -1, 7}, 2);
    rig.Fill_Random();
    for (uint32_t a = 0; a <= 0x1FFF; ++a)
        rig.Sim.Set_Chip_Byte(2, a, rig.Buffer.Data[a]);

    std::vector<uint8_t> bytes;
    ASSERT_TRUE(rig.Work.Read_Socket_Range(2, bytes));
    ASSERT_EQ(bytes.size(), 0x2000u);
    for (uint32_t a = 0; a <= 0x1FFF; ++a)
        ASSERT_EQ(bytes[a], rig.Buffer.Data[a & ~0x80u]) << a;
    EXPECT_TRUE(rig.Sim.At_Rest());
    EXPECT_EQ(rig.Sim.Bus_Conflicts(), 0u);

    const std::vector<uint8_t> image(rig.Buffer.Data.begin(), rig.Buffer.Data.begin() + 0x2000);
    const TDiagnosis diagnosis = Diagnose_Socket(image, bytes, 0);
    ASSERT_TRUE(diagnosis.Address_Line);
    EXPECT_EQ(diagnosis.Address_Line->Line, 7);
    EXPECT_EQ(diagnosis.Address_Line->Level, 0);
}

} // namespace
} // namespace gang::test
