#include "ui/form_layout.h"

namespace gang {

const char* const Form_Caption =
    "The Gang Adapter for the Tarvik Programmer By Belvarn, Inc.   Version 1.01   6 Feb 2002";

namespace {

using K = TControlKind;
using F = TFontRole;

TLayoutEntry Panel(const char* name, TBounds b, TColor color)
{
    return {name, K::Panel, b, color, clDefault, "", F::Sans_Bold, 12};
}

TLayoutEntry Button(const char* name, TBounds b, const char* hint, TColor text = clDefault)
{
    return {name, K::Button, b, clDefault, text, hint, F::Sans_Bold, 12};
}

TLayoutEntry Status_Text(const char* name, TBounds b, TColor background, TColor text)
{
    TLayoutEntry e{name, K::StaticText, b, background, text, "", F::Sans_Bold, 12};
    e.Fit_Caption = true;
    return e;
}

TLayoutEntry Result_Line(const char* name, int top)
{
    TLayoutEntry e{name, K::StaticText, {10, top, 135, 19}, clAqua, clDefault, "", F::Fixed, 12};
    e.Sunken = true;
    return e;
}

TLayoutEntry List(const char* name, TBounds b, int font_px)
{
    return {name, K::ListBox, b, clDefault, clDefault, "", F::Fixed, font_px};
}

TLayoutEntry Line_Edit(const char* name, TBounds b, int max_length)
{
    TLayoutEntry e{name, K::LineEdit, b, clDefault, clDefault, "", F::Fixed, 12};
    e.Max_Length = max_length;
    e.Upper_Case = true;
    return e;
}

std::vector<TLayoutEntry> Build_Layout()
{
    std::vector<TLayoutEntry> t;
    // Top row
    t.push_back(Panel("Panel1", {6, 2, 117, 27}, clRed));
    t.push_back(Button("Program_Eprom", {10, 5, 110, 21}, "Programs the Device from the Buffer.."));
    t.push_back(Button("Quit_Func_But", {144, 5, 103, 21}, "Lets You Stop a Fuction in Process.."));
    t.push_back(Status_Text("StaticText3", {280, 5, 142, 17}, clYellow, clDesktop));
    t.push_back(Button("Quit_But", {652, 5, 70, 21}, ""));
    t.push_back(Status_Text("StaticText2", {144, 32, 70, 17}, clRed, clDefault));

    // Left column
    t.push_back(Panel("Panel2", {6, 44, 117, 76}, clLime));
    t.push_back(Button("Blank_Chk", {10, 48, 110, 21}, "Checks for FF in All Address Loctions..",
                       clYellow));
    t.push_back(
        Button("Verify_Eprom", {10, 72, 110, 21}, "Compares Data in the Device to the Buffer.."));
    t.push_back(
        Button("Move_Eprom", {10, 96, 110, 21}, "Copies Data in the Device to the Buffer.."));
    t.push_back(Panel("Panel3", {6, 132, 117, 125}, clYellow));
    t.push_back(Button("Chk_Sum_But", {10, 136, 110, 21},
                       "Makes a Check Sum of the Data in the Buffer from Start to End of Eprom.."));
    t.push_back(
        Button("Load_But", {10, 160, 110, 21}, "Loads the Buffer from a Binary or Hex File.. "));
    t.push_back(Button("Save_But", {10, 184, 110, 21},
                       "Saves the Buffer to Disk in Hex or Binary Format.."));
    t.push_back(Button("File_But", {10, 208, 110, 21}, "Sets the File Format to Binary or Hex.."));
    t.push_back(Button("Device", {10, 232, 110, 21}, "Selects the Device Type..", clYellow));
    t.push_back(Result_Line("Device_1", 280));
    t.push_back(Result_Line("Device_2", 296));
    t.push_back(Result_Line("Device_3", 312));
    t.push_back(Result_Line("Device_4", 328));
    t.push_back(Result_Line("Device_5", 344));
    t.push_back(Panel("Panel4", {6, 372, 117, 100}, clFuchsia));
    t.push_back(Button("Edit", {10, 376, 110, 21}, "", clActiveCaption));
    t.push_back(Button("Fill", {10, 400, 110, 21}, "", clBlue));
    t.push_back(Button("Vpp_But", {10, 424, 110, 21},
                       "Changes the Program Voltage for the Device Selected.."));
    t.push_back(Button("Scale", {10, 448, 110, 21}, "", clBlack));
    t.push_back(Panel("Panel5", {6, 485, 133, 75}, clAqua));
    t.push_back(Button("Start_Buf_Add", {10, 488, 125, 21}, ""));
    t.push_back(Button("Start_Add", {10, 512, 125, 21}, ""));
    t.push_back(Button("End_Add", {10, 536, 125, 21}, ""));
    t.push_back(Status_Text("StaticText4", {10, 570, 244, 17}, clSilver, clDefault));

    // Work area
    TLayoutEntry view{"Edit_1", K::RichText, {200, 80, 521, 242}, clDefault,
                      clBlack,  "",          F::Fixed_View,       12};
    view.Anchor_Bottom = true;
    t.push_back(view);
    t.push_back(Line_Edit("Chg_Edit_Add", {264, 48, 59, 23}, 6));
    t.push_back({"Memo1", K::Memo, {200, 353, 397, 148}, clDefault, clBlack, "", F::Fixed, 12});
    t.push_back(List("Num_Of_Devices", {304, 48, 103, 103}, 13));
    t.push_back(List("Device_Box", {410, 44, 319, 405}, 12));
    t.push_back(List("File_Type", {128, 184, 105, 72}, 13));
    t.push_back(List("FillBox", {128, 376, 160, 72}, 12));
    t.push_back(Line_Edit("FillEdit", {296, 405, 38, 23}, 2));
    return t;
}

} // namespace

const std::vector<TLayoutEntry>& Form_Layout()
{
    static const std::vector<TLayoutEntry> layout = Build_Layout();
    return layout;
}

const TLayoutEntry* Find_Layout(const std::string& name)
{
    for (const TLayoutEntry& e : Form_Layout())
        if (name == e.Name)
            return &e;
    return nullptr;
}

const std::vector<std::string>& Num_Of_Devices_Items()
{
    static const std::vector<std::string> items = {"# of Devices", "1", "2", "3", "4", "5"};
    return items;
}

const std::vector<std::string>& File_Type_Items()
{
    static const std::vector<std::string> items = {"Binary", "Intel Hex", "Motorola Hex",
                                                   "Ascii Hex"};
    return items;
}

const std::vector<std::string>& FillBox_Items()
{
    static const std::vector<std::string> items = {"Fill Buffer With 00", "Fill Buffer With FF",
                                                   "Fill Buffer With XX", "Cancel"};
    return items;
}

const std::vector<std::string>& Focus_Order()
{
    static const std::vector<std::string> order = {
        "Device",   "Program_Eprom", "Blank_Chk",    "Verify_Eprom", "Move_Eprom",
        "Vpp_But",  "Quit_But",      "Memo1",        "File_But",     "Quit_Func_But",
        "Save_But", "Device_Box",    "Load_But",     "Chk_Sum_But",  "Edit_1",
        "Edit",     "Start_Buf_Add", "Start_Add",    "End_Add",      "Fill",
        "FillBox",  "FillEdit",      "Chg_Edit_Add", "File_Type",    "Num_Of_Devices",
        "Scale"};
    return order;
}

} // namespace gang
