#include "platform/posix/linux_port.h"

#include "platform/privilege.h"

#include "platform/posix/port_io.h"

#include <algorithm>
#include <cstdio>
#include <dirent.h>
#include <filesystem>
#include <fstream>
#include <sstream>

#if defined(__linux__)
#include <linux/parport.h>
#include <linux/ppdev.h>
#include <sys/ioctl.h>
#define GANG_HAVE_PPDEV 1
#endif

namespace gang {

std::unique_ptr<IPort> Open_System_Port()
{
    return std::make_unique<TLinuxPort>();
}

namespace {
const char* const Proc_Dir = "proc/sys/dev/parport";
const char* const Dev_Dir = "dev";
const char* const Parport_Prefix = "parport";
const char* const Ppdev_Group = "lp";

std::string Hex4(unsigned value)
{
    char text[8];
    std::snprintf(text, sizeof text, "%04X", value & 0xFFFFu);
    return text;
}

std::string Under(const std::string& root, const std::string& path)
{
    if (root.empty() || root.back() == '/')
        return root + path;
    return root + "/" + path;
}
} // namespace

std::optional<long> Parse_Base_Addr(const std::string& text)
{
    std::istringstream in(text);
    long value = 0;
    if (!(in >> value) || value < 0)
        return std::nullopt;
    return value;
}

std::vector<TParport> List_Parports(const std::string& root)
{
    std::vector<TParport> ports;
    const std::string proc = Under(root, Proc_Dir);
    DIR* dir = opendir(proc.c_str());
    if (dir == nullptr)
        return ports;
    const size_t prefix_len = std::strlen(Parport_Prefix);
    while (const dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name.size() <= prefix_len || name.size() > prefix_len + 3 ||
            name.compare(0, prefix_len, Parport_Prefix) != 0)
            continue;
        const std::string digits = name.substr(prefix_len);
        if (digits.find_first_not_of("0123456789") != std::string::npos)
            continue;
        std::ifstream file(std::filesystem::path(proc) / name / "base-addr");
        std::stringstream text;
        text << file.rdbuf();
        const auto addr = Parse_Base_Addr(text.str());
        if (!addr || *addr > 0xFFFF)
            continue;
        ports.push_back(
            {std::stoi(digits), static_cast<uint16_t>(*addr), Under(root, Dev_Dir) + "/" + name});
    }
    closedir(dir);
    std::sort(ports.begin(), ports.end(),
              [](const TParport& a, const TParport& b) { return a.Index < b.Index; });
    return ports;
}

std::optional<TParport> Find_Parport_At(uint16_t base, const std::string& root)
{
    for (const TParport& port : List_Parports(root))
        if (port.Base == base)
            return port;
    return std::nullopt;
}

std::optional<TParport> Find_Parport_Index(int index, const std::string& root)
{
    for (const TParport& port : List_Parports(root))
        if (port.Index == index)
            return port;
    return std::nullopt;
}

bool Has_Raw_Io_Capability()
{
#if defined(__linux__)
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[_LINUX_CAPABILITY_U32S_3] = {};
    if (syscall(SYS_capget, &header, data) != 0)
        return false;
    return (data[CAP_SYS_RAWIO / 32].effective & (1u << (CAP_SYS_RAWIO % 32))) != 0;
#else
    return geteuid() == 0;
#endif
}

std::string Access_Refused_Text(uint16_t base, const std::string& node, int open_errno,
                                int ioperm_errno, bool has_rawio)
{
    std::string text;
    if (!node.empty()) {
        text = node + ": " + std::strerror(open_errno);
        if (open_errno == EACCES || open_errno == EPERM)
            text += std::string(" (the user must be in group ") + Ppdev_Group + ")";
        text += "; ";
    }
    text += "ioperm " + Hex4(base) + ": " + std::strerror(ioperm_errno);
    if (!has_rawio)
        text += " (needs root or the capability CAP_SYS_RAWIO)";
    return text;
}

TLinuxPort::TLinuxPort(std::string root)
    : root_(std::move(root)), lock_(root_ == "/" ? "" : Under(root_, "run/lock"))
{
}

bool TLinuxPort::Lock(uint16_t base)
{
    in_use_elsewhere_ = lock_.Acquire(base) == TPortLock::TResult::Held_Elsewhere;
    if (in_use_elsewhere_) {
        Fail("port " + Hex4(base) + " is in use by another program (" + TPortLock::File_Name(base) +
             ")");
        return false;
    }
    return true;
}

