// The window's file commands: choosing the file type in File_Type, loading
// the Buffer through the open dialog and saving it through the save dialog,
// with the banner on StaticText2 while a hex text file is read or written and
// the name of the last file loaded on StaticText4.
//
// A load is all or nothing: the file is read into a copy of the Buffer, and
// only a load that ended without failure puts it in place, names the file on
// StaticText4 and sums it.  File errors (EInOutError, EConvertError) end the
// handler with the banner taken down, and the window shows them in its error
// box with the file and line.  A record with a wrong checksum or count asks
// whether to load the file anyway (No by default); a file that looks like
// hex text loaded as a binary image asks whether to load it as hex.  After a
// load, one information box tells what became of bytes beyond the device
// and of bytes loaded twice onto one address.
#pragma once

#include "core/buffer.h"
#include "core/form_model.h"
#include "devices/device_work.h"
#include "files/file_commands.h"
#include "link/host.h"
#include "ui/dialogs.h"

#include <string>

namespace gang {

class TFileFlow {
public:
    TFileFlow(TFormModel& form, TBuffer& buffer, TDeviceWork& work, IHost& host,
              TFileDialogRunner run_dialog);
    TFileFlow(const TFileFlow&) = delete;
    TFileFlow& operator=(const TFileFlow&) = delete;

    // Dialogs without a directory of their own open in directory.
    void Set_Default_Directory(const std::string& directory);

    void File_ButClick();
    void File_TypeClick(int item_index);
    void Load_ButClick();
    void Save_ButClick();
    // Writes the Buffer as the hex text kind in File_Type.Tag to the file
    // named by SaveDialog1.
    void Save_Hex_File();

    void Set_Dialog_Runner(TFileDialogRunner run_dialog) { Run_Dialog = std::move(run_dialog); }

    TFileDialogState OpenDialog1;
    TFileDialogState SaveDialog1;

private:
    // Reads the hex text file into loaded under the banner, and takes the
    // banner down; false when the user refused a file whose records failed
    // their checks.
    bool Load_Hex(const std::string& path, TBuffer& loaded, THexLoadNotes& notes);

    TFormModel& Form;
    TBuffer& Buffer;
    TDeviceWork& Work;
    IHost& Host;
    TFileDialogRunner Run_Dialog;
};

// Caption of File_But for a file type; nullptr outside 0..3.
const char* File_But_Caption(int file_type);

} // namespace gang
