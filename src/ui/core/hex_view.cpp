#include "ui/core/hex_view.h"

#include "core/hex_text.h"
#include "ui/core/hex_value.h"

#include <algorithm>

namespace gang {

namespace {
// Highest page start whose 256 bytes still lie in the Buffer.
constexpr int32_t Last_Page_In_Buffer = Buffer_Size - Hex_Page_Bytes;
// A click at or before this position (the status line's "Address = " and the
// address) opens the go-to field.
constexpr int Goto_Click_Limit = 16;
// Clicks before the first data row's first digit count as on that digit.
constexpr int First_Click_Position = 80;
// Offset of the hex column within a line, counted from the line's start in
// the position arithmetic of the click rule.
constexpr int Click_Hex_Start = 6;
constexpr int Click_Char_Column = 48; // t from here on: character column
constexpr int Click_Char_Start = 50;
} // namespace

int Hex_Caret_Position(const THexCursor& cursor)
{
    const int line_start = Hex_Line_Stride * (cursor.Edit_Row + 1);
    if (cursor.Ascii_Mode == 1)
        return line_start + Hex_Char_Offset - 1 + cursor.Edit_Col;
    return line_start + Hex_Digit_Offset - 1 + 3 * cursor.Edit_Col + cursor.Low_Nibble;
}

THexView::THexView(TFormModel& form, TBuffer& buffer, IHexViewDisplay& display,
                   std::function<void()> end_func)
    : Form(form), Buffer(buffer), Display(display), End_Func(std::move(end_func))
{
}

uint8_t& THexView::Cursor_Byte()
{
    return Buffer[static_cast<std::size_t>(Cursor_.Address())];
}

// Page Up and the step up from row 0 below page 0: back to the first byte.
// Also catches the negative page start that the upper clamps would compute
// while no device type is chosen (End_Of_Eprom 0).
void THexView::Page_Start_Floor()
{
    if (Cursor_.Page_Add < 0) {
        Cursor_.Page_Add = 0;
        Cursor_.Edit_Row = 0;
        Cursor_.Edit_Col = 0;
    }
}

// With a 64 KiB type a page start off a 256 boundary (left by a go-to) can
// step past FF00; the page would then run out of the Buffer.
void THexView::Page_Start_Ceiling()
{
    if (Cursor_.Page_Add > Last_Page_In_Buffer) {
        Cursor_.Page_Add = std::clamp(Buffer.End_Of_Eprom - 0xFF, 0, Last_Page_In_Buffer);
        Cursor_.Edit_Row = 0;
        Cursor_.Edit_Col = 0;
    }
}

void THexView::Set_Caret()
{
    const int position = Hex_Caret_Position(Cursor_);
    Display.Set_View_Caret(Line_Of(position), Offset_Of(position));
}

void THexView::Show_Status()
{
    Display.Set_View_Line(0, Hex_Status_Line(Cursor_.Address(), Cursor_Byte()));
}

void THexView::Show_Byte()
{
    const uint8_t value = Cursor_Byte();
    const int line = Cursor_.Edit_Row + 1;
    Display.Set_View_Chars(line, Hex_Digit_Offset + 3 * Cursor_.Edit_Col, IntToHex(value, 2));
    Display.Set_View_Chars(line, Hex_Char_Offset + Cursor_.Edit_Col,
                           std::string(1, Hex_View_Char(value)));
}

void THexView::Show_Page()
{
    Cursor_.Low_Nibble = 0;
    std::vector<std::string> lines;
    lines.reserve(Hex_View_Lines);
    lines.push_back(Hex_Status_Line(Cursor_.Address(), Cursor_Byte()));
    for (int row = 0; row < Hex_Rows; ++row)
        lines.push_back(Hex_Data_Line(Buffer, Cursor_.Page_Add + Hex_Cols * row));
    Display.Set_View_Lines(lines);
    Set_Caret();
    Form.Edit_1.SetVisible(true);
    Display.Focus_View();
    Display.Process_Messages();
}

void THexView::EditClick()
{
    End_Func();
    Cursor_.Page_Add = 0;
    Form.Edit_1.SetVisible(true);
    Cursor_.Edit_Row = 0;
    Cursor_.Edit_Col = 0;
    Show_Page(); // Ascii_Mode stays as the view was last left
}

void THexView::Edit_1KeyDown(int key)
{
    Display.Process_Messages();
    THexCursor& c = Cursor_;
    switch (key) {
    case hex_key::Page_Up:
        if (c.Page_Add > 0) {
            c.Page_Add -= Hex_Page_Bytes;
            Page_Start_Floor();
        }
        Show_Page();
        break;
    case hex_key::Page_Down:
        c.Page_Add += Hex_Page_Bytes;
        if (c.Page_Add >= Buffer.End_Of_Eprom) {
            c.Page_Add = Buffer.End_Of_Eprom - 0xFF;
            c.Edit_Row = 0;
            c.Edit_Col = 0;
        }
        Page_Start_Floor();
        Page_Start_Ceiling();
        Show_Page();
        break;
    case hex_key::End:
        c.Edit_Col = Hex_Cols - 1;
        break;
    case hex_key::Home:
        c.Edit_Col = 0;
        break;
    case hex_key::Left:
        if (c.Low_Nibble == 1)
            c.Low_Nibble = 0;
        else
            c.Edit_Col -= 1;
        break;
    case hex_key::Up:
        c.Edit_Row -= 1;
        break;
    case hex_key::Right:
        c.Edit_Col += 1;
        c.Low_Nibble = 0;
        break;
    case hex_key::Down:
        c.Edit_Row += 1;
        break;
    default:
        break;
    }

    // Wrap at the row ends, then at the page ends.
    if (c.Edit_Col == -1) {
        c.Edit_Col = Hex_Cols - 1;
        c.Edit_Row -= 1;
    }
    if (c.Edit_Col == Hex_Cols) {
        c.Edit_Col = 0;
        c.Edit_Row += 1;
    }
    if (c.Edit_Row < 0) {
        c.Edit_Row = Hex_Rows - 1;
        c.Edit_Col = Hex_Cols - 1;
        c.Page_Add -= Hex_Page_Bytes;
        Page_Start_Floor();
        Show_Page();
    }
    if (c.Edit_Row == Hex_Rows) {
        c.Edit_Row = 0;
        c.Edit_Col = 0;
        if (c.Page_Add + Hex_Page_Bytes <= Buffer.End_Of_Eprom)
            c.Page_Add += Hex_Page_Bytes;
        Page_Start_Ceiling();
        Show_Page();
    }
    Show_Status();
    // The widget's own handling of the key is replaced by placing the caret
    // exactly at once.
    Set_Caret();
}

void THexView::Edit_1KeyPress(char key)
{
    THexCursor& c = Cursor_;
    // Byte 16 exists only between typing into byte 15 and the next key's
    // wrap; a character arriving without that key-down has no byte to go to.
    if (c.Edit_Col < 0 || c.Edit_Col >= Hex_Cols || c.Edit_Row < 0 || c.Edit_Row >= Hex_Rows)
        return;
    uint8_t& byte = Cursor_Byte();
    if (c.Ascii_Mode == 1) {
        byte = static_cast<uint8_t>(key);
        Show_Byte();
        c.Edit_Col += 1;
        return;
    }
    const int digit = Hex_Digit_Value(key);
    if (digit < 0)
        return;
    if (c.Low_Nibble == 0) {
        byte = static_cast<uint8_t>(digit << 4 | (byte & 0x0F));
        Show_Byte();
        c.Low_Nibble = 1;
    } else {
        byte = static_cast<uint8_t>((byte & 0xF0) | digit);
        Show_Byte();
        c.Low_Nibble = 0;
        c.Edit_Col += 1;
    }
}

void THexView::Edit_1KeyUp()
{
    Set_Caret();
}

void THexView::Edit_1MouseDown(int line, int offset)
{
    const int position = Position_Of(line, offset);
    if (position <= Goto_Click_Limit) {
        Form.Chg_Edit_Add.SetVisible(true);
        Display.Focus_Goto();
        Display.Clear_Goto();
        Form.Chg_Edit_Add.Tag = 0;
        Form.Edit_1.SetVisible(true); // hidden again by the focus going to the field
    }
    THexCursor& c = Cursor_;
    const int p = std::max(position, First_Click_Position);
    c.Edit_Row = std::min(p / Hex_Line_Stride - 1, Hex_Rows - 1);
    int t = std::max(p % Hex_Line_Stride - Click_Hex_Start, 0);
    if (t >= Click_Char_Column) {
        c.Ascii_Mode = 1;
        t = std::max(t, Click_Char_Start);
        c.Edit_Col = std::min(t - Click_Char_Start, Hex_Cols - 1);
        Show_Status();
    } else {
        c.Ascii_Mode = 0;
        c.Edit_Col = std::min(t / 3, Hex_Cols - 1);
        Show_Status();
        c.Low_Nibble = t % 3 != 0 ? 1 : 0; // the low digit or the blank after it
    }
    Set_Caret();
}

void THexView::Edit_1Exit()
{
    Form.Edit_1.SetVisible(false);
}

void THexView::Chg_Edit_AddKeyPress(char key, const std::string& text)
{
    if (key != Enter_Key) {
        // The key itself still reaches the field; the change it makes (or
        // the next one) empties it.
        if (!Is_Hex_Key(key))
            Form.Chg_Edit_Add.Tag = 1;
        return;
    }
    Display.Focus_View();
    Form.Chg_Edit_Add.SetVisible(false);
    if (text.empty())
        return;
    const auto value = Read_Hex(text);
    if (!value) {
        Display.Show_Error(Conversion_Error_Text(text));
        return;
    }
    Cursor_.Page_Add = static_cast<int32_t>(*value & 0xFFFFF0);
    if (Cursor_.Page_Add + Hex_Page_Bytes >= Buffer.End_Of_Eprom)
        Cursor_.Page_Add = Buffer.End_Of_Eprom - 0xFF;
    Page_Start_Floor();
    Show_Page(); // the cursor keeps its row and byte on the new page
}

void THexView::Chg_Edit_AddChange()
{
    if (Form.Chg_Edit_Add.Tag == 1) {
        Form.Chg_Edit_Add.Tag = 0;
        Display.Clear_Goto();
    }
}

} // namespace gang
