// The main window's layout as data: every control with its kind, bounds,
// colours, hint and font, the list items of the pop-up lists, and the
// keyboard focus order.  A control's caption, visibility and Tag are its
// design-time state in the form model (core/form_model.h), found by name;
// the panels are frames only and have none.  No widget code here: the
// window builds itself from these tables and the tests check against them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace gang {

enum class TControlKind {
    Panel,      // lowered frame behind a button group
    Button,     // push button (some are displays without a click action)
    StaticText, // label
    ListBox,    // pop-up list
    LineEdit,   // one-line edit field
    Memo,       // multi-line log
    RichText    // the read-only hex view
};

enum class TFontRole {
    Window,    // the window's own font: sans bold 14 px
    Sans_Bold, // buttons and static texts: sans bold 12 px
    Fixed,     // lists, edit fields, memo, result lines: fixed pitch
    Fixed_View // the hex view: fixed pitch, black
};

// A colour as 0xRRGGBB, or one of the system colours below.
using TColor = int64_t;
constexpr TColor clDefault = -1;       // the platform's own colour
constexpr TColor clInfoText = -2;      // tooltip text colour
constexpr TColor clDesktop = -3;       // desktop background colour
constexpr TColor clActiveCaption = -4; // active title bar colour

constexpr TColor clNavy = 0x000080;
constexpr TColor clRed = 0xFF0000;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clYellow = 0xFFFF00;
constexpr TColor clFuchsia = 0xFF00FF;
constexpr TColor clAqua = 0x00FFFF;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clBlue = 0x0000FF;
constexpr TColor clBlack = 0x000000;

struct TBounds {
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;
    int Right() const { return Left + Width; }
    int Bottom() const { return Top + Height; }
    bool operator==(const TBounds& o) const
    {
        return Left == o.Left && Top == o.Top && Width == o.Width && Height == o.Height;
    }
};

struct TLayoutEntry {
    const char* Name;
    TControlKind Kind;
    TBounds Bounds;
    TColor Background; // clDefault: the platform's colour
    TColor Text;       // clDefault: the platform's colour
    const char* Hint;  // "" when none
    TFontRole Font;
    int Font_Px;
    bool Sunken = false;        // sunken border (the socket result lines)
    int Max_Length = 0;         // edit fields: most characters accepted (0 = any)
    bool Upper_Case = false;    // edit fields: typed letters become capitals
    bool Anchor_Bottom = false; // bottom edge follows the window's bottom edge
    // Static texts whose captions change at run time widen to show the whole
    // caption (never narrower than laid out), as self-sizing texts do.
    bool Fit_Caption = false;
};

// Window geometry and caption.
constexpr int Form_Outer_Width = 743;
constexpr int Form_Outer_Height = 620;
constexpr TColor Form_Color = clNavy;
constexpr int Form_Font_Px = 14;
constexpr int List_Item_Height = 15;
// The height the enlarging ratio is taken against (0x260).
constexpr int Scale_Base_Height = 608;

extern const char* const Form_Caption;

// Every control of the window, in creation order.
const std::vector<TLayoutEntry>& Form_Layout();
// The entry of a named control; nullptr when the name is not in the layout.
const TLayoutEntry* Find_Layout(const std::string& name);

// Items of the fixed pop-up lists (Device_Box is filled from the catalogue).
const std::vector<std::string>& Num_Of_Devices_Items();
const std::vector<std::string>& File_Type_Items();
const std::vector<std::string>& FillBox_Items();

// The Tab order (the visible, enabled ones of these take the focus).
const std::vector<std::string>& Focus_Order();

} // namespace gang
