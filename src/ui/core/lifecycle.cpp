#include "ui/core/lifecycle.h"

namespace gang {

void TLifecycle::FormActivate()
{
    Host.ProcessMessages();
    Form.Form.SetEnabled(false);
    Link.Start_Up();
    Form.Form.SetEnabled(true);
    Work.Start_Func();
    Form.Memo1.SetVisible(false);
    if (Work.No_Device_Shown())
        Form.Device_Box.SetVisible(true);
}

void TLifecycle::StaticText3Click()
{
    // The status text stays clickable in the busy state, and a programming
    // run pumps messages inside its pulses.  A search nested in a running
    // handler would put the port test onto a live gang, cut the pulse in
    // hand and end the busy state under the run (address and latches reset,
    // every socket failed): the click is ignored until that handler returns.
    if (Depth > 1)
        return;
    Form.Memo1.ClearLines();
    Form.Form.SetEnabled(false);
    Link.Find_Programmer();
    if (Link.Found()) {
        // A programmer that answered stays where it is: no further search.
        Form.StaticText3.SetEnabled(false);
        Link.Check_Speed();
        Link.Derive_Pulse_Unit();
    }
    if (Link.Pulse_Unit < 1)
        Link.Pulse_Unit = 1;
    Form.Form.SetEnabled(true);
    Form.Memo1.SetVisible(false);
    Work.End_Func();
}

bool TLifecycle::FormCloseQuery()
{
    if (Released)
        return true;
    // The stop request of a close is the stop button's.
    Link.Quit_Flag = TDeviceWork::Stop_Request;
    Link.Wait_Ms = 0;
    Host.DisarmTimer();
    Link.Shutting_Down = true;
    Close_Pending = true;
    Host.ProcessMessages();
    if (Depth > 0 || Released)
        return Released;
    Finish_Close();
    return true;
}

bool TLifecycle::Begin_Handler()
{
    if (Close_Pending || Released)
        return false;
    ++Depth;
    return true;
}

void TLifecycle::End_Handler()
{
    if (Depth > 0)
        --Depth;
    if (Depth == 0 && Close_Pending && !Released) {
        Finish_Close();
        if (On_Close_Ready)
            On_Close_Ready();
    }
}

void TLifecycle::Finish_Close()
{
    Close_Pending = false;
    Released = true;
    Link.Close_Down();
}

} // namespace gang
