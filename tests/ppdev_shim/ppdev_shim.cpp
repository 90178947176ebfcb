// A test shim, LD_PRELOADed into the real programs (never installed): the
// kernel's ppdev ports answered by the simulated adapter.
//
//  - The port list /proc/sys/dev/parport/... is read from the tree under
//    $GANG_SHIM_ROOT instead (opendir, fopen, open).
//  - open("/dev/parportN") gives a descriptor of /dev/null that stands for
//    the port; its ioctls (PPEXCL, PPCLAIM, PPSETMODE, PPWDATA, PPRDATA,
//    PPRSTATUS, PPWCONTROL, PPRCONTROL, PPRELEASE, ...) reach one simulated
//    adapter, built from the simulator's options in $GANG_SHIM_SIM
//    ("--socket 1=28C64 --trace FILE --fast", blank-separated).  The
//    adapter's registers are those of its own base (--base, default 378).
#include "sim/sim_adapter.h"
#include "sim/sim_options.h"

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <linux/ppdev.h>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

const char* const Proc_Prefix = "/proc/sys/dev/parport";
const char* const Node_Prefix = "/dev/parport";

template <typename TFn> TFn Next(const char* name)
{
    return reinterpret_cast<TFn>(dlsym(RTLD_NEXT, name));
}

bool Starts_With(const char* path, const char* prefix)
{
    return path != nullptr && std::strncmp(path, prefix, std::strlen(prefix)) == 0;
}

// The path the program asked for, or its copy in the fake tree.
std::string Redirected(const char* path)
{
    const char* root = std::getenv("GANG_SHIM_ROOT");
    if (root != nullptr && Starts_With(path, Proc_Prefix))
        return std::string(root) + path;
    return path;
}

struct TShim {
    std::unique_ptr<gang::sim::TSimAdapter> Adapter;
    std::set<int> Port_Fds;
    bool Claimed = false;

    gang::sim::TSimAdapter& Sim()
    {
        if (!Adapter) {
            std::vector<std::string> args;
            std::istringstream words(std::getenv("GANG_SHIM_SIM") ? std::getenv("GANG_SHIM_SIM")
                                                                  : "");
            for (std::string word; words >> word;)
                args.push_back(word);
            const auto parsed = gang::sim::Parse_Sim_Options(args);
            if (!parsed.Ok) {
                std::fprintf(stderr, "ppdev shim: %s\n", parsed.Error.c_str());
                std::abort();
            }
            Adapter = std::make_unique<gang::sim::TSimAdapter>(parsed.Options.Config);
            for (const auto& s : parsed.Options.Sockets)
                if (s.Empty)
                    Adapter->Remove_Chip(s.Socket);
                else
                    Adapter->Insert_Chip(s.Socket, s.Type, s.Fault);
            if (!parsed.Options.Trace_Path.empty())
                Adapter->Trace_To(parsed.Options.Trace_Path);
        }
        return *Adapter;
    }
};

TShim& Shim()
{
    static TShim shim;
    return shim;
}

int Open_Node()
{
    static auto real_open = Next<int (*)(const char*, int, ...)>("open");
    const int fd = real_open("/dev/null", O_RDWR | O_CLOEXEC);
    if (fd >= 0)
        Shim().Port_Fds.insert(fd);
    return fd;
}

// One ppdev request on the simulated adapter; -1 with errno as the kernel.
int Port_Ioctl(unsigned long request, void* arg)
{
    TShim& shim = Shim();
    auto* byte = static_cast<unsigned char*>(arg);
    const uint16_t base = shim.Sim().Config().Base;
    if (request == PPEXCL || request == PPSETMODE || request == PPSETPHASE)
        return 0;
    if (request == PPCLAIM) {
        shim.Claimed = true;
        return 0;
    }
    if (request == PPRELEASE) {
        shim.Claimed = false;
        return 0;
    }
    if (!shim.Claimed) {
        errno = EINVAL; // as the kernel: register access needs the claim
        return -1;
    }
    switch (request) {
    case PPWDATA:
        shim.Sim().Write(base, gang::TRegister::Data, *byte);
        return 0;
    case PPRDATA:
        *byte = shim.Sim().Read(base, gang::TRegister::Data);
        return 0;
    case PPRSTATUS:
        *byte = shim.Sim().Read(base, gang::TRegister::Status);
        return 0;
    case PPWCONTROL:
        shim.Sim().Write(base, gang::TRegister::Control, *byte);
        return 0;
    case PPRCONTROL:
        *byte = shim.Sim().Read(base, gang::TRegister::Control);
        return 0;
    case PPDATADIR:
        return 0;
    default:
        errno = ENOTTY;
        return -1;
    }
}

} // namespace

extern "C" {

int open(const char* path, int flags, ...)
{
    static auto real_open = Next<int (*)(const char*, int, ...)>("open");
    if (Starts_With(path, Node_Prefix))
        return Open_Node();
    va_list args;
    va_start(args, flags);
    const mode_t mode = (flags & O_CREAT) != 0 ? va_arg(args, mode_t) : 0;
    va_end(args);
    return real_open(Redirected(path).c_str(), flags, mode);
}

int open64(const char* path, int flags, ...)
{
    va_list args;
    va_start(args, flags);
    const mode_t mode = (flags & O_CREAT) != 0 ? va_arg(args, mode_t) : 0;
    va_end(args);
    return open(path, flags, mode);
}

FILE* fopen(const char* path, const char* mode)
{
    static auto real_fopen = Next<FILE* (*)(const char*, const char*)>("fopen");
    return real_fopen(Redirected(path).c_str(), mode);
}

FILE* fopen64(const char* path, const char* mode)
{
    static auto real_fopen64 = Next<FILE* (*)(const char*, const char*)>("fopen64");
    return real_fopen64(Redirected(path).c_str(), mode);
}

DIR* opendir(const char* path)
{
    static auto real_opendir = Next<DIR* (*)(const char*)>("opendir");
    return real_opendir(Redirected(path).c_str());
}

int close(int fd)
{
    static auto real_close = Next<int (*)(int)>("close");
    Shim().Port_Fds.erase(fd);
    return real_close(fd);
}

int ioctl(int fd, unsigned long request, ...)
{
    static auto real_ioctl = Next<int (*)(int, unsigned long, ...)>("ioctl");
    va_list args;
    va_start(args, request);
    void* arg = va_arg(args, void*);
    va_end(args);
    if (Shim().Port_Fds.count(fd) != 0)
        return Port_Ioctl(request, arg);
    return real_ioctl(fd, request, arg);
}

} // extern "C"
