// The fill command without a widget: the FillBox choices, the FillEdit
// screening and Enter.  Visibility of FillBox and FillEdit and the field's
// reject flag (FillEdit.Tag) are kept in the form model; End_Func hides both.
#pragma once

#include "core/buffer.h"
#include "core/form_model.h"

#include <cstdint>
#include <functional>
#include <string>

namespace gang {

// Items of FillBox, in list order.
namespace fill_item {
constexpr int With_00 = 0;
constexpr int With_FF = 1;
constexpr int With_XX = 2;
constexpr int Cancel = 3;
} // namespace fill_item

class IFillDisplay {
public:
    virtual ~IFillDisplay() = default;
    virtual void Focus_Fill_Edit() = 0;
    virtual void Clear_Fill_Edit() = 0;
    // The window's error box.
    virtual void Show_Error(const std::string& text) = 0;
};

// Every byte of the Buffer, 0000 to FFFF, whatever the device's range.
void Fill_Buffer(TBuffer& buffer, uint8_t value);

class TBufferFill {
public:
    TBufferFill(TFormModel& form, TBuffer& buffer, IFillDisplay& display,
                std::function<void()> start_func, std::function<void()> end_func);
    TBufferFill(const TBufferFill&) = delete;
    TBufferFill& operator=(const TBufferFill&) = delete;

    void FillClick();
    void FillBoxClick(int index); // -1: no item selected
    // The typed character and the field's text before it.
    void FillEditKeyPress(char key, const std::string& text);
    void FillEditChange();

private:
    TFormModel& Form;
    TBuffer& Buffer;
    IFillDisplay& Display;
    std::function<void()> Start_Func;
    std::function<void()> End_Func;
};

} // namespace gang
