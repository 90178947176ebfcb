#include "ui/file_flow.h"

#include "files/file_commands.h"

#include <utility>

namespace gang {

namespace {

constexpr int Binary_Type = 0;
const char* const Last_File_Prefix = "Last File Loaded in Buffer=";
const char* const Loading_Banner = "Loading Buffer from Hex File....";
const char* const Saving_Banner = "Saving Buffer to Hex File....";

} // namespace

const char* File_But_Caption(int file_type)
{
    static const char* const captions[] = {"Binary File", "Intel Hex File", "Motorola Hex File",
                                           "Ascii Hex File"};
    if (file_type < 0 || file_type > 3)
        return nullptr;
    return captions[file_type];
}

TFileFlow::TFileFlow(TFormModel& form, TBuffer& buffer, TDeviceWork& work, IHost& host,
                     TFileDialogRunner run_dialog)
    : Form(form), Buffer(buffer), Work(work), Host(host), Run_Dialog(std::move(run_dialog))
{
    SaveDialog1.Save = true;
}

void TFileFlow::Set_Default_Directory(const std::string& directory)
{
    if (OpenDialog1.InitialDir.empty())
        OpenDialog1.InitialDir = directory;
    if (SaveDialog1.InitialDir.empty())
        SaveDialog1.InitialDir = directory;
}

void TFileFlow::File_ButClick()
{
    Work.Start_Func();
    Form.File_Type.SetVisible(true);
}

void TFileFlow::File_TypeClick(int item_index)
{
    Form.File_Type.Tag = item_index;
    if (const char* caption = File_But_Caption(item_index))
        Form.File_But.SetCaption(caption);
    const bool binary = Form.File_Type.Tag == Binary_Type;
    for (TFileDialogState* dialog : {&OpenDialog1, &SaveDialog1}) {
        dialog->DefaultExt = binary ? "Bin" : "Hex";
        dialog->FilterIndex = binary ? 1 : 2;
    }
    Work.End_Func();
}

void TFileFlow::Load_ButClick()
{
    if (Run_Dialog && Run_Dialog(OpenDialog1)) {
        if (Form.File_Type.Tag == Binary_Type) {
            Load_Binary_File(OpenDialog1.FileName, Buffer);
        } else {
            Form.StaticText2.SetCaption(Loading_Banner);
            Form.StaticText2.SetVisible(true);
            Host.ProcessMessages();
            Load_Hex_File(OpenDialog1.FileName, Buffer);
            Form.StaticText2.SetVisible(false);
        }
        Form.StaticText4.SetCaption(Last_File_Prefix + OpenDialog1.FileName);
    }
    Work.Make_Check_Sum();
}

void TFileFlow::Save_ButClick()
{
    if (!Run_Dialog || !Run_Dialog(SaveDialog1))
        return;
    if (Form.File_Type.Tag == Binary_Type)
        Save_Binary_File(SaveDialog1.FileName, Buffer);
    else
        Save_Hex_File();
}

void TFileFlow::Save_Hex_File()
{
    Form.StaticText2.SetCaption(Saving_Banner);
    Form.StaticText2.SetVisible(true);
    Host.ProcessMessages();
    gang::Save_Hex_File(SaveDialog1.FileName, Form.File_Type.Tag, Buffer);
    Form.StaticText2.SetVisible(false);
}

} // namespace gang
