// Obtaining and giving back direct access to the parallel port's registers,
// with the ECP extended control register held in standard mode meanwhile.
#include "link/emergency_rest.h"
#include "link/latches.h"
#include "link/link.h"

#include <string>

namespace gang {

namespace {
constexpr int Ecr_Standard_Mode = 0x00; // mode bits 7..5 = 000, all else 0
constexpr uint16_t Register_Span = 2;   // data, status, control
} // namespace

TLink::~TLink()
{
    Disarm_Emergency_Rest(Port);
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
    Port.SetFastMode(false);
    Saved_Ecr = static_cast<uint8_t>(Port.Inp(EcrPort()) & 0xFF);
    Port.Outp(EcrPort(), Ecr_Standard_Mode);
    if (Port.IsWinNT()) {
        Port.SetFastMode(true);
        Port.EnablePorts(DataPort, static_cast<uint16_t>(DataPort + Register_Span));
        std::string text;
        if (Port.GetLastState(text) != 0) {
            Enable_Failed = true;
            Port_Open = false;
            Host.ShowError("Error:" + text);
            return;
        }
    }
    Port_Open = true;
    // A fault from here to the release still leaves the adapter at rest.
    Arm_Emergency_Rest(Port, DataPort);
}

void TLink::Port_Release()
{
    if (Port_Open && Latches_In_Use) {
        // Released in the middle of an operation (the window closing): take
        // the voltage and every strobe off before access is given up, and
        // leave the control lines at rest.
        Reset_Latches();
        Port.WriteByte(ControlPort, latch::Control_Rest);
    }
    Port_Open = false;
    Disarm_Emergency_Rest(Port);
    if (Port.IsWinNT())
        Port.DisablePorts(DataPort, static_cast<uint16_t>(DataPort + Register_Span));
    Port.SetFastMode(false);
    Port.Outp(EcrPort(), Saved_Ecr);
}

} // namespace gang
