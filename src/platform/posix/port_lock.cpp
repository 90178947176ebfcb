#include "platform/port_lock.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#include <vector>

namespace gang {

namespace {
const char* const System_Lock_Dir = "/run/lock";
constexpr mode_t Lock_File_Mode = 0644;
} // namespace

std::string TPortLock::File_Name(uint16_t base)
{
    char name[40];
    std::snprintf(name, sizeof name, "gang-adapter-%04X.lock", base);
    return name;
}

TPortLock::TResult TPortLock::Acquire(uint16_t base)
{
    if (Holds(base))
        return TResult::Locked;
    Release();
    std::vector<std::string> dirs;
    if (!lock_dir_.empty()) {
        dirs.push_back(lock_dir_);
    } else {
        dirs.push_back(System_Lock_Dir);
        if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime)
            dirs.push_back(runtime);
    }
    for (const std::string& dir : dirs) {
        const std::string path = dir + "/" + File_Name(base);
        int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, Lock_File_Mode);
        if (fd < 0 && errno == EACCES)
            fd = open(path.c_str(), O_RDONLY | O_CLOEXEC); // another user's file locks as well
        if (fd < 0)
            continue; // not usable here: the next directory
        if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const int error = errno;
            close(fd);
            if (error == EWOULDBLOCK)
                return TResult::Held_Elsewhere;
            continue;
        }
        fd_ = fd;
        base_ = base;
        return TResult::Locked;
    }
    return TResult::No_Lock_Dir;
}

void TPortLock::Release()
{
    if (fd_ >= 0)
        close(fd_);
    fd_ = -1;
}

} // namespace gang
