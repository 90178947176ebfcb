#include "ui/core/fill_buffer.h"

#include "ui/core/hex_value.h"
#include "ui/core/hex_view.h"

#include <algorithm>

namespace gang {

void Fill_Buffer(TBuffer& buffer, uint8_t value)
{
    std::fill(buffer.Data.begin(), buffer.Data.end(), value);
}

TBufferFill::TBufferFill(TFormModel& form, TBuffer& buffer, IFillDisplay& display,
                         std::function<void()> start_func, std::function<void()> end_func)
    : Form(form), Buffer(buffer), Display(display), Start_Func(std::move(start_func)),
      End_Func(std::move(end_func))
{
}

void TBufferFill::FillClick()
{
    Start_Func();
    Form.FillBox.SetVisible(true);
}

void TBufferFill::FillBoxClick(int index)
{
    switch (index) {
    case fill_item::With_00:
        Fill_Buffer(Buffer, 0x00);
        End_Func();
        break;
    case fill_item::With_FF:
        Fill_Buffer(Buffer, 0xFF);
        End_Func();
        break;
    case fill_item::With_XX:
        // The busy state and FillBox stay: another item may still be chosen.
        Form.FillEdit.SetVisible(true);
        Display.Clear_Fill_Edit();
        Form.FillEdit.Tag = 0;
        Display.Focus_Fill_Edit();
        break;
    case fill_item::Cancel:
        End_Func();
        break;
    default:
        break;
    }
}

void TBufferFill::FillEditKeyPress(char key, const std::string& text)
{
    if (key != Enter_Key) {
        if (!Is_Hex_Key(key))
            Form.FillEdit.Tag = 1;
        return;
    }
    if (!text.empty()) {
        // Pasted text is not screened; it must convert before anything is
        // filled, and the busy state stays when it does not.
        const auto value = Read_Hex(text);
        if (!value) {
            Display.Show_Error(Conversion_Error_Text(text));
            return;
        }
        Fill_Buffer(Buffer, static_cast<uint8_t>(*value));
    }
    End_Func(); // Enter on an empty field cancels
}

void TBufferFill::FillEditChange()
{
    if (Form.FillEdit.Tag == 1) {
        Form.FillEdit.Tag = 0;
        Display.Clear_Fill_Edit();
    }
}

} // namespace gang
