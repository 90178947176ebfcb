#include "link/privilege.h"

#include "link/linux_port.h"
#include "link/port.h"
#include "link/port_choice.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

#if defined(__linux__)
#include <linux/capability.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#endif

#if defined(__linux__) && (defined(__x86_64__) || defined(__i386__))
#include <sys/io.h>
#define GANG_HAVE_IOPERM 1
#endif

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

// The value of --port (as "--port V" or "--port=V"), if given.
std::optional<std::string> Port_Argument(int argc, char* argv[])
{
    const std::string option = "--port";
    std::optional<std::string> value;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == option && i + 1 < argc)
            value = argv[++i];
        else if (arg.compare(0, option.size() + 1, option + "=") == 0)
            value = arg.substr(option.size() + 1);
    }
    return value;
}

bool Has_Argument(int argc, char* argv[], const char* wanted)
{
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], wanted) == 0)
            return true;
    return false;
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

bool Take_Port_Access_And_Drop(int argc, char* argv[], const char* program)
{
    if (!Has_Argument(argc, argv, "--sim")) {
        std::optional<uint16_t> chosen;
        if (const auto text = Port_Argument(argc, argv)) {
            const TPortChoiceResult choice = Parse_Port_Choice(*text);
            if (choice.Ok && choice.Choice.Kind == TPortChoice::TKind::Base)
                chosen = choice.Choice.Base;
            if (choice.Ok && choice.Choice.Kind == TPortChoice::TKind::Device)
                if (const auto port = Find_Parport_Index(choice.Choice.Device_Index))
                    chosen = port->Base;
        }
        Take_Direct_Access(chosen);
    }
    std::string error;
    if (!Drop_Privileges(error)) {
        std::fprintf(stderr, "%s: cannot give up its privileges: %s\n", program, error.c_str());
        return false;
    }
    return true;
}

} // namespace gang
