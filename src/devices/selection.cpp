// Choosing the device type, the programming voltage and the gang size.
#include "core/hex_text.h"
#include "devices/device_rules.h"
#include "devices/device_work.h"

#include <string>

namespace gang {

namespace {

const char* const No_Device_Caption = "No Device";

} // namespace

void TDeviceWork::DeviceClick()
{
    Start_Func();
    for (int s = 1; s <= Max_Gang_Size; ++s)
        Form.Socket_Text(s).SetVisible(false);
    Form.Device_Box.SetVisible(true);
}

void TDeviceWork::Device_BoxClick(int item_index)
{
    Form.Device_Box.Tag = item_index;
    Form.Device_Box.SetVisible(false);
    Apply_Device();
}

void TDeviceWork::Apply_Device()
{
    Buffer.Start_Of_Eprom = 0;
    Form.Vpp_But.Tag = Vpp_12V5;

    if (Form.StaticText3.Tag == 0)
        Form.StaticText3.SetCaption("The Tarvik Programmer was Not Found");
    else
        Form.StaticText3.SetCaption("The Tarvik Programmer was Found at " +
                                    IntToHex(Link.DataPort, 4));

    Form.Num_Of_Devices.SetVisible(true);

    // The row index, not its text, picks the type; no row selected keeps the
    // previous type.
    bool offer_list_again = false;
    if (const TDeviceType* row = Device_Row(Form.Device_Box.Tag)) {
        if (row->Is_Type()) {
            Apply_Type(*row);
        } else {
            Set_No_Device();
            offer_list_again = true;
        }
    }

    if (Form.Device.Tag > Last_Eprom_Family)
        Form.Vpp_But.Tag = Vpp_5V;
    Link.Set_Vpp();

    // A header or empty row chose nothing.  The busy state begun by the
    // Device button is still on, with every command button disabled; rather
    // than leave the programmer search as the only way out, the list is
    // offered again.
    if (offer_list_again)
        Form.Device_Box.SetVisible(true);
}

void TDeviceWork::Apply_Type(const TDeviceType& type)
{
    Form.Device.SetCaption(type.Type_Name);
    Buffer.End_Of_Eprom = type.End_Of_Eprom();
    Form.Device.Tag = type.Family;
    if (type.Vpp_Code != 0)
        Form.Vpp_But.Tag = type.Vpp_Code;
    if (OnTypeApplied)
        OnTypeApplied(type);
}

void TDeviceWork::Set_No_Device()
{
    Form.Num_Of_Devices.SetVisible(false);
    Form.Device.SetCaption(No_Device_Caption);
    Host.ShowInfo(No_Device_Text);
}

void TDeviceWork::Vpp_ButClick()
{
    Form.Vpp_But.Tag = Next_Vpp_Code(Form.Vpp_But.Tag);
    Link.Set_Vpp();
}

void TDeviceWork::Num_Of_DevicesClick(int item_index)
{
    // Row 0 is the "# of Devices" header: it counts as a gang of one.
    int32_t gang = item_index <= 0 ? 1 : item_index;
    if (gang > Max_Gang_Size)
        gang = Max_Gang_Size;
    Form.Num_Of_Devices.Tag = gang;
    Form.Device.SetCaption(std::to_string(gang) + " - " + Form.Device.Caption());
    for (int s = 1; s <= gang; ++s)
        Form.Socket_Text(s).SetVisible(true);
    Show_Range();
}

void TDeviceWork::Show_Range()
{
    Form.Start_Buf_Add.SetCaption("Start Of Buffer=" + IntToHex(Buffer.Start_Of_Buffer, 4));
    Form.Start_Add.SetCaption("Start Of Eprom=" + IntToHex(Buffer.Start_Of_Eprom, 4));
    Form.End_Add.SetCaption("End Of Eprom=" + IntToHex(Buffer.End_Of_Eprom, 4));
    End_Func();
}

} // namespace gang
