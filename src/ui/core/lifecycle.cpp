#include "ui/core/lifecycle.h"

namespace gang {

namespace {

// Message-pump passes per pulse unit: Speed_Count counts one second, so a
// unit is about 1/750 s.
constexpr uint32_t Passes_Per_Unit_Divisor = 750;
// Busy-loop count before each nibble once start-up is over.
constexpr int32_t Working_Nibble_Delay = 5;
// The stop request of a close (the same value as the stop button's).
constexpr int32_t Close_Quit_Flag = 5;

} // namespace

void TLifecycle::Search_Programmer()
{
    Link.Find_Programmer();
    if (Link.Found()) {
        Link.Check_Speed();
        Link.Pulse_Unit = Link.Speed_Count / Passes_Per_Unit_Divisor;
    }
    if (Link.Pulse_Unit < 1)
        Link.Pulse_Unit = 1;
}

void TLifecycle::FormActivate()
{
    Host.ProcessMessages();
    Form.Form.SetEnabled(false);
    Search_Programmer();
    Link.Nibble_Delay = Working_Nibble_Delay;
    Link.Set_Vpp();
    Form.Form.SetEnabled(true);
    Work.Start_Func();
    Form.Memo1.SetVisible(false);
    if (Form.Device.Caption() == "No Device")
        Form.Device_Box.SetVisible(true);
}

void TLifecycle::StaticText3Click()
{
    Form.Memo1.ClearLines();
    Form.Form.SetEnabled(false);
    Link.Find_Programmer();
    if (Link.Found()) {
        // A programmer that answered stays where it is: no further search.
        Form.StaticText3.SetEnabled(false);
        Link.Check_Speed();
        Link.Pulse_Unit = Link.Speed_Count / Passes_Per_Unit_Divisor;
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
    Link.Quit_Flag = Close_Quit_Flag;
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
    if (Form.StaticText3.Tag > 0) {
        // The voltage latches were written as soon as the programmer was
        // found: take the programming voltage off before letting go.
        Link.Reset_Latches();
        Link.Bus_Rest();
        Link.Port_Release();
    }
}

} // namespace gang
