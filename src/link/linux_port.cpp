#include "link/linux_port.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

#if defined(__linux__)
#include <linux/parport.h>
#include <linux/ppdev.h>
#include <sys/ioctl.h>
#define GANG_HAVE_PPDEV 1
#endif

#if defined(__linux__) && (defined(__x86_64__) || defined(__i386__))
#include <sys/io.h>
#define GANG_HAVE_IOPERM 1
#endif

namespace gang {

namespace {
constexpr uint16_t Ecr_Offset = 0x402;
constexpr uint16_t Status_Offset = 1;
constexpr uint16_t Control_Offset = 2;
const char* const Parport_Prefix = "parport";

std::string Hex(unsigned value)
{
    std::ostringstream s;
    s << "0x" << std::hex << value;
    return s.str();
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

std::optional<int> Find_Ppdev_Index(uint16_t base, const std::string& proc_dir)
{
    DIR* dir = opendir(proc_dir.c_str());
    if (dir == nullptr)
        return std::nullopt;
    std::optional<int> found;
    const size_t prefix_len = std::strlen(Parport_Prefix);
    while (const dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name.size() <= prefix_len || name.compare(0, prefix_len, Parport_Prefix) != 0)
            continue;
        const std::string digits = name.substr(prefix_len);
        if (digits.find_first_not_of("0123456789") != std::string::npos)
            continue;
        std::ifstream file(std::filesystem::path(proc_dir) / name / "base-addr");
        std::stringstream text;
        text << file.rdbuf();
        const auto addr = Parse_Base_Addr(text.str());
        if (addr && *addr == base) {
            found = std::stoi(digits);
            break;
        }
    }
    closedir(dir);
    return found;
}

TLinuxPort::TLinuxPort(std::string proc_dir, std::string dev_dir)
    : proc_dir_(std::move(proc_dir)), dev_dir_(std::move(dev_dir))
{
}

TLinuxPort::~TLinuxPort()
{
    Close_Ppdev();
}

void TLinuxPort::Fail(const std::string& text)
{
    last_error_ = text;
}

void TLinuxPort::Close_Ppdev()
{
#ifdef GANG_HAVE_PPDEV
    if (fd_ >= 0) {
        ioctl(fd_, PPRELEASE);
        close(fd_);
    }
#endif
    fd_ = -1;
}

bool TLinuxPort::Grant_Direct(uint16_t first, uint16_t count)
{
#ifdef GANG_HAVE_IOPERM
    if (ioperm(first, count, 1) != 0) {
        Fail("ioperm " + Hex(first) + ": " + std::strerror(errno));
        return false;
    }
    return true;
#else
    (void)count;
    Fail("no direct port access on this architecture (" + Hex(first) + ")");
    return false;
#endif
}

void TLinuxPort::EnablePorts(uint16_t first, uint16_t last)
{
    Close_Ppdev();
    mode_ = Mode::None;
    first_ = 1;
    last_ = 0;
    if (last < first) {
        Fail("empty port range " + Hex(first) + "-" + Hex(last));
        return;
    }
    std::string ppdev_error;
#ifdef GANG_HAVE_PPDEV
    if (const auto index = Find_Ppdev_Index(first, proc_dir_)) {
        const std::string path = dev_dir_ + "/parport" + std::to_string(*index);
        const int fd = open(path.c_str(), O_RDWR);
        if (fd < 0) {
            ppdev_error = path + ": " + std::strerror(errno);
        } else if (ioctl(fd, PPCLAIM) != 0) {
            ppdev_error = path + " claim: " + std::strerror(errno);
            close(fd);
        } else {
            fd_ = fd;
            mode_ = Mode::Ppdev;
            first_ = first;
            last_ = last;
            Succeed();
            return;
        }
    }
#endif
    if (Grant_Direct(first, static_cast<uint16_t>(last - first + 1))) {
        mode_ = Mode::Direct;
        first_ = first;
        last_ = last;
        Succeed();
        return;
    }
    if (!ppdev_error.empty())
        Fail(ppdev_error); // the kernel's port was there: its refusal says more
}

void TLinuxPort::DisablePorts(uint16_t first, uint16_t last)
{
    if (mode_ == Mode::Ppdev) {
        Close_Ppdev();
    } else if (mode_ == Mode::Direct && last >= first) {
#ifdef GANG_HAVE_IOPERM
        ioperm(first, static_cast<unsigned long>(last) - first + 1, 0);
#endif
    }
    mode_ = Mode::None;
    first_ = 1;
    last_ = 0;
    Succeed();
}

int TLinuxPort::Inp(uint16_t port)
{
    // Only the ECP control register is reached this way.  With the kernel's
    // driver for that port present, the register is the driver's.
    if (Find_Ppdev_Index(static_cast<uint16_t>(port - Ecr_Offset), proc_dir_)) {
        Succeed();
        return 0;
    }
#ifdef GANG_HAVE_IOPERM
    if (Grant_Direct(port, 1)) {
        Succeed();
        return inb(port);
    }
#else
    Fail("no direct port access on this architecture (" + Hex(port) + ")");
#endif
    return 0xFF;
}

void TLinuxPort::Outp(uint16_t port, int value)
{
    if (Find_Ppdev_Index(static_cast<uint16_t>(port - Ecr_Offset), proc_dir_)) {
        Succeed();
        return;
    }
#ifdef GANG_HAVE_IOPERM
    if (Grant_Direct(port, 1)) {
        Succeed();
        outb(static_cast<uint8_t>(value), port);
    }
#else
    (void)value;
    Fail("no direct port access on this architecture (" + Hex(port) + ")");
#endif
}

int TLinuxPort::GetLastState(std::string& text)
{
    text = last_error_;
    return last_error_.empty() ? 0 : 1;
}

void TLinuxPort::WriteByte(uint16_t port, uint8_t value)
{
    if (!In_Range(port))
        return; // no access granted: never fault
#ifdef GANG_HAVE_PPDEV
    if (mode_ == Mode::Ppdev) {
        unsigned char v = value;
        if (port == first_)
            ioctl(fd_, PPWDATA, &v);
        else if (port == first_ + Control_Offset)
            ioctl(fd_, PPWCONTROL, &v);
        return;
    }
#endif
#ifdef GANG_HAVE_IOPERM
    if (mode_ == Mode::Direct)
        outb(value, port);
#else
    (void)value;
#endif
}

uint8_t TLinuxPort::ReadByte(uint16_t port)
{
    if (!In_Range(port))
        return 0xFF;
#ifdef GANG_HAVE_PPDEV
    if (mode_ == Mode::Ppdev) {
        unsigned char v = 0xFF;
        if (port == first_)
            ioctl(fd_, PPRDATA, &v);
        else if (port == first_ + Status_Offset)
            ioctl(fd_, PPRSTATUS, &v);
        else if (port == first_ + Control_Offset)
            ioctl(fd_, PPRCONTROL, &v);
        return v;
    }
#endif
#ifdef GANG_HAVE_IOPERM
    if (mode_ == Mode::Direct)
        return inb(port);
#endif
    return 0xFF;
}

} // namespace gang
