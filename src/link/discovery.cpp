// The search for the adapter on the three parallel-port base addresses, then
// on the other ports the system lists (add-in cards), or on the one port the
// user named: a port test writes two patterns into the data latch and reads
// them back.
#include "core/hex_text.h"
#include "link/latches.h"
#include "link/link.h"

#include <algorithm>
#include <iterator>
#include <vector>

namespace gang {

namespace {
constexpr int32_t Search_Nibble_Delay = 3;
constexpr int32_t Confirm_Pause_Ms = 300;
constexpr int Not_Found_X = 375;
constexpr int Not_Found_Y = 175;
const char* const Not_Found_Text = "The Tarvik Programmer Can Not\r\nBe Found On LPT1, LPT2 or "
                                   "LPT3.\r\n\r\n..Make Sure Your Power Pack is Plugged In..";
} // namespace

void TLink::Set_Found(bool found)
{
    Selection.Found = found;
    Report.Selection_Changed(Selection);
}

void TLink::Port_Test(uint8_t pattern)
{
    Latch(latch::Data_Latch, pattern);
    Read_Bus();
    if (Read_Value != pattern)
        Set_Found(false);
    Report.Log_Line("Port Address - " + IntToHex(DataPort, 4) + " Expected - " +
                    IntToHex(pattern, 2) + " / Found - " + IntToHex(Read_Value, 2));
}

void TLink::Probe_Port()
{
    Port_Enable();
    if (Enable_Failed) {
        // No access to the registers: any read or write would fault.  The
        // probe ends as not found; the release puts the ECR back.
        Set_Found(false);
        Port_Release();
        return;
    }
    Reset_Latches();
    Set_Found(true);
    Latch(latch::Vpp_Latch, latch::Probe_Vpp);
    Port_Test(latch::Test_Pattern_1);
    Port_Test(latch::Test_Pattern_2);
    Bus_Rest();
    if (!Found())
        Port_Release();
}

void TLink::Find_Programmer()
{
    Ports_In_Use.clear();
    Nibble_Delay = Search_Nibble_Delay;
    Vpp_Value = latch::Search_Vpp_Value;
    Report.Log_Visible(true);
    auto probe_at = [this](uint16_t base) {
        if (Shutting_Down)
            return true; // no new port is enabled once the window closes
        DataPort = base;
        Probe_Port();
        return Found();
    };
    if (Chosen_Port) {
        probe_at(*Chosen_Port);
    } else {
        bool done = false;
        for (uint16_t base : Legacy_Port_Bases)
            if ((done = probe_at(base)))
                break;
        // Add-in cards sit where their bus put them: each port the system
        // lists is announced, then tested like the three above.
        for (uint16_t base : done ? std::vector<uint16_t>{} : Access.OtherPorts()) {
            if (std::find(std::begin(Legacy_Port_Bases), std::end(Legacy_Port_Bases), base) !=
                std::end(Legacy_Port_Bases))
                continue;
            if (!Shutting_Down)
                Report.Log_Line("Port Address - " + IntToHex(base, 4) + " Listed By The System");
            if (probe_at(base))
                break;
        }
    }
    if (!Found()) {
        if (!Shutting_Down)
            Host.ShowInfoAt(Not_Found_Text, Not_Found_X, Not_Found_Y);
        return;
    }
    // Confirm at the same address after a reset and a pause.
    Reset_Latches();
    Wait_Ms = Confirm_Pause_Ms;
    Timer_Wait();
    if (!Port_Open || Shutting_Down) {
        // The window closed during the pause and released the port: no
        // second probe, the search ends as not found.
        Set_Found(false);
        if (Port_Open)
            Port_Release();
        return;
    }
    Probe_Port();
    if (!Found()) {
        Port_Release();
        Host.ShowInfoAt(Not_Found_Text, Not_Found_X, Not_Found_Y);
    }
}

} // namespace gang
