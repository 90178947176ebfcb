// The --port value every program accepts.
#include "link/port_choice.h"

#include <gtest/gtest.h>

namespace gang {
namespace {

using TKind = TPortChoice::TKind;

TEST(PortChoice, ParsesBasesDevicesAndAuto)
{
    struct TCase {
        const char* Text;
        TKind Kind;
        uint16_t Base;
        int Index;
    };
    const TCase good[] = {
        {"D010", TKind::Base, 0xD010, -1},
        {"0xd010", TKind::Base, 0xD010, -1},
        {"378", TKind::Base, 0x378, -1},
        {"3bc", TKind::Base, 0x3BC, -1},
        {"FBFD", TKind::Base, 0xFBFD, -1},
        {"/dev/parport0", TKind::Device, 0, 0},
        {"/dev/parport12", TKind::Device, 0, 12},
        {"auto", TKind::Auto, 0, -1},
        {"AUTO", TKind::Auto, 0, -1},
    };
    for (const TCase& c : good) {
        const TPortChoiceResult r = Parse_Port_Choice(c.Text);
        ASSERT_TRUE(r.Ok) << c.Text << ": " << r.Error;
        EXPECT_EQ(r.Choice.Kind, c.Kind) << c.Text;
        EXPECT_EQ(r.Choice.Base, c.Base) << c.Text;
        EXPECT_EQ(r.Choice.Device_Index, c.Index) << c.Text;
    }

    // FBFE would put the ECP register beyond the I/O space.
    for (const char* bad : {"", "0", "0x", "FBFE", "10000", "D01G", "-378", " 378", "lpt1",
                            "/dev/parport", "/dev/parportx", "/dev/lp0"}) {
        const TPortChoiceResult r = Parse_Port_Choice(bad);
        EXPECT_FALSE(r.Ok) << bad;
        EXPECT_NE(r.Error.find(std::string("'") + bad + "'"), std::string::npos) << r.Error;
    }
}

} // namespace
} // namespace gang
