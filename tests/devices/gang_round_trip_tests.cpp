// Every family, gangs of one and five, on the simulated adapter: blank
// check, program, verify, move and blank check again.
#include "core/hex_text.h"
#include "support/sim_rig.h"

#include <gtest/gtest.h>

namespace gang::test {
namespace {

struct TRoundTrip {
    const char* Type;
    int Gang;
};

std::ostream& operator<<(std::ostream& os, const TRoundTrip& r)
{
    return os << r.Gang << " x " << r.Type;
}

class GangRoundTrip : public ::testing::TestWithParam<TRoundTrip> {};

TEST_P(GangRoundTrip, ProgramVerifyMoveAndBlankCheck)
{
    const TRoundTrip p = GetParam();
    TSimRig rig;
    rig.Select(p.Type, p.Gang);
    const int32_t end = rig.Buffer.End_Of_Eprom;
    const std::string end_counter = Counter_Caption(end + 1);
    auto socket_texts = [&](const std::string& after_digit) {
        for (int s = 1; s <= 5; ++s)
            EXPECT_EQ(rig.Socket_Text(s), std::to_string(s) + after_digit) << s;
    };

    // Fresh chips are blank over the whole range.
    rig.Work.Blank_ChkClick();
    socket_texts("- Is Blank      ");
    EXPECT_EQ(rig.Counter(), end_counter);
    rig.Expect_Clean_Run();

    rig.Fill_Random();
    const TBuffer original = rig.Buffer;
    rig.Work.Program_EpromClick();
    socket_texts("-Programmed OK ");
    EXPECT_EQ(rig.Counter(), end_counter);
    for (int s = 1; s <= p.Gang; ++s)
        for (int32_t a = 0; a <= end; ++a)
            if (rig.Sim.Chip_Byte(s, static_cast<uint32_t>(a)) != original.Data[a]) {
                ADD_FAILURE() << "socket " << s << " address " << a;
                break;
            }
    EXPECT_TRUE(rig.Form.Program_Eprom.Enabled());
    rig.Expect_Clean_Run();

    rig.Work.Verify_EpromClick();
    socket_texts("- Verified OK   ");
    EXPECT_EQ(rig.Counter(), end_counter);
    rig.Expect_Clean_Run();

    // Move copies socket 1 only; the other sockets differ at one address.
    for (int s = 2; s <= p.Gang; ++s)
        rig.Sim.Set_Chip_Byte(s, 0x10, static_cast<uint8_t>(~original.Data[0x10]));
    rig.Buffer.Data.fill(0x5A);
    rig.Work.Move_EpromClick();
    EXPECT_TRUE(std::equal(original.Data.begin(), original.Data.begin() + end + 1,
                           rig.Buffer.Data.begin()));
    for (int32_t a = end + 1; a < Buffer_Size; ++a)
        ASSERT_EQ(rig.Buffer.Data[a], 0x5A) << "above the range at " << a;
    EXPECT_EQ(rig.Form.StaticText3.Caption(), "Device #1 Has Been Moved to Buffer....");
    EXPECT_EQ(rig.Form.Chk_Sum_But.Caption(),
              "CheckSum=" + IntToHex(Buffer_Check_Sum(original, 0, end), 4));
    EXPECT_EQ(rig.Counter(), "&Quit = 0000");
    rig.Expect_Clean_Run();

    // Programmed chips fail the blank check at the first programmed byte.
    int32_t first = 0;
    while (original.Data[first] == 0xFF)
        ++first;
    rig.Work.Blank_ChkClick();
    for (int s = 1; s <= p.Gang; ++s)
        EXPECT_EQ(rig.Socket_Text(s), std::to_string(s) + "-Is Not Blank");
    EXPECT_EQ(rig.Counter(), Counter_Caption(first + 1));
    EXPECT_TRUE(rig.Sim.At_Rest());
}

INSTANTIATE_TEST_SUITE_P(EveryFamily, GangRoundTrip,
                         ::testing::Values(TRoundTrip{"2716", 1}, TRoundTrip{"2716", 5},
                                           TRoundTrip{"2732A", 1}, TRoundTrip{"2732A", 5},
                                           TRoundTrip{"2764", 1}, TRoundTrip{"27C128", 5},
                                           TRoundTrip{"27C256", 1}, TRoundTrip{"27256", 5},
                                           TRoundTrip{"27C512", 1}, TRoundTrip{"27512", 5},
                                           TRoundTrip{"28C16", 1}, TRoundTrip{"28C16", 5},
                                           TRoundTrip{"28C64", 1}, TRoundTrip{"28C256", 5}));

} // namespace
} // namespace gang::test
