// The parallel port on Linux, for the real adapter (Open_System_Port).
//
// The kernel lists its parallel ports under /proc/sys/dev/parport/parportN
// (base-addr: the base address first) and offers each as /dev/parportN
// (ppdev).  Both are looked up under a root directory given to the backend
// ("/" on a real system; a test lays out a tree of its own).
//
// Two ways to the registers, chosen per base address:
//  1. ppdev, when the base is listed and its /dev/parportN opens: the port is
//     claimed and put into compatibility mode (the standard parallel-port
//     mode; the kernel's driver sets the ECP control register for it), and
//     every access is an ioctl.  A user in the `lp` group needs no root.
//     ReadEcr/WriteEcr then do nothing: the ECP register is the driver's.
//  2. ioperm (x86 only), otherwise: direct in/out instructions on the three
//     registers, and on the ECP register at base + 0x402 for ReadEcr/WriteEcr.
//     Needs root or the capability CAP_SYS_RAWIO.  The permission belongs to
//     the calling thread, so all port traffic stays on the window's thread.
// Before a port is first touched (its ECP register included) it is locked
// for this program (port_lock.h); a port another program holds is neither
// read nor written, and InUseElsewhere says so.  The lock is kept until the
// release has put the ECP register back, or another port is touched.
// Direct access the program took at start-up (privilege.h) is reused, not
// asked for again, and kept for a later search.
// A failure never ends the process: it is kept as text for GetLastState, and
// registers without access are neither read nor written.
#pragma once

#include "link/port.h"
#include "platform/port_lock.h"
#include "platform/system_port.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace gang {

// The first number of a base-addr file ("888\t1912\n" gives 888).
std::optional<long> Parse_Base_Addr(const std::string& text);

// The text for a port the program may not open: why the ppdev node did not
// open (node "" when the port has none) and why ioperm was refused, with the
// group or the capability the user lacks (has_rawio: the process holds
// CAP_SYS_RAWIO, so a refused ioperm is not a matter of rights).
std::string Access_Refused_Text(uint16_t base, const std::string& node, int open_errno,
                                int ioperm_errno, bool has_rawio);

// True when the process holds the capability direct port I/O needs.
bool Has_Raw_Io_Capability();

class TLinuxPort : public IPort {
public:
    // The lock files go to /run/lock for the real system, and under
    // <root>/run/lock for a tree of a test (none there: unlocked).
    explicit TLinuxPort(std::string root = "/");
    ~TLinuxPort() override;
    TLinuxPort(const TLinuxPort&) = delete;
    TLinuxPort& operator=(const TLinuxPort&) = delete;

    bool IsWinNT() override { return true; }
    // Both ways above reach the registers the same way in either mode.
    void SetFastMode(bool) override {}
    void EnablePorts(uint16_t base) override;
    void DisablePorts(uint16_t base) override;
    uint8_t ReadEcr(uint16_t base) override;
    void WriteEcr(uint16_t base, uint8_t value) override;
    int GetLastState(std::string& text) override;
    std::vector<uint16_t> OtherPorts() override;
    bool InUseElsewhere() override { return in_use_elsewhere_; }

    void Write(uint16_t base, TRegister reg, uint8_t value) override;
    uint8_t Read(uint16_t base, TRegister reg) override;

private:
    enum class Mode { None, Ppdev, Direct };

    void Fail(const std::string& text);
    // Locks base before it is touched; false (and the failure kept) when
    // another program holds it.
    bool Lock(uint16_t base);
    uint8_t Read_Ecr_Locked(uint16_t base);
    void Write_Ecr_Locked(uint16_t base, uint8_t value);
    void Succeed() { last_error_.clear(); }
    // Opens the ppdev node of base; -1 (and errno) when there is none or it
    // does not open.
    int Open_Node(uint16_t base, std::string& node) const;
    bool Claim(int fd, const std::string& node);
    // ioperm on [first, first + count); errno kept in ioperm_errno_.
    bool Grant_Direct(uint16_t first, uint16_t count);
    void Revoke_Direct(uint16_t first, uint16_t count);
    // True where the ECP register of base is the kernel driver's: the base
    // is ours through ppdev, or its ppdev node opens.
    bool Ecr_Is_Drivers(uint16_t base) const;
    // One ppdev ioctl; a failure is kept for GetLastState.
    bool Ppdev_Call(unsigned long request, void* arg, const char* what);
    void Close_Ppdev();
    bool Enabled(uint16_t base) const { return mode_ != Mode::None && base == base_; }

    std::string root_;
    Mode mode_ = Mode::None;
    int fd_ = -1;
    uint16_t base_ = 0; // the enabled port, while mode_ is not None
    int ioperm_errno_ = 0;
    std::string last_error_;
    TPortLock lock_;
    bool in_use_elsewhere_ = false;
    bool unlock_after_ecr_ = false; // DisablePorts ran: the ECR write ends the use
};

} // namespace gang
