#include "files/posix_file.h"

#include "files/file_errors.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace gang {

namespace {

[[noreturn]] void Raise_From_Errno(int err)
{
    throw EInOutError(In_Out_Error_Code(err));
}

// Mode of a newly created file; the process umask still applies.
constexpr mode_t New_File_Mode = 0666;

} // namespace

TPosixFile TPosixFile::Open_For_Reading(const std::string& path)
{
    int fd;
    do {
        fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        Raise_From_Errno(errno);
    return TPosixFile(fd);
}

TPosixFile TPosixFile::Create_For_Writing(const std::string& path)
{
    int fd;
    do {
        fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, New_File_Mode);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        Raise_From_Errno(errno);
    return TPosixFile(fd);
}

TPosixFile::TPosixFile(TPosixFile&& other) noexcept : Fd_(other.Fd_)
{
    other.Fd_ = -1;
}

TPosixFile::~TPosixFile()
{
    if (Fd_ >= 0)
        ::close(Fd_);
}

std::size_t TPosixFile::Read(void* dst, std::size_t capacity)
{
    char* out = static_cast<char*>(dst);
    std::size_t done = 0;
    while (done < capacity) {
        ssize_t n = ::read(Fd_, out + done, capacity - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            Raise_From_Errno(errno);
        }
        if (n == 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    return done;
}

void TPosixFile::Write(const void* src, std::size_t size)
{
    const char* in = static_cast<const char*>(src);
    std::size_t done = 0;
    while (done < size) {
        ssize_t n = ::write(Fd_, in + done, size - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            Raise_From_Errno(errno);
        }
        // A write that moves nothing without an error would loop for ever;
        // the only cause on a regular file is a full device.
        if (n == 0)
            Raise_From_Errno(ENOSPC);
        done += static_cast<std::size_t>(n);
    }
}

void TPosixFile::Close()
{
    int fd = Fd_;
    Fd_ = -1;
    // close() is not retried on EINTR: the descriptor is gone either way.
    if (::close(fd) < 0 && errno != EINTR)
        Raise_From_Errno(errno);
}

} // namespace gang
