// The link's part of the program's start and end, the same for every front
// end: the search with its calibration, and the rest before access is given
// back.
#include "link/link.h"

namespace gang {

void TLink::Find_And_Calibrate()
{
    Find_Programmer();
    if (Found()) {
        Check_Speed();
        Derive_Pulse_Unit();
    }
    if (Pulse_Unit < 1)
        Pulse_Unit = 1;
}

void TLink::Search(bool calibrate)
{
    if (calibrate)
        Find_And_Calibrate();
    else
        Find_Programmer();
    Nibble_Delay = Working_Nibble_Delay;
}

void TLink::Start_Up()
{
    Search(true);
    Set_Vpp();
}

void TLink::Rest_Adapter()
{
    if (!Found())
        return;
    // The voltage latches were written as soon as the programmer was found:
    // take the programming voltage off.
    Reset_Latches();
    Bus_Rest();
}

void TLink::Close_Down()
{
    if (!Found())
        return;
    Rest_Adapter();
    Port_Release();
}

} // namespace gang
