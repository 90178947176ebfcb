#include "ui/file_flow.h"

#include "core/hex_text.h"
#include "files/file_kind.h"

#include <QFileInfo>

#include <memory>
#include <utility>

namespace gang {

namespace {

constexpr int Binary_Type = 0;
const char* const Last_File_Prefix = "Last File Loaded in Buffer=";
const char* const Loading_Banner = "Loading Buffer from Hex File....";
const char* const Saving_Banner = "Saving Buffer to Hex File....";

std::string Bytes_Text(int64_t count)
{
    return std::to_string(count) + (count == 1 ? " byte" : " bytes");
}

// "1 byte was", "2 bytes were".
std::string Bytes_Were(int64_t count)
{
    return Bytes_Text(count) + (count == 1 ? " was" : " were");
}

std::string Address_Text(int64_t address)
{
    return IntToHex(address, 4);
}

// The information box's text after a hex load; "" when every byte landed
// at its own address inside the device, once.
std::string Hex_Notes_Text(const THexLoadNotes& notes, int32_t end)
{
    std::string text;
    if (notes.Beyond > 0) {
        text += Bytes_Text(notes.Beyond) + " of the file " + (notes.Beyond == 1 ? "lies" : "lie") +
                " beyond the device's last address " + Address_Text(end) + ", the first at " +
                Address_Text(notes.First_Beyond) + ":";
        if (notes.Reduced > 0) {
            text += "\n- " + Bytes_Were(notes.Reduced) +
                    " loaded at the address reduced to the device's size";
            const int64_t at = notes.First_Beyond_Stored_At;
            if (at >= 0 && at <= end)
                text += " (" + Address_Text(notes.First_Beyond) + " at " + Address_Text(at) + ")";
            text += ".";
        }
        if (notes.Past_End > 0)
            text += "\n- " + Bytes_Were(notes.Past_End) +
                    " kept in the Buffer past the device's end: they are not programmed.";
        if (notes.Dropped > 0)
            text += "\n- " + Bytes_Were(notes.Dropped) +
                    " dropped: they lie past the Buffer's end FFFF.";
    }
    if (notes.Twice > 0)
        text += std::string(text.empty() ? "" : "\n") + Bytes_Were(notes.Twice) +
                " loaded onto an address that already held a byte of the file (the first at " +
                Address_Text(notes.First_Twice) + "): the later byte replaced the earlier one.";
    return text;
}

// The same after a binary load of a file of file_size bytes.
std::string Binary_Notes_Text(int64_t file_size, int32_t end)
{
    const int64_t range = int64_t{end} + 1;
    if (file_size <= range)
        return "";
    return "The file holds " + Bytes_Text(file_size) + ", the device " + Bytes_Text(range) +
           ": the " + Bytes_Text(file_size - range) + " from address " + Address_Text(range) +
           " on were not loaded.";
}

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
    if (!Run_Dialog || !Run_Dialog(OpenDialog1)) {
        Work.Make_Check_Sum();
        return;
    }
    const std::string path = OpenDialog1.FileName;
    bool binary = Form.File_Type.Tag == Binary_Type;
    if (binary) {
        const TFileType kind = Format_From_Content(File_Head(path));
        if (kind != TFileType::Binary)
            binary = !Host.Ask(path + "\nlooks like " +
                                   (kind == TFileType::Intel_Hex      ? "Intel hex"
                                    : kind == TFileType::Motorola_Hex ? "Motorola S-record"
                                                                      : "ASCII hex") +
                                   " text, not a binary image.\n\nLoad it as a hex file?",
                               true);
    }
    if (!binary) {
        Form.StaticText2.SetCaption(Loading_Banner);
        Form.StaticText2.SetVisible(true);
        Host.ProcessMessages();
    }
    // The Buffer changes only with a whole file: the load goes into a copy,
    // taken once the questions and the banner's message pass are over.
    auto loaded = std::make_unique<TBuffer>(Buffer);
    std::string notes;
    if (binary) {
        Load_Binary_File(path, *loaded);
        notes =
            Binary_Notes_Text(QFileInfo(QString::fromStdString(path)).size(), Buffer.End_Of_Eprom);
    } else {
        THexLoadNotes hex_notes;
        if (!Load_Hex(path, *loaded, hex_notes))
            return;
        notes = Hex_Notes_Text(hex_notes, Buffer.End_Of_Eprom);
    }
    Buffer = *loaded;
    Form.StaticText4.SetCaption(Last_File_Prefix + path);
    Work.Make_Check_Sum();
    if (!notes.empty())
        Host.ShowInfo(notes);
}

bool TFileFlow::Load_Hex(const std::string& path, TBuffer& loaded, THexLoadNotes& notes)
{
    const auto before = std::make_unique<TBuffer>(loaded);
    try {
        notes = Load_Hex_File(path, loaded);
    } catch (const EChecksumError& e) {
        Form.StaticText2.SetVisible(false);
        if (!Host.Ask(e.Box_Text() + "\n\nLoad the file anyway?", false))
            return false;
        loaded = *before;
        notes = Load_Hex_File(path, loaded, false);
    } catch (...) {
        Form.StaticText2.SetVisible(false);
        throw;
    }
    Form.StaticText2.SetVisible(false);
    return true;
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
