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
    Form.Memo1.ClearLines();
    Form.Form.SetEnabled(false);
    Link.Find_And_Calibrate();
    // A programmer that answered stays where it is: no further search.
    if (Link.Found())
        Form.StaticText3.SetEnabled(false);
    Form.Form.SetEnabled(true);
    Form.Memo1.SetVisible(false);
    Work.End_Func();
}

bool TLifecycle::FormCloseQuery()
{
    if (Released)
        return true;
    // The stop request of a close is the stop button's.
    Link.Request_Close();
    Host.DisarmTimer();
    Close_Pending = true;
    Host.ProcessMessages();
    if (Depth > 0 || Released)
        return Released;
    Finish_Close();
    return true;
}

bool TLifecycle::Begin_Handler()
{
    // A search nested in a running handler would put the port test onto a
    // live gang; a list choice or a command would reset the run's address
    // and latches under it.  Nothing nests.
    if (Close_Pending || Released || Depth > 0)
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
