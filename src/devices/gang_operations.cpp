// The four gang operations: blank check, program, verify and move.  Every
// loop runs addresses outermost and the gang's sockets innermost, and ends
// after Next_Address on the end of the range, a stop request, or (but for
// move) when every socket of the gang has failed.
#include "devices/device_rules.h"
#include "devices/device_work.h"

#include <algorithm>
#include <string>

namespace gang {

namespace {

constexpr uint8_t Erased_Byte = 0xFF;

// Operation line texts.
const char* const Blank_Check_Line = "Checking to see if Device is erased....";
const char* const Program_Line = "Programming Device from Buffer....";
const char* const Verify_Line = "Verifying Device to Buffer....";
const char* const Move_Line = "Moving Device #1 to Buffer....";
const char* const Moved_Status = "Device #1 Has Been Moved to Buffer....";

// Socket texts at the start ("<digit>" is put in front) and on failure.
const char* const Is_Blank_Text = "- Is Blank      ";
const char* const Programmed_Ok_Text = "-Programmed OK ";
const char* const Verified_Ok_Text = "- Verified OK   ";

} // namespace

void TDeviceWork::Show_Socket_Texts(const char* text_after_digit)
{
    // All five, though only the gang's are visible.
    for (int s = 1; s <= Max_Gang_Size; ++s)
        Report.Socket_Text(s, std::to_string(s) + text_after_digit);
}

bool TDeviceWork::Refuse_Without_Device()
{
    if (Is_Catalogue_Family(Selection.Family))
        return false;
    // No type chosen: the adapter has no configuration and no address
    // mapping for it, so no latch is driven at all.
    Host.ShowInfo(No_Device_Text);
    return true;
}

void TDeviceWork::Read_Gang(uint8_t (*expected)(uint8_t buffer_byte), TResult_Kind failure)
{
    Link.Gang_Loop(1, [this, expected, failure] {
        Link.Read_Socket();
        // The socket's own byte (its serial) where it has one.
        const uint8_t wanted = expected(Link.Expected_Byte(Link.Cur_Add));
        if (Link.Read_Value != wanted) {
            Link.Note_Miss(Link.Cur_Add, wanted);
            Link.Mark_Socket_Failed(failure);
        }
    });
}

void TDeviceWork::Blank_ChkClick()
{
    // Without a programmer the not-found box comes first, as ever.
    if (Selection.Found && Refuse_Without_Device())
        return;
    Start_Func();
    if (!Selection.Found) {
        Host.ShowInfo(Not_Found_Text);
        End_Func();
        return;
    }
    Report.Stop_Offered();
    Report.Operation(Blank_Check_Line);
    Link.Read_Config();
    Show_Socket_Texts(Is_Blank_Text);
    Read_Gang([](uint8_t) { return Erased_Byte; }, TResult_Kind::Not_Blank);
    End_Func();
}

void TDeviceWork::Verify_EpromClick()
{
    if (Refuse_Without_Device())
        return;
    Start_Func();
    Link.Read_Config();
    Report.Stop_Offered();
    Report.Operation(Verify_Line);
    Show_Socket_Texts(Verified_Ok_Text);
    Read_Gang([](uint8_t buffer_byte) { return buffer_byte; }, TResult_Kind::Not_Verified);
    End_Func();
}

void TDeviceWork::Program_EpromClick()
{
    if (Refuse_Without_Device())
        return;
    Start_Func();
    Report.Operation(Program_Line);
    Report.Stop_Offered();
    Link.Set_Vpp();
    Show_Socket_Texts(Programmed_Ok_Text);
    Link.Program_Range();
    End_Func();
}

void TDeviceWork::Move_EpromClick()
{
    if (Refuse_Without_Device())
        return;
    Start_Func();
    Report.Stop_Offered();
    Report.Operation(Move_Line);
    Link.Read_Config();
    // Only socket 1 is copied, whatever the gang size.
    Link.Use_Socket(1);
    do {
        Link.Set_Address();
        Link.Read_Socket();
        Buffer.Data[static_cast<std::size_t>(Link.Cur_Add)] = Link.Read_Value;
        Link.Next_Address();
    } while (Link.Quit_Flag <= 0);
    Report.Status(Moved_Status);
    Make_Check_Sum();
}

} // namespace gang
