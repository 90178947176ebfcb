// The hex view and editor of the Buffer, without a widget: the cursor state,
// navigation, wrap and paging with their clamps, typing in the hex and the
// character column, the click mapping and the go-to field.  What the widget
// must do (redraw a line, place the caret, show, focus) goes out through
// IHexViewDisplay; the Qt glue implements it, tests implement it with a fake.
//
// Visibility of Edit_1 and Chg_Edit_Add is written into the form model and
// Chg_Edit_Add.Tag holds the go-to field's reject flag, as the window keeps
// that state in its controls.
#pragma once

#include "core/buffer.h"
#include "core/form_model.h"
#include "ui/core/hex_view_text.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace gang {

// Virtual-key codes of the navigation keys the view acts on.
namespace hex_key {
constexpr int Page_Up = 0x21;
constexpr int Page_Down = 0x22;
constexpr int End = 0x23;
constexpr int Home = 0x24;
constexpr int Left = 0x25;
constexpr int Up = 0x26;
constexpr int Right = 0x27;
constexpr int Down = 0x28;
constexpr int None = 0; // any other key
} // namespace hex_key

constexpr char Enter_Key = '\r';

struct THexCursor {
    int32_t Page_Add = 0;   // Buffer address of the page's first byte
    int32_t Edit_Row = 0;   // 0..15
    int32_t Edit_Col = 0;   // 0..15 (16 right after typing into byte 15)
    int32_t Ascii_Mode = 0; // 1: character column, 0: hex column
    int32_t Low_Nibble = 0; // hex column: 1 on the low digit

    int32_t Address() const { return Page_Add + Hex_Cols * Edit_Row + Edit_Col; }
};

// Caret position (two characters per line break) directly before the digit
// or character the cursor stands on.
int Hex_Caret_Position(const THexCursor& cursor);

class IHexViewDisplay {
public:
    virtual ~IHexViewDisplay() = default;
    // Replaces the whole text of Edit_1 by these 17 lines.
    virtual void Set_View_Lines(const std::vector<std::string>& lines) = 0;
    // Replaces one whole line in place.
    virtual void Set_View_Line(int line, const std::string& text) = 0;
    // Overwrites text.size() characters of a line from `offset` on.
    virtual void Set_View_Chars(int line, int offset, const std::string& text) = 0;
    // Places the caret before offset `offset` of line `line`.
    virtual void Set_View_Caret(int line, int offset) = 0;
    virtual void Focus_View() = 0;
    virtual void Focus_Goto() = 0;
    virtual void Clear_Goto() = 0;
    virtual void Process_Messages() = 0;
    // The window's error box.
    virtual void Show_Error(const std::string& text) = 0;
};

class THexView {
public:
    THexView(TFormModel& form, TBuffer& buffer, IHexViewDisplay& display,
             std::function<void()> end_func);
    THexView(const THexView&) = delete;
    THexView& operator=(const THexView&) = delete;

    // ---- Handlers --------------------------------------------------------
    void EditClick();
    void Edit_1KeyDown(int key);                // key: one of hex_key
    void Edit_1KeyPress(char key);              // the typed character
    void Edit_1KeyUp();                         // every key
    void Edit_1MouseDown(int line, int offset); // caret after the press
    void Edit_1Exit();
    void Chg_Edit_AddKeyPress(char key, const std::string& text); // text before the key
    void Chg_Edit_AddChange();

    // ---- Routines --------------------------------------------------------
    void Show_Page();
    void Show_Status();
    void Show_Byte();

    const THexCursor& Cursor() const { return Cursor_; }

private:
    void Set_Caret(); // exact position
    void Page_Start_Floor();
    void Page_Start_Ceiling();
    uint8_t& Cursor_Byte();

    TFormModel& Form;
    TBuffer& Buffer;
    IHexViewDisplay& Display;
    std::function<void()> End_Func;
    THexCursor Cursor_;
};

} // namespace gang
