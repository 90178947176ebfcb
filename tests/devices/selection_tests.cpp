// The device list, the type setters, the voltage and the gang size.
#include "devices/device_rules.h"
#include "support/sim_rig.h"

#include <gtest/gtest.h>

#include <regex>
#include <set>

namespace gang::test {
namespace {

// What a list row itself promises: "(25V)" and "2K X 8"; the EEPROM rows
// print no voltage and run at 5 V.
struct TPrinted {
    std::string Vpp_Caption;
    int32_t End_Of_Eprom;
};

TPrinted Printed(const TDeviceType& row)
{
    std::cmatch m;
    const std::string text = row.List_Text;
    TPrinted p;
    EXPECT_TRUE(std::regex_search(row.List_Text, m, std::regex(R"((\d+)K X 8$)"))) << text;
    p.End_Of_Eprom = std::stoi(m[1].str()) * 1024 - 1;
    if (std::regex_search(row.List_Text, m, std::regex(R"(\((\d+(\.\d)?)V\))")))
        p.Vpp_Caption = "Vpp = " + m[1].str();
    else
        p.Vpp_Caption = "Vpp = 5";
    return p;
}

TEST(Catalogue, RowsAreTheDeviceListInOrder)
{
    const auto& rows = Device_Rows();
    std::set<std::string> names;
    int types = 0;
    for (int i = 0; i < Device_Row_Count; ++i) {
        const TDeviceType& row = rows[static_cast<std::size_t>(i)];
        EXPECT_EQ(row.Row, i);
        if (!row.Is_Type())
            continue;
        ++types;
        names.insert(row.Type_Name);
        EXPECT_EQ(std::strlen(row.List_Text), 38u) << row.List_Text;
        EXPECT_EQ(row.End_Of_Eprom(), Printed(row).End_Of_Eprom) << row.List_Text;
        EXPECT_TRUE(row.Family >= 1 && row.Family <= 8 && row.Family != 7);
    }
    EXPECT_EQ(types, 18);
    EXPECT_EQ(names.size(), 18u);
    EXPECT_STREQ(rows[0].List_Text, "                Eprom's");
    EXPECT_STREQ(rows[22].List_Text, "               EEprom's 5 Volts");
    for (int empty : {3, 7, 11, 15, 18, 21})
        EXPECT_STREQ(rows[static_cast<std::size_t>(empty)].List_Text, "");
    // Neighbours that are easy to swap.
    EXPECT_STREQ(rows[9].Type_Name, "2764A");
    EXPECT_STREQ(rows[10].Type_Name, "27C64");
    EXPECT_STREQ(rows[13].Type_Name, "27128A");
    EXPECT_STREQ(rows[14].Type_Name, "27C128");
    EXPECT_STREQ(rows[23].Type_Name, "28C16");
    EXPECT_FALSE(Is_Catalogue_Family(0));
    EXPECT_FALSE(Is_Catalogue_Family(7));
    EXPECT_TRUE(Is_Catalogue_Family(8));
}

TEST(Selection, EveryTypeRowSetsNameRangeFamilyAndItsPrintedVoltage)
{
    TSimRig rig;
    for (const TDeviceType& row : Device_Rows()) {
        if (!row.Is_Type())
            continue;
        // Start from a type with another voltage so leftovers would show.
        rig.Work.DeviceClick();
        rig.Work.Device_BoxClick(1); // 2716, 25 V
        rig.Work.Vpp_ButClick();     // 21 V by hand
        rig.Work.DeviceClick();
        rig.Work.Device_BoxClick(row.Row);
        EXPECT_EQ(rig.Form.Device.Caption(), row.Type_Name);
        EXPECT_EQ(rig.Buffer.End_Of_Eprom, Printed(row).End_Of_Eprom) << row.Type_Name;
        EXPECT_EQ(rig.Form.Device.Tag, row.Family) << row.Type_Name;
        EXPECT_EQ(rig.Form.Vpp_But.Caption(), Printed(row).Vpp_Caption) << row.Type_Name;
        EXPECT_EQ(rig.Buffer.Start_Of_Eprom, 0);
        EXPECT_TRUE(rig.Form.Num_Of_Devices.Visible());
        EXPECT_FALSE(rig.Form.Device_Box.Visible());
    }
    EXPECT_TRUE(rig.Host.Infos.empty());
}

TEST(Selection, VoltageFollowsTheLatestTypeNotTheOneBefore)
{
    TSimRig rig;
    rig.Work.DeviceClick();
    rig.Work.Device_BoxClick(1); // 2716 at 25 V
    rig.Work.DeviceClick();
    rig.Work.Device_BoxClick(16); // 27256 sets no voltage of its own
    EXPECT_EQ(rig.Form.Vpp_But.Tag, Vpp_12V5);
    EXPECT_EQ(rig.Form.Vpp_But.Caption(), "Vpp = 12.5");

    rig.Work.Vpp_ButClick(); // 25 V by hand
    rig.Work.DeviceClick();
    rig.Work.Device_BoxClick(24); // 28(C)64
    EXPECT_EQ(rig.Form.Device.Tag, 8);
    EXPECT_EQ(rig.Buffer.End_Of_Eprom, 0x1FFF);
    EXPECT_EQ(rig.Form.Vpp_But.Caption(), "Vpp = 5");
}

TEST(Selection, VoltageButtonCyclesOnlyTheHighVoltages)
{
    TSimRig rig;
    rig.Select("2716", 1);
    std::vector<std::string> seen;
    for (int i = 0; i < 3; ++i) {
        rig.Work.Vpp_ButClick();
        seen.push_back(rig.Form.Vpp_But.Caption());
    }
    EXPECT_EQ(seen, (std::vector<std::string>{"Vpp = 21", "Vpp = 12.5", "Vpp = 25"}));

    rig.Select("28C256", 1);
    for (int i = 0; i < 3; ++i) {
        rig.Work.Vpp_ButClick();
        EXPECT_EQ(rig.Form.Vpp_But.Caption(), "Vpp = 5");
    }
    EXPECT_EQ(Next_Vpp_Code(Vpp_12V), Vpp_12V);
    EXPECT_EQ(Next_Vpp_Code(0), 0);
}

TEST(Selection, HeaderOrEmptyRowKeepsTheTypeAndOffersTheListAgain)
{
    TSimRig rig;
    rig.Select("27C512", 2);
    for (int row : {3, 0, 22}) {
        rig.Host.Infos.clear();
        rig.Work.DeviceClick();
        rig.Work.Device_BoxClick(row);
        EXPECT_EQ(rig.Form.Device.Caption(), "No Device");
        EXPECT_EQ(rig.Form.Device.Tag, 5);
        EXPECT_EQ(rig.Buffer.End_Of_Eprom, 0xFFFF);
        EXPECT_EQ(rig.Form.Vpp_But.Tag, Vpp_12V5);
        EXPECT_EQ(rig.Host.Infos, std::vector<std::string>{"No Device Was Selected."});
        EXPECT_FALSE(rig.Form.Num_Of_Devices.Visible());
        // Still choosing: the buttons stay off and the list is back.
        EXPECT_TRUE(rig.Form.Device_Box.Visible());
        EXPECT_FALSE(rig.Form.Device.Enabled());
        EXPECT_FALSE(rig.Form.Program_Eprom.Enabled());
    }
    // A type picked from the offered list completes the selection.
    rig.Work.Device_BoxClick(17);
    rig.Work.Num_Of_DevicesClick(3);
    EXPECT_EQ(rig.Form.Device.Caption(), "3 - 27C256");
    EXPECT_TRUE(rig.Form.Program_Eprom.Enabled());
    EXPECT_FALSE(rig.Form.Device_Box.Visible());
}

TEST(Selection, NoRowSelectedKeepsThePreviousType)
{
    TSimRig rig;
    rig.Select("2732A", 1);
    rig.Work.DeviceClick();
    rig.Work.Device_BoxClick(-1);
    EXPECT_EQ(rig.Form.Device_Box.Tag, -1);
    EXPECT_EQ(rig.Form.Device.Tag, 2);
    EXPECT_EQ(rig.Buffer.End_Of_Eprom, 0x0FFF);
    EXPECT_TRUE(rig.Form.Num_Of_Devices.Visible());
    EXPECT_TRUE(rig.Host.Infos.empty());
}

TEST(Selection, StatusLineNamesThePortOrTheMissingProgrammer)
{
    TSimRig found;
    found.Work.DeviceClick();
    found.Work.Device_BoxClick(2);
    EXPECT_EQ(found.Form.StaticText3.Caption(), "The Tarvik Programmer was Found at 0378");

    TSimRig absent(true, 1, No_Adapter());
    absent.Work.DeviceClick();
    absent.Work.Device_BoxClick(2);
    EXPECT_EQ(absent.Form.StaticText3.Caption(), "The Tarvik Programmer was Not Found");
    EXPECT_EQ(absent.Form.Device.Caption(), "27C16"); // applied all the same
    absent.Work.Num_Of_DevicesClick(1);
    EXPECT_FALSE(absent.Form.Program_Eprom.Enabled());
    EXPECT_FALSE(absent.Form.Vpp_But.Enabled());
    EXPECT_TRUE(absent.Form.Device.Enabled());
}

TEST(GangSize, HeaderRowMeansOneAndTheListedSocketsShow)
{
    struct {
        int Click;
        int Gang;
    } const cases[] = {{0, 1}, {-1, 1}, {1, 1}, {3, 3}, {5, 5}};
    for (const auto& c : cases) {
        TSimRig rig;
        rig.Work.DeviceClick();
        rig.Work.Device_BoxClick(17); // 27C256
        rig.Work.Num_Of_DevicesClick(c.Click);
        EXPECT_EQ(rig.Form.Num_Of_Devices.Tag, c.Gang);
        EXPECT_EQ(rig.Form.Device.Caption(), std::to_string(c.Gang) + " - 27C256");
        for (int s = 1; s <= 5; ++s)
            EXPECT_EQ(rig.Form.Socket_Text(s).Visible(), s <= c.Gang) << "click " << c.Click;
        EXPECT_FALSE(rig.Form.Num_Of_Devices.Visible());
        EXPECT_TRUE(rig.Form.Device.Enabled()); // the selection's busy state ended
    }
}

TEST(GangSize, RangeCaptionsShowTheType)
{
    TSimRig rig;
    rig.Select("2716", 5);
    EXPECT_EQ(rig.Form.Start_Buf_Add.Caption(), "Start Of Buffer=0000");
    EXPECT_EQ(rig.Form.Start_Add.Caption(), "Start Of Eprom=0000");
    EXPECT_EQ(rig.Form.End_Add.Caption(), "End Of Eprom=07FF");
    rig.Select("27C512", 1);
    EXPECT_EQ(rig.Form.End_Add.Caption(), "End Of Eprom=FFFF");
}

TEST(Selection, OnTypeAppliedSeesEachAppliedType)
{
    TSimRig rig;
    std::vector<std::string> applied;
    rig.Work.OnTypeApplied = [&](const TDeviceType& t) { applied.push_back(t.Type_Name); };
    rig.Work.DeviceClick();
    rig.Work.Device_BoxClick(25);
    rig.Work.DeviceClick();
    rig.Work.Device_BoxClick(3);
    EXPECT_EQ(applied, std::vector<std::string>{"28C256"});
}

} // namespace
} // namespace gang::test
