// Choosing the device type, the programming voltage and the gang size.
#include "core/hex_text.h"
#include "devices/device_rules.h"
#include "devices/device_work.h"
#include "link/families.h"

#include <algorithm>
#include <string>

namespace gang {

void TDeviceWork::DeviceClick()
{
    Start_Func();
    for (int s = 1; s <= Max_Gang_Size; ++s)
        Report.Socket_Visible(s, false);
    Report.Device_List_Shown();
}

void TDeviceWork::Device_BoxClick(int item_index)
{
    Report.Device_Row_Chosen(item_index);
    Apply_Device(item_index);
}

void TDeviceWork::Apply_Device(int row_index)
{
    Buffer.Start_Of_Eprom = 0;
    Selection.Vpp_Code = Vpp_12V5;

    if (!Selection.Found)
        Report.Status("The Tarvik Programmer was Not Found");
    else
        Report.Status(Found_At_Text(static_cast<uint16_t>(Link.DataPort)));

    Report.Gang_List_Visible(true);

    // The row index, not its text, picks the type; no row selected keeps the
    // previous type.
    bool offer_list_again = false;
    if (const TDeviceType* row = Device_Row(row_index)) {
        if (row->Is_Type()) {
            Apply_Type(*row);
        } else {
            Set_No_Device();
            offer_list_again = true;
        }
    }

    // The EEPROMs must never be offered a programming voltage.
    Selection.Vpp_Code = Default_Vpp_Code(Selection.Family, Selection.Vpp_Code);
    Report.Selection_Changed(Selection);
    Link.Set_Vpp();

    // A header or empty row chose nothing.  The busy state begun by the
    // Device button is still on, with every command button disabled; rather
    // than leave the programmer search as the only way out, the list is
    // offered again.
    if (offer_list_again)
        Report.Device_List_Shown();
}

void TDeviceWork::Apply_Type(const TDeviceType& type)
{
    Show_Device(type.Type_Name);
    Buffer.End_Of_Eprom = type.End_Of_Eprom();
    Selection.Family = type.Family;
    if (type.Vpp_Code != 0)
        Selection.Vpp_Code = type.Vpp_Code;
    Report.Selection_Changed(Selection);
    if (OnTypeApplied)
        OnTypeApplied(type);
}

void TDeviceWork::Set_No_Device()
{
    Report.Gang_List_Visible(false);
    Show_Device(No_Device_Caption);
    Host.ShowInfo(No_Device_Text);
}

void TDeviceWork::Show_Device(const std::string& caption)
{
    Device_Caption = caption;
    Report.Device_Caption(caption);
}

void TDeviceWork::Vpp_ButClick()
{
    Selection.Vpp_Code = Next_Vpp_Code(Selection.Vpp_Code);
    Report.Selection_Changed(Selection);
    Link.Set_Vpp();
}

void TDeviceWork::Num_Of_DevicesClick(int item_index)
{
    // Row 0 is the "# of Devices" header: it counts as a gang of one.
    int32_t gang = item_index <= 0 ? 1 : item_index;
    if (gang > Max_Gang_Size)
        gang = Max_Gang_Size;
    Selection.Gang_Size = gang;
    Report.Selection_Changed(Selection);
    Show_Device(std::to_string(gang) + " - " + Device_Caption);
    for (int s = 1; s <= gang; ++s)
        Report.Socket_Visible(s, true);
    Show_Range();
}

void TDeviceWork::Show_Range()
{
    Report.Range(Buffer.Start_Of_Buffer, Buffer.Start_Of_Eprom, Buffer.End_Of_Eprom);
    End_Func();
}

void TDeviceWork::Select(const TDeviceType& type, int32_t gang_size)
{
    // On the adapter, the same as the window's choice: the latches reset as
    // the Device button's busy state begins, the type's voltage applied, the
    // latches reset as the gang list's choice ends it.
    Link.Reset_Link();
    Buffer.Start_Of_Eprom = 0;
    Buffer.End_Of_Eprom = type.End_Of_Eprom();
    Selection.Family = type.Family;
    Selection.Vpp_Code = Default_Vpp_Code(type.Family, type.Vpp_Code);
    Selection.Gang_Size = std::clamp<int32_t>(gang_size, 1, Max_Gang_Size);
    Report.Selection_Changed(Selection);
    Link.Set_Vpp();
    Link.Reset_Link();
}

} // namespace gang
