// The voltage settings: latch values, captions and the found-flag gate.
#include "support/recording_port.h"

#include <gtest/gtest.h>

namespace gang::test {
namespace {

TEST(SetVpp, EveryCodeGivesItsValuesAndCaption)
{
    const struct {
        int Code;
        uint8_t Vpp, L3;
        const char* Caption;
    } cases[] = {{1, 0x0F, 0x80, "Vpp = 25"},    {2, 0x1F, 0x80, "Vpp = 21"},
                 {3, 0xBF, 0x80, "Vpp = 12.5"},  {4, 0x3F, 0x00, "Vpp = 12"},
                 {5, 0x3F, 0x00, "Vpp = 5"},     {0, 0x3F, 0x00, " Vpp = 12.5"},
                 {6, 0x3F, 0x00, " Vpp = 12.5"}, {-1, 0x3F, 0x00, " Vpp = 12.5"}};
    for (const auto& c : cases) {
        TPortRig rig;
        rig.Open();
        rig.Sel.Vpp_Code = c.Code;
        rig.Link.Set_Vpp();
        EXPECT_EQ(rig.Link.Vpp_Value, c.Vpp) << c.Code;
        EXPECT_EQ(rig.Link.Latch_3_Value, c.L3) << c.Code;
        EXPECT_EQ(rig.Form.Vpp_But.Caption(), c.Caption) << c.Code;
        // Latch_3 first, then Vpp_Latch.
        EXPECT_EQ(Decode(rig.Port.Log, 0x378), (std::vector<TEvent>{L(0x03, c.L3), L(0x02, c.Vpp)}))
            << c.Code;
    }
}

TEST(SetVpp, WithoutAProgrammerNoPortIsTouched)
{
    TPortRig rig;
    rig.Open();
    rig.Sel.Found = false;
    rig.Sel.Vpp_Code = 2;
    rig.Link.Set_Vpp();
    EXPECT_EQ(rig.Port.Register_Accesses(), 0);
    EXPECT_EQ(rig.Link.Vpp_Value, 0x1Fu);
    EXPECT_EQ(rig.Form.Vpp_But.Caption(), "Vpp = 21");
}

} // namespace
} // namespace gang::test
