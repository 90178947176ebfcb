// The parallel port as the program sees it, in two parts:
//
//  - IPort_Registers: byte access to the three registers of a port (data,
//    status, control), named by register.  The adapter bus and the emergency
//    rest use only this.
//  - IPort_Access: obtaining and giving back that access, the ECP extended
//    control register and the system's list of ports: the calls of a
//    port-access library (the Windows-era ntport.dll shape the program was
//    written for).  Port access and the search use it.
//
// Every adapter transfer goes through one IPort, which is both.  Backends:
// the Linux hardware backend (linux_port.h), the simulated gang adapter
// (sim/), the recording fakes of the tests and the benchmarks' ports.
#pragma once

#include "core/hex_text.h"

#include <cstdint>
#include <string>
#include <vector>

namespace gang {

// A register of a standard parallel port; the value is its offset from the
// port's base address.
enum class TRegister : uint8_t {
    Data = 0,    // D0-D7, written
    Status = 1,  // S3-S7 (S7 inverted by the port), read
    Control = 2, // C0-C3 (C0, C1 and C3 inverted by the port), written
};

// The search's log line for a port another program holds:
// "Port Address - 0378 In Use By Another Program".
inline std::string Port_In_Use_Line(uint16_t base)
{
    return "Port Address - " + IntToHex(base, 4) + " In Use By Another Program";
}

// The legacy parallel ports (LPT2, LPT1, LPT3 in the order they are
// searched) and the three registers at each base: data, status, control.
constexpr uint16_t Legacy_Port_Bases[] = {0x278, 0x378, 0x3BC};
constexpr uint16_t Port_Register_Count = 3;

// Offset of the ECP extended control register from the base.
constexpr uint16_t Ecr_Offset = 0x402;

class IPort_Registers {
public:
    virtual ~IPort_Registers() = default;
    // Direct register access, only between EnablePorts and DisablePorts of
    // the port at base.
    virtual void Write(uint16_t base, TRegister reg, uint8_t value) = 0;
    virtual uint8_t Read(uint16_t base, TRegister reg) = 0;
};

class IPort_Access {
public:
    virtual ~IPort_Access() = default;
    // True where direct port access must be obtained first (EnablePorts).
    virtual bool IsWinNT() = 0;
    // Fast mode on: enabled registers are reached by direct instructions.
    virtual void SetFastMode(bool fast) = 0;
    // Grant / withdraw direct access to the registers of the port at base.
    virtual void EnablePorts(uint16_t base) = 0;
    virtual void DisablePorts(uint16_t base) = 0;
    // Slow-path read and write of the ECP register of the port at base.
    virtual uint8_t ReadEcr(uint16_t base) = 0;
    virtual void WriteEcr(uint16_t base, uint8_t value) = 0;
    // Nonzero when the last library call failed; text receives the reason.
    virtual int GetLastState(std::string& text) = 0;
    // True when the last call failed because another program holds the
    // port: it was not touched, and the search goes on without a box.
    virtual bool InUseElsewhere() { return false; }
    // Base addresses of the system's parallel ports other than 0x278, 0x378
    // and 0x3BC (add-in cards), in the system's order.  None by default.
    virtual std::vector<uint16_t> OtherPorts() { return {}; }
};

class IPort : public IPort_Access, public IPort_Registers {};

} // namespace gang
