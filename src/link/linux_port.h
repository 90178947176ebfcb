// The parallel port on Linux, for the real adapter.
//
// Two ways to the registers, tried in this order by EnablePorts:
//  1. ppdev: the kernel's /dev/parportN whose base address (from
//     /proc/sys/dev/parport/parportN/base-addr) is the one asked for.  The
//     port is claimed and every access is an ioctl; a user in the `lp` group
//     needs no root.  The ECP control register is then the kernel driver's
//     business and Inp/Outp on it do nothing.
//  2. ioperm (x86 only): direct in/out instructions on the three registers,
//     and on the ECP register for Inp/Outp.  The permission belongs to the
//     calling thread, so all port traffic must stay on the window's thread.
// A failure never ends the process: it is kept as text for GetLastState, and
// registers without access are neither read nor written.
#pragma once

#include "link/port.h"

#include <cstdint>
#include <optional>
#include <string>

namespace gang {

// The N of the /dev/parportN whose first base address is base, looked up in
// a tree shaped like /proc/sys/dev/parport; nothing when no port matches.
std::optional<int> Find_Ppdev_Index(uint16_t base,
                                    const std::string& proc_dir = "/proc/sys/dev/parport");

// The first number of a base-addr file ("888\t1912\n" gives 888).
std::optional<long> Parse_Base_Addr(const std::string& text);

class TLinuxPort : public IPort {
public:
    explicit TLinuxPort(std::string proc_dir = "/proc/sys/dev/parport",
                        std::string dev_dir = "/dev");
    ~TLinuxPort() override;
    TLinuxPort(const TLinuxPort&) = delete;
    TLinuxPort& operator=(const TLinuxPort&) = delete;

    bool IsWinNT() override { return true; }
    void SetFastMode(bool fast) override { fast_ = fast; }
    void EnablePorts(uint16_t first, uint16_t last) override;
    void DisablePorts(uint16_t first, uint16_t last) override;
    int Inp(uint16_t port) override;
    void Outp(uint16_t port, int value) override;
    int GetLastState(std::string& text) override;

    void WriteByte(uint16_t port, uint8_t value) override;
    uint8_t ReadByte(uint16_t port) override;

private:
    enum class Mode { None, Ppdev, Direct };

    void Fail(const std::string& text);
    void Succeed() { last_error_.clear(); }
    bool Grant_Direct(uint16_t first, uint16_t count);
    void Close_Ppdev();
    bool In_Range(uint16_t port) const { return port >= first_ && port <= last_; }

    std::string proc_dir_;
    std::string dev_dir_;
    bool fast_ = false;
    Mode mode_ = Mode::None;
    int fd_ = -1;
    uint16_t first_ = 1; // enabled register range; empty while first_ > last_
    uint16_t last_ = 0;
    std::string last_error_;
};

} // namespace gang
