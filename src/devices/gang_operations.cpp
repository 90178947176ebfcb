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
// While the operation works on it: no socket reads OK before its own
// operation has ended for it.
const char* const Checking_Text = "- Checking....";
const char* const Programming_Text = "-Programming....";
const char* const Verifying_Text = "- Verifying....";

} // namespace

void TDeviceWork::Show_Socket_Texts(const char* text_after_digit)
{
    // All five, though only the gang's are visible.
    for (int s = 1; s <= Max_Gang_Size; ++s)
        Report.Socket_Text(s, std::to_string(s) + text_after_digit);
}

void TDeviceWork::Show_Socket_Results(TOperation operation)
{
    // A failed socket shows its failure since it dropped out; the others
    // show what became of them now that the operation has ended.
    for (int s = 1; s <= Max_Gang_Size; ++s) {
        const TSocket_Result& result = Link.Gang_State().Result(s);
        if (result.Passed())
            Report.Socket_Text(s, Passed_Socket_Text(operation, s));
        else if (!result.Failed())
            Report.Socket_Stopped(s, result);
    }
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

std::string Passed_Socket_Text(TOperation operation, int socket)
{
    const char* text = "";
    switch (operation) {
    case TOperation::Blank_Check:
        text = Is_Blank_Text;
        break;
    case TOperation::Program:
        text = Programmed_Ok_Text;
        break;
    case TOperation::Verify:
        text = Verified_Ok_Text;
        break;
    case TOperation::Move:
        return "";
    }
    return std::to_string(socket) + text;
}

// The operations themselves, as the window's handlers and every front end
// run them.  Each begins and ends as the busy state does on the adapter
// (latches reset, every socket of the gang in the run) without the window's
// buttons and captions.

void TDeviceWork::Begin_Operation(bool window_busy)
{
    Link.Reset_Link();
    if (window_busy)
        Report.Busy_Begin();
    Report.Counter(Link.Cur_Add);
    Link.Clear_Socket_Fails();
    Host.ProcessMessages();
}

void TDeviceWork::End_Operation(bool window_busy)
{
    if (window_busy)
        Report.Busy_End(Selection.Found);
    // The address where the run ended, before the reset clears it.
    Report.Counter(Link.Cur_Add);
    Link.Reset_Link();
    Host.ProcessMessages();
}

void TDeviceWork::Blank_Check_Gang()
{
    Link.Read_Config();
    Read_Gang([](uint8_t) { return Erased_Byte; }, TResult_Kind::Not_Blank);
}

void TDeviceWork::Verify_Gang()
{
    Link.Read_Config();
    Read_Gang([](uint8_t buffer_byte) { return buffer_byte; }, TResult_Kind::Not_Verified);
}

void TDeviceWork::Program_Gang()
{
    Link.Set_Vpp();
    Link.Program_Range();
}

void TDeviceWork::Move_Socket_1()
{
    Link.Read_Config();
    // Only socket 1 is copied, whatever the gang size.
    Link.Use_Socket(1);
    do {
        Link.Set_Address();
        Link.Read_Socket();
        Buffer.Data[static_cast<std::size_t>(Link.Cur_Add)] = Link.Read_Value;
        Link.Next_Address();
    } while (Link.Quit_Flag <= 0);
}

const TGangState& TDeviceWork::Blank_Check()
{
    Begin_Operation();
    Blank_Check_Gang();
    End_Operation();
    return Link.Gang_State();
}

const TGangState& TDeviceWork::Program()
{
    Begin_Operation();
    Program_Gang();
    End_Operation();
    return Link.Gang_State();
}

const TGangState& TDeviceWork::Verify()
{
    Begin_Operation();
    Verify_Gang();
    End_Operation();
    return Link.Gang_State();
}

void TDeviceWork::Move()
{
    Begin_Operation();
    Move_Socket_1();
    // The latches reset once more, as the window's Move resets them for its
    // checksum.
    Link.Reset_Link();
    End_Operation();
}

// The window's handlers: the operation inside the busy state, with the
// operation's line, the stop button and the sockets' texts.

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
    Show_Socket_Texts(Checking_Text);
    Blank_Check_Gang();
    Show_Socket_Results(TOperation::Blank_Check);
    End_Func();
}

void TDeviceWork::Verify_EpromClick()
{
    if (Refuse_Without_Device())
        return;
    Start_Func();
    Report.Stop_Offered();
    Report.Operation(Verify_Line);
    Show_Socket_Texts(Verifying_Text);
    Verify_Gang();
    Show_Socket_Results(TOperation::Verify);
    End_Func();
}

void TDeviceWork::Program_EpromClick()
{
    if (Refuse_Without_Device())
        return;
    Start_Func();
    Report.Operation(Program_Line);
    Report.Stop_Offered();
    Show_Socket_Texts(Programming_Text);
    Program_Gang();
    Show_Socket_Results(TOperation::Program);
    End_Func();
}

void TDeviceWork::Move_EpromClick()
{
    if (Refuse_Without_Device())
        return;
    Start_Func();
    Report.Stop_Offered();
    Report.Operation(Move_Line);
    Move_Socket_1();
    Report.Status(Moved_Status);
    Make_Check_Sum();
}

} // namespace gang
