// A whole gang run driven without a window: the link and the device work
// report through a recording front end and read a plain selection.
#include "core/hex_text.h"
#include "support/sim_rig.h"
#include "texts/result_text.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace gang::test {
namespace {

using sim::TFault;
using sim::TFaultKind;

TEST(FrontEnd, ProgramAndVerifyReportEachSocketAndWhereItFailed)
{
    TRecordedReport out;
    TSimRig rig(true, 1, {}, &out);
    const int32_t bad = 0x345;
    rig.Select("28C64", 3, TFault{TFaultKind::Stuck_At_1, 3, bad, -1}, 2);
    rig.Fill_Random();
    rig.Buffer.Data[bad] = 0x00;

    rig.Work.Program_EpromClick();
    EXPECT_EQ(out.Operations.back(), "Programming Device from Buffer....");
    EXPECT_EQ(out.Texts[3], "3-Programmed OK ");
    ASSERT_EQ(out.Failures.size(), 1u);
    // A page write fails as a whole; the result names its first byte that
    // differs, with the byte written and the byte read back.
    EXPECT_EQ(Socket_Result_Detail(2, out.Failures[2]),
              "2-Not Programmed at " + IntToHex(bad, 4) + ": expected 00, read 08");
    EXPECT_EQ(rig.Link.Gang_State().Result(2).Address, bad);
    EXPECT_GT(out.Window_Disabled, 0);
    // Progress every 256 addresses, then where the run ended.
    EXPECT_EQ(out.Counters.back(), 0x2000);
    EXPECT_NE(std::find(out.Counters.begin(), out.Counters.end(), 0x1F00), out.Counters.end());
    rig.Expect_Clean_Run();

    rig.Work.Verify_EpromClick();
    ASSERT_EQ(out.Failures.size(), 1u);
    EXPECT_EQ(Socket_Result_Detail(2, out.Failures[2]),
              "2-Didn't Verify at " + IntToHex(bad, 4) + ": expected 00, read 08");
    EXPECT_FALSE(rig.Link.Gang_State().Result(1).Failed());
    EXPECT_FALSE(rig.Link.Gang_State().Result(3).Failed());

    // In a run of several steps a socket that failed sits the later ones
    // out: skipped, not failed again, its first failure kept.
    rig.Link.New_Run();
    rig.Work.Verify_EpromClick();
    ASSERT_EQ(out.Failures.size(), 1u);
    rig.Work.Verify_EpromClick();
    EXPECT_TRUE(out.Failures.empty());
    EXPECT_TRUE(rig.Link.Socket_Fail(2));
    EXPECT_EQ(rig.Link.Gang_State().Result(2).Kind, TResult_Kind::Not_Verified);

    // Nothing went to the window's controls.
    EXPECT_EQ(rig.Form.Device_2.Caption(), "");
    EXPECT_EQ(rig.Form.Quit_Func_But.Caption(), "&Quit = 00000");
}

} // namespace
} // namespace gang::test
