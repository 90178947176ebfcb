// The main window's controls as plain state: caption, visibility, enabling,
// the Tag number and (for the memo) lines.  The window keeps small pieces of
// state in Tags (the scale, the row last clicked, the input fields' reject
// flags) and mirrors the selection there (the found flag in StaticText3.Tag,
// the device family in Device.Tag, the voltage code in Vpp_But.Tag, the gang
// size in Num_Of_Devices.Tag); the link and the device work read the
// selection itself and report into this model through TFormReport.  Holding
// the controls here lets the start-up logic run and be tested without a
// widget.  The Qt window installs OnChange on each control and mirrors every
// change at once.
#pragma once

#include "core/shared_texts.h"

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace gang {

class TControl {
public:
    TControl() = default;
    TControl(std::string name, std::string caption, bool visible = true, bool enabled = true,
             int32_t tag = 0)
        : Name(std::move(name)), Tag(tag), caption_(std::move(caption)), visible_(visible),
          enabled_(enabled)
    {
    }
    TControl(const TControl&) = delete;
    TControl& operator=(const TControl&) = delete;

    const std::string Name;

    const std::string& Caption() const { return caption_; }
    bool Visible() const { return visible_; }
    bool Enabled() const { return enabled_; }
    const std::vector<std::string>& Lines() const { return lines_; }

    void SetCaption(const std::string& caption)
    {
        if (caption == caption_)
            return;
        caption_ = caption;
        Notify();
    }
    void SetVisible(bool visible)
    {
        if (visible == visible_)
            return;
        visible_ = visible;
        Notify();
    }
    void SetEnabled(bool enabled)
    {
        if (enabled == enabled_)
            return;
        enabled_ = enabled;
        Notify();
    }
    void AddLine(const std::string& line)
    {
        lines_.push_back(line);
        Notify();
    }
    void ClearLines()
    {
        lines_.clear();
        Notify();
    }

    // Small piece of program state kept with the control (no notification).
    int32_t Tag = 0;

    // Installed by the window: called after every visible change.
    std::function<void(const TControl&)> OnChange;

private:
    void Notify()
    {
        if (OnChange)
            OnChange(*this);
    }

    std::string caption_;
    bool visible_ = true;
    bool enabled_ = true;
    std::vector<std::string> lines_;
};

// Every control of the main window that the program's logic reads or writes,
// with its design-time caption, visibility and Tag.  This is the one place
// those are set: the window's layout adds bounds, colours and fonts by name.
struct TFormModel {
    // The window itself (Enabled is switched off during a search and a page write).
    TControl Form{"MainForm", ""};

    // Top row
    TControl Program_Eprom{"Program_Eprom", "&Program Device"};
    TControl Quit_Func_But{"Quit_Func_But", "&Quit = 00000"};
    TControl StaticText3{"StaticText3", "Looking For Programmer"}; // Tag: found flag
    TControl Quit_But{"Quit_But", "Quit"};
    TControl StaticText2{"StaticText2", "", false};

    // Left column
    TControl Blank_Chk{"Blank_Chk", "&Blank Check"};
    TControl Verify_Eprom{"Verify_Eprom", "&Verify Device"};
    TControl Move_Eprom{"Move_Eprom", "&Move Device #1"};
    TControl Chk_Sum_But{"Chk_Sum_But", "&Check Sum=0000"};
    TControl Load_But{"Load_But", "&Load Buffer"};
    TControl Save_But{"Save_But", "&Save Buffer"};
    TControl File_But{"File_But", "Binary File"};
    TControl Device{"Device", No_Device_Caption}; // Tag: device family
    TControl Device_1{"Device_1", "", false};
    TControl Device_2{"Device_2", "", false};
    TControl Device_3{"Device_3", "", false};
    TControl Device_4{"Device_4", "", false};
    TControl Device_5{"Device_5", "", false};
    TControl Edit{"Edit", "&Edit Buffer"};
    TControl Fill{"Fill", "&Fill Buffer"};
    TControl Vpp_But{"Vpp_But", Initial_Vpp_Caption, true, true, 1}; // Tag: voltage code
    TControl Scale{"Scale", "Large Buttons"};                        // Tag: 0 normal, 1 enlarged
    TControl Start_Buf_Add{"Start_Buf_Add", "Start Of Buffer=0000"};
    TControl Start_Add{"Start_Add", "Start Of Eprom=0000"};
    TControl End_Add{"End_Add", "End Of Eprom=0000"};
    TControl StaticText4{"StaticText4", "Last File Loaded in Buffer=No File Loaded"};

    // Work area
    TControl Edit_1{"Edit_1", "", false};
    TControl Chg_Edit_Add{"Chg_Edit_Add", "", false};
    TControl Memo1{"Memo1", ""};
    TControl Num_Of_Devices{"Num_Of_Devices", "", false};   // Tag: gang size
    TControl Device_Box{"Device_Box", "", false, true, -1}; // Tag: row last clicked, -1 none
    TControl File_Type{"File_Type", "", false};             // Tag: file type
    TControl FillBox{"FillBox", "", false};
    TControl FillEdit{"FillEdit", "", false};

    // Device_1 .. Device_5 by socket number (1..5).
    TControl& Socket_Text(int socket)
    {
        TControl* texts[] = {&Device_1, &Device_2, &Device_3, &Device_4, &Device_5};
        return *texts[socket - 1];
    }

    // Every control, for the window to wire up and for tests to walk.
    std::vector<TControl*> All()
    {
        return {&Form,           &Program_Eprom, &Quit_Func_But, &StaticText3,   &Quit_But,
                &StaticText2,    &Blank_Chk,     &Verify_Eprom,  &Move_Eprom,    &Chk_Sum_But,
                &Load_But,       &Save_But,      &File_But,      &Device,        &Device_1,
                &Device_2,       &Device_3,      &Device_4,      &Device_5,      &Edit,
                &Fill,           &Vpp_But,       &Scale,         &Start_Buf_Add, &Start_Add,
                &End_Add,        &StaticText4,   &Edit_1,        &Chg_Edit_Add,  &Memo1,
                &Num_Of_Devices, &Device_Box,    &File_Type,     &FillBox,       &FillEdit};
    }

    // The control of that name; nullptr when there is none.
    TControl* Find(const std::string& name)
    {
        for (TControl* c : All())
            if (c->Name == name)
                return c;
        return nullptr;
    }
};

} // namespace gang
