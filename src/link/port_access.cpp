// Obtaining and giving back direct access to the parallel port's registers,
// with the ECP extended control register held in standard mode meanwhile.
#include "core/hex_text.h"
#include "link/emergency_rest.h"
#include "link/latches.h"
#include "link/link.h"

#include <string>

namespace gang {

namespace {
constexpr uint8_t Ecr_Standard_Mode = 0x00; // mode bits 7..5 = 000, all else 0
} // namespace

TLink::~TLink()
{
    Disarm_Emergency_Rest(Registers);
}

void TLink::Port_Enable()
{
    Enable_Failed = false;
    if (Shutting_Down) {
        // The window is closing: no new access is obtained.
        Enable_Failed = true;
        Port_Open = false;
        return;
    }
    Access.SetFastMode(false);
    Saved_Ecr = Access.ReadEcr(DataPort);
    Access.WriteEcr(DataPort, Ecr_Standard_Mode);
    if (Access.IsWinNT()) {
        Access.SetFastMode(true);
        Access.EnablePorts(DataPort);
        std::string text;
        if (Access.GetLastState(text) != 0) {
            Enable_Failed = true;
            Port_Open = false;
            if (Access.InUseElsewhere()) {
                Ports_In_Use.push_back(DataPort);
                Report.Log_Line(Port_In_Use_Line(DataPort));
            } else
                Host.ShowError("Error:" + text);
            return;
        }
    }
    Port_Open = true;
    // A fault from here to the release still leaves the adapter at rest.
    Arm_Emergency_Rest(Registers, DataPort);
}

void TLink::Port_Release()
{
    if (Port_Open && Latches_In_Use) {
        // Released in the middle of an operation (the window closing): take
        // the voltage and every strobe off before access is given up, and
        // leave the control lines at rest.
        Reset_Latches();
        Registers.Write(DataPort, TRegister::Control, latch::Control_Rest);
    }
    Port_Open = false;
    Disarm_Emergency_Rest(Registers);
    if (Access.IsWinNT())
        Access.DisablePorts(DataPort);
    Access.SetFastMode(false);
    Access.WriteEcr(DataPort, Saved_Ecr);
}

} // namespace gang
