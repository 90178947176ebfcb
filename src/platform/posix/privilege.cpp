#include "platform/privilege.h"

#include "link/port.h"
#include "platform/posix/port_io.h"
#include "platform/system_port.h"

#include <cstdio>
#include <vector>

namespace gang {

namespace {

struct TRange {
    uint16_t First;
    uint16_t Count;
};
// Filled before any thread exists and only read afterwards.
std::vector<TRange>& Taken()
{
    static std::vector<TRange> ranges;
    return ranges;
}

void Take(uint16_t first, uint16_t count)
{
#ifdef GANG_HAVE_IOPERM
    if (ioperm(first, count, 1) == 0)
        Taken().push_back({first, count});
#else
    (void)first;
    (void)count;
#endif
}

bool Ppdev_Serves(uint16_t base, const std::string& root)
{
    const auto port = Find_Parport_At(base, root);
    if (!port)
        return false;
    const int fd = open(port->Node.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0)
        return false;
    close(fd);
    return true;
}

} // namespace

void Take_Direct_Access(std::optional<uint16_t> chosen, const std::string& root)
{
    std::vector<uint16_t> bases(std::begin(Legacy_Port_Bases), std::end(Legacy_Port_Bases));
    if (chosen)
        bases.push_back(*chosen);
    for (const TParport& port : List_Parports(root))
        bases.push_back(port.Base);
    for (uint16_t base : bases) {
        if (Direct_Access_Taken(base, Port_Register_Count) || Ppdev_Serves(base, root))
            continue;
        Take(base, Port_Register_Count);
        if (base <= 0xFFFF - Ecr_Offset)
            Take(static_cast<uint16_t>(base + Ecr_Offset), 1);
    }
}

bool Direct_Access_Taken(uint16_t first, uint16_t count)
{
    for (const TRange& range : Taken())
        if (first >= range.First && first + count <= range.First + range.Count)
            return true;
    return false;
}

bool Drop_Privileges(std::string& error)
{
#if defined(__linux__)
    // The bounding set needs CAP_SETPCAP to shrink: done where allowed.
    for (int cap = 0; cap <= CAP_LAST_CAP; ++cap)
        prctl(PR_CAPBSET_DROP, cap, 0, 0, 0);
    prctl(PR_CAP_AMBIENT, PR_CAP_AMBIENT_CLEAR_ALL, 0, 0, 0);
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[_LINUX_CAPABILITY_U32S_3] = {};
    if (syscall(SYS_capset, &header, data) != 0) {
        error = std::string("capset: ") + std::strerror(errno);
        return false;
    }
    if (prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0) {
        error = std::string("PR_SET_NO_NEW_PRIVS: ") + std::strerror(errno);
        return false;
    }
#else
    (void)error;
#endif
    return true;
}

bool Take_Port_Access_And_Drop(bool direct, std::optional<uint16_t> chosen, const char* program)
{
    if (direct)
        Take_Direct_Access(chosen);
    std::string error;
    if (!Drop_Privileges(error)) {
        std::fprintf(stderr, "%s: cannot give up its privileges: %s\n", program, error.c_str());
        return false;
    }
    return true;
}

} // namespace gang
