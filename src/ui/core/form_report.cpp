#include "ui/core/form_report.h"

#include "core/hex_text.h"
#include "texts/result_text.h"

namespace gang {

std::string Counter_Caption(int32_t address)
{
    return "&Quit = " + IntToHex(address, 4);
}

void TFormReport::Counter(int32_t address)
{
    Form.Quit_Func_But.SetCaption(Counter_Caption(address));
}

void TFormReport::Socket_Text(int socket, const std::string& text)
{
    Form.Socket_Text(socket).SetCaption(text);
}

void TFormReport::Socket_Failed(int socket, const TSocket_Result& result)
{
    Form.Socket_Text(socket).SetCaption(Socket_Result_Text(socket, result));
}

void TFormReport::Socket_Stopped(int socket, const TSocket_Result& result)
{
    // "2-Stopped at 0081"
    Form.Socket_Text(socket).SetCaption(Socket_Result_Detail(socket, result));
}

void TFormReport::Operation(const std::string& line)
{
    Form.StaticText2.SetCaption(line);
    Form.StaticText2.SetVisible(true);
}

void TFormReport::Log_Line(const std::string& line)
{
    Form.Memo1.AddLine(line);
}

void TFormReport::Log_Visible(bool visible)
{
    Form.Memo1.SetVisible(visible);
}

void TFormReport::Busy_Begin()
{
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
}

void TFormReport::Busy_End(bool adapter_found)
{
    if (adapter_found) {
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
}

void TFormReport::Stop_Offered()
{
    Form.Quit_Func_But.SetEnabled(true);
}

void TFormReport::Window_Enabled(bool enabled)
{
    Form.Form.SetEnabled(enabled);
    if (On_Window_Enabled)
        On_Window_Enabled(enabled);
}

void TFormReport::Status(const std::string& text)
{
    Form.StaticText3.SetCaption(text);
}

void TFormReport::Vpp_Caption(const std::string& caption)
{
    Form.Vpp_But.SetCaption(caption);
}

void TFormReport::Check_Sum(uint16_t sum)
{
    Form.Chk_Sum_But.SetCaption("CheckSum=" + IntToHex(sum, 4));
}

void TFormReport::Device_Caption(const std::string& caption)
{
    Form.Device.SetCaption(caption);
}

void TFormReport::Device_List_Shown()
{
    Form.Device_Box.SetVisible(true);
}

void TFormReport::Device_Row_Chosen(int row)
{
    Form.Device_Box.Tag = row;
    Form.Device_Box.SetVisible(false);
}

void TFormReport::Gang_List_Visible(bool visible)
{
    Form.Num_Of_Devices.SetVisible(visible);
}

void TFormReport::Socket_Visible(int socket, bool visible)
{
    Form.Socket_Text(socket).SetVisible(visible);
}

void TFormReport::Range(int32_t start_of_buffer, int32_t start_of_eprom, int32_t end_of_eprom)
{
    Form.Start_Buf_Add.SetCaption("Start Of Buffer=" + IntToHex(start_of_buffer, 4));
    Form.Start_Add.SetCaption("Start Of Eprom=" + IntToHex(start_of_eprom, 4));
    Form.End_Add.SetCaption("End Of Eprom=" + IntToHex(end_of_eprom, 4));
}

void TFormReport::Selection_Changed(const TSelection& selection)
{
    Form.StaticText3.Tag = selection.Found ? 1 : 0;
    Form.Device.Tag = selection.Family;
    Form.Vpp_But.Tag = selection.Vpp_Code;
    Form.Num_Of_Devices.Tag = selection.Gang_Size;
}

} // namespace gang