TLinuxPort::~TLinuxPort()
{
    Close_Ppdev();
}

void TLinuxPort::Fail(const std::string& text)
{
    last_error_ = text;
}

std::vector<uint16_t> TLinuxPort::OtherPorts()
{
    std::vector<uint16_t> bases;
    for (const TParport& port : List_Parports(root_))
        if (std::find(std::begin(Legacy_Port_Bases), std::end(Legacy_Port_Bases), port.Base) ==
            std::end(Legacy_Port_Bases))
            bases.push_back(port.Base);
    return bases;
}

int TLinuxPort::Open_Node(uint16_t base, std::string& node) const
{
    node.clear();
    const auto port = Find_Parport_At(base, root_);
    if (!port)
        return -1;
    node = port->Node;
    return open(node.c_str(), O_RDWR | O_CLOEXEC);
}

bool TLinuxPort::Ppdev_Call(unsigned long request, void* arg, const char* what)
{
#ifdef GANG_HAVE_PPDEV
    if (ioctl(fd_, request, arg) == 0)
        return true;
    Fail(std::string("parport ") + what + ": " + std::strerror(errno));
#else
    (void)request;
    (void)arg;
    (void)what;
#endif
    return false;
}

bool TLinuxPort::Claim(int fd, const std::string& node)
{
#ifdef GANG_HAVE_PPDEV
    // Exclusive: no other driver (lp) may share the port while it is ours.
    if (ioctl(fd, PPEXCL) != 0) {
        Fail(node + " exclusive: " + std::strerror(errno));
        return false;
    }
    if (ioctl(fd, PPCLAIM) != 0) {
        Fail(node + " claim: " + std::strerror(errno));
        return false;
    }
    int mode = IEEE1284_MODE_COMPAT; // the standard parallel-port mode
    if (ioctl(fd, PPSETMODE, &mode) != 0) {
        Fail(node + " mode: " + std::strerror(errno));
        ioctl(fd, PPRELEASE);
        return false;
    }
    return true;
#else
    (void)fd;
    Fail(node + ": no ppdev on this system");
    return false;
#endif
}

void TLinuxPort::Close_Ppdev()
{
#ifdef GANG_HAVE_PPDEV
    if (fd_ >= 0 && ioctl(fd_, PPRELEASE) != 0)
        Fail(std::string("parport release: ") + std::strerror(errno));
#endif
    if (fd_ >= 0)
        close(fd_);
    fd_ = -1;
}

bool TLinuxPort::Grant_Direct(uint16_t first, uint16_t count)
{
    if (Direct_Access_Taken(first, count))
        return true; // taken at start-up, before the capabilities were dropped
#ifdef GANG_HAVE_IOPERM
    if (ioperm(first, count, 1) == 0)
        return true;
    ioperm_errno_ = errno;
#else
    (void)first;
    (void)count;
    ioperm_errno_ = ENOSYS; // no port instructions on this architecture
#endif
    return false;
}

void TLinuxPort::Revoke_Direct(uint16_t first, uint16_t count)
{
    if (Direct_Access_Taken(first, count))
        return; // kept for a later search: it could not be taken again
#ifdef GANG_HAVE_IOPERM
    ioperm(first, count, 0);
#else
    (void)first;
    (void)count;
#endif
}

void TLinuxPort::EnablePorts(uint16_t base)
{
    Close_Ppdev();
    mode_ = Mode::None;
    if (!Lock(base))
        return;
    unlock_after_ecr_ = false;
    std::string node;
    const int fd = Open_Node(base, node);
    const int open_errno = errno;
    if (fd >= 0) {
        // The kernel's port opened: it is used or nothing is.  A refused
        // claim or mode is the enable failure.
        if (!Claim(fd, node)) {
            close(fd);
            return;
        }
        fd_ = fd;
        mode_ = Mode::Ppdev;
    } else if (Grant_Direct(base, Port_Register_Count)) {
        mode_ = Mode::Direct;
    } else {
        Fail(Access_Refused_Text(base, node, open_errno, ioperm_errno_, Has_Raw_Io_Capability()));
        return;
    }
    base_ = base;
    Succeed();
}

void TLinuxPort::DisablePorts(uint16_t base)
{
    Succeed();
    unlock_after_ecr_ = true;
    if (mode_ == Mode::Ppdev)
        Close_Ppdev();
    else if (mode_ == Mode::Direct)
        Revoke_Direct(base, Port_Register_Count);
    mode_ = Mode::None;
}

