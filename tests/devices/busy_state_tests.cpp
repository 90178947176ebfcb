// The busy state: which buttons it takes away and gives back, the counter,
// the gang's socket state and stop requests outside a run.
#include "devices/device_rules.h"
#include "link/address_map.h"
#include "support/sim_rig.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace gang::test {
namespace {

std::vector<std::string> Disabled(TFormModel& form)
{
    std::vector<std::string> names;
    for (TControl* c : form.All())
        if (!c->Enabled())
            names.push_back(c->Name);
    return names;
}

TEST(BusyState, StartDisablesTheSeventeenButtonsInOrder)
{
    TSimRig rig;
    rig.Select("2764", 2);
    std::vector<std::string> order;
    for (TControl* c : rig.Form.All())
        c->OnChange = [&order](const TControl& changed) {
            if (!changed.Enabled())
                order.push_back(changed.Name);
        };
    rig.Link.Cur_Add = 0x1234;
    const long pumps = rig.Host.Pumps;
    rig.Work.Start_Func();
    EXPECT_EQ(order,
              (std::vector<std::string>{"Quit_Func_But", "Program_Eprom", "Verify_Eprom",
                                        "Chk_Sum_But", "Move_Eprom", "Start_Buf_Add", "Blank_Chk",
                                        "Start_Add", "Save_But", "Load_But", "File_But", "Vpp_But",
                                        "End_Add", "Device", "Scale", "Edit", "Fill"}));
    EXPECT_TRUE(rig.Form.Quit_But.Enabled());
    EXPECT_TRUE(rig.Form.StaticText3.Enabled());
    EXPECT_FALSE(rig.Form.Memo1.Visible());
    EXPECT_EQ(rig.Counter(), "&Quit = 0000"); // after the reset, not the old address
    EXPECT_EQ(rig.Host.Pumps, pumps + 1);
}

TEST(BusyState, EndEnablesDeviceButtonsOnlyWithAProgrammer)
{
    std::vector<std::string> device_buttons = {"Program_Eprom", "Verify_Eprom", "Move_Eprom",
                                               "Blank_Chk", "Vpp_But"};
    TSimRig found;
    found.Work.Start_Func();
    found.Work.End_Func();
    EXPECT_TRUE(Disabled(found.Form).empty());

    TSimRig absent(true, 1, No_Adapter());
    absent.Work.Start_Func();
    absent.Work.End_Func();
    std::vector<std::string> disabled = Disabled(absent.Form);
    std::sort(disabled.begin(), disabled.end());
    std::sort(device_buttons.begin(), device_buttons.end());
    EXPECT_EQ(disabled, device_buttons);
}

TEST(BusyState, EndHidesThePopUpsButNotTheDeviceList)
{
    TSimRig rig;
    for (TControl* c : {&rig.Form.FillBox, &rig.Form.FillEdit, &rig.Form.File_Type,
                        &rig.Form.StaticText2, &rig.Form.Num_Of_Devices, &rig.Form.Device_Box})
        c->SetVisible(true);
    rig.Work.End_Func();
    EXPECT_FALSE(rig.Form.FillBox.Visible());
    EXPECT_FALSE(rig.Form.FillEdit.Visible());
    EXPECT_FALSE(rig.Form.File_Type.Visible());
    EXPECT_FALSE(rig.Form.StaticText2.Visible());
    EXPECT_FALSE(rig.Form.Num_Of_Devices.Visible());
    EXPECT_TRUE(rig.Form.Device_Box.Visible());
}

TEST(BusyState, EndShowsTheAddressWhereTheRunEndedThenResets)
{
    TSimRig rig;
    rig.Link.Cur_Add = 0x800;
    rig.Work.End_Func();
    EXPECT_EQ(rig.Counter(), "&Quit = 0800");
    EXPECT_EQ(rig.Link.Cur_Add, 0);
    rig.Link.Cur_Add = 0x10000;
    rig.Link.Quit_Flag = 1;
    rig.Work.End_Func();
    EXPECT_EQ(rig.Counter(), "&Quit = 10000");
    EXPECT_EQ(rig.Link.Quit_Flag, 0);
    EXPECT_TRUE(rig.Sim.At_Rest());
}

TEST(BusyState, StartSetsUpOnlyTheGangsSockets)
{
    for (int gang = 0; gang <= 5; ++gang) {
        TSimRig rig;
        // Sockets 1 and 2 failed the operation before.
        rig.Sel.Gang_Size = 2;
        rig.Work.Start_Func();
        for (int s = 1; s <= 2; ++s) {
            rig.Link.Cur_Socket = s;
            rig.Link.Mark_Socket_Failed(TResult_Kind::Not_Blank);
        }
        rig.Sel.Gang_Size = gang;
        rig.Work.Start_Func();
        EXPECT_EQ(rig.Link.Gang_Mask(), gang == 0 ? 0 : (1 << gang) - 1) << gang;
        for (int s = 1; s <= 5; ++s)
            EXPECT_EQ(rig.Link.Socket_Fail(s), gang == 0 || s > gang) << gang << "/" << s;
    }
    EXPECT_EQ(Full_Gang_Mask(3), 0x07);
    EXPECT_FALSE(Full_Gang_Mask(6).has_value());
}

} // namespace
} // namespace gang::test
