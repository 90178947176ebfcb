// The busy state around every device operation and pop-up choice, the
// progress counter on the stop button, and the stop request.
#include "core/hex_text.h"
#include "devices/device_rules.h"
#include "devices/device_work.h"
#include "link/address_map.h"

#include <algorithm>

namespace gang {

namespace {

const char* const Counter_Prefix = "&Quit = ";

} // namespace

std::string TDeviceWork::Counter_Caption(int32_t address)
{
    return Counter_Prefix + IntToHex(address, 4);
}

void TDeviceWork::Start_Func()
{
    Link.Reset_Link();

    // Every command button but the window's close button, in this order.
    TControl* const buttons[] = {&Form.Quit_Func_But, &Form.Program_Eprom, &Form.Verify_Eprom,
                                 &Form.Chk_Sum_But,   &Form.Move_Eprom,    &Form.Start_Buf_Add,
                                 &Form.Blank_Chk,     &Form.Start_Add,     &Form.Save_But,
                                 &Form.Load_But,      &Form.File_But,      &Form.Vpp_But,
                                 &Form.End_Add,       &Form.Device,        &Form.Scale,
                                 &Form.Edit,          &Form.Fill};
    for (TControl* button : buttons)
        button->SetEnabled(false);

    Form.Memo1.SetVisible(false);
    Form.Quit_Func_But.SetCaption(Counter_Caption(Link.Cur_Add));

    const int32_t gang = Form.Num_Of_Devices.Tag;
    if (const auto mask = Full_Gang_Mask(gang))
        Link.Gang_Mask = *mask;
    for (int32_t s = 1; s <= std::min(gang, Max_Gang_Size); ++s)
        Link.Socket_Fail[s] = 0;

    Host.ProcessMessages();
}

void TDeviceWork::End_Func()
{
    if (Form.StaticText3.Tag == 1) {
        // The device buttons only make sense with an adapter to drive.
        TControl* const device_buttons[] = {&Form.Program_Eprom, &Form.Verify_Eprom,
                                            &Form.Move_Eprom, &Form.Blank_Chk, &Form.Vpp_But};
        for (TControl* button : device_buttons)
            button->SetEnabled(true);
    }
    TControl* const buttons[] = {&Form.Quit_Func_But, &Form.Chk_Sum_But, &Form.Start_Buf_Add,
                                 &Form.Start_Add,     &Form.Save_But,    &Form.Load_But,
                                 &Form.File_But,      &Form.End_Add,     &Form.Device,
                                 &Form.Scale,         &Form.Edit,        &Form.Fill};
    for (TControl* button : buttons)
        button->SetEnabled(true);

    TControl* const pop_ups[] = {&Form.FillBox, &Form.FillEdit, &Form.File_Type, &Form.StaticText2,
                                 &Form.Num_Of_Devices};
    for (TControl* control : pop_ups)
        control->SetVisible(false);

    // The address where the run ended, before the reset clears it.
    Form.Quit_Func_But.SetCaption(Counter_Caption(Link.Cur_Add));
    Link.Reset_Link();
    Host.ProcessMessages();
}

void TDeviceWork::Quit_Func_ButClick()
{
    Link.Quit_Flag = Stop_Request;
}

} // namespace gang
