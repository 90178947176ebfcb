// The parallel port as the program sees it: the calls of a port-access
// library (the Windows-era ntport.dll shape the program was written for)
// plus direct byte access to the data, status and control registers.
//
// Every adapter transfer goes through one IPort.  Backends: the Linux
// hardware backend (linux_port.h), the simulated gang adapter (sim/), and
// the recording fakes the tests use.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace gang {

class IPort {
public:
    virtual ~IPort() = default;

    // --- port-access library ------------------------------------------------
    // True where direct port access must be obtained first (EnablePorts).
    virtual bool IsWinNT() = 0;
    // Fast mode on: enabled registers are reached by direct instructions.
    virtual void SetFastMode(bool fast) = 0;
    // Grant / withdraw direct byte access to the inclusive range.
    virtual void EnablePorts(uint16_t first, uint16_t last) = 0;
    virtual void DisablePorts(uint16_t first, uint16_t last) = 0;
    // Slow-path byte read and write (used only for the ECP register).
    virtual int Inp(uint16_t port) = 0;
    virtual void Outp(uint16_t port, int value) = 0;
    // Nonzero when the last library call failed; text receives the reason.
    virtual int GetLastState(std::string& text) = 0;
    // Base addresses of the system's parallel ports other than 0x278, 0x378
    // and 0x3BC (add-in cards), in the system's order.  None by default.
    virtual std::vector<uint16_t> OtherPorts() { return {}; }

    // --- direct register access (only between Port_Enable / Port_Release) --
    virtual void WriteByte(uint16_t port, uint8_t value) = 0;
    virtual uint8_t ReadByte(uint16_t port) = 0;
};

} // namespace gang