bool TLinuxPort::Ecr_Is_Drivers(uint16_t base) const
{
    if (mode_ == Mode::Ppdev && base == base_)
        return true;
    std::string node;
    const int fd = Open_Node(base, node);
    if (fd < 0)
        return false;
    close(fd);
    return true;
}

// When the kernel's port for that base opens, the ECP register is its
// driver's; otherwise it is read or written directly, with the permission
// held for that one access.
uint8_t TLinuxPort::ReadEcr(uint16_t base)
{
    if (!Lock(base))
        return 0xFF;
    unlock_after_ecr_ = false; // a new enable begins
    return Read_Ecr_Locked(base);
}

void TLinuxPort::WriteEcr(uint16_t base, uint8_t value)
{
    if (!Lock(base))
        return;
    Write_Ecr_Locked(base, value);
    if (unlock_after_ecr_) {
        // The release's last step: the port is free for another program.
        lock_.Release();
        unlock_after_ecr_ = false;
    }
}

uint8_t TLinuxPort::Read_Ecr_Locked(uint16_t base)
{
    if (Ecr_Is_Drivers(base)) {
        Succeed();
        return 0;
    }
    const auto ecr = static_cast<uint16_t>(base + Ecr_Offset);
#ifdef GANG_HAVE_IOPERM
    if (Grant_Direct(ecr, 1)) {
        const uint8_t value = inb(ecr);
        Revoke_Direct(ecr, 1);
        Succeed();
        return value;
    }
#else
    Grant_Direct(ecr, 1);
#endif
    Fail(Access_Refused_Text(ecr, "", 0, ioperm_errno_, Has_Raw_Io_Capability()));
    return 0xFF;
}

void TLinuxPort::Write_Ecr_Locked(uint16_t base, uint8_t value)
{
    if (Ecr_Is_Drivers(base)) {
        Succeed();
        return;
    }
    const auto ecr = static_cast<uint16_t>(base + Ecr_Offset);
#ifdef GANG_HAVE_IOPERM
    if (Grant_Direct(ecr, 1)) {
        outb(value, ecr);
        Revoke_Direct(ecr, 1);
        Succeed();
        return;
    }
#else
    (void)value;
    Grant_Direct(ecr, 1);
#endif
    Fail(Access_Refused_Text(ecr, "", 0, ioperm_errno_, Has_Raw_Io_Capability()));
}

int TLinuxPort::GetLastState(std::string& text)
{
    text = last_error_;
    return last_error_.empty() ? 0 : 1;
}

void TLinuxPort::Write(uint16_t base, TRegister reg, uint8_t value)
{
    if (!Enabled(base))
        return; // no access granted: never fault
#ifdef GANG_HAVE_PPDEV
    if (mode_ == Mode::Ppdev) {
        unsigned char v = value;
        if (reg == TRegister::Data)
            Ppdev_Call(PPWDATA, &v, "data write");
        else if (reg == TRegister::Control)
            Ppdev_Call(PPWCONTROL, &v, "control write");
        return;
    }
#endif
#ifdef GANG_HAVE_IOPERM
    if (mode_ == Mode::Direct)
        outb(value, static_cast<uint16_t>(base + static_cast<uint16_t>(reg)));
#else
    (void)reg;
    (void)value;
#endif
}

uint8_t TLinuxPort::Read(uint16_t base, TRegister reg)
{
    if (!Enabled(base))
        return 0xFF;
#ifdef GANG_HAVE_PPDEV
    if (mode_ == Mode::Ppdev) {
        unsigned char v = 0xFF;
        bool ok = false;
        switch (reg) {
        case TRegister::Data:
            ok = Ppdev_Call(PPRDATA, &v, "data read");
            break;
        case TRegister::Status:
            ok = Ppdev_Call(PPRSTATUS, &v, "status read");
            break;
        case TRegister::Control:
            ok = Ppdev_Call(PPRCONTROL, &v, "control read");
            break;
        }
        return ok ? v : 0xFF;
    }
#endif
#ifdef GANG_HAVE_IOPERM
    if (mode_ == Mode::Direct)
        return inb(static_cast<uint16_t>(base + static_cast<uint16_t>(reg)));
#else
    (void)reg;
#endif
    return 0xFF;
}

} // namespace gang
