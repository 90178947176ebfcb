#include "platform/system_file.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <utility>

namespace gang {

ESystemError::ESystemError(int code)
    : std::runtime_error("system call failed: " + std::to_string(code)), Code(code)
{
}

namespace {

[[noreturn]] void Raise_From_Errno(int err)
{
    throw ESystemError(err);
}

// Mode of a newly created file; the process umask still applies.
constexpr mode_t New_File_Mode = 0666;

// Opens without waiting: a FIFO would otherwise block the open until another
// process opens its other end, and the window would hang.
int Open_No_Wait(const std::string& path, int flags, mode_t mode = 0)
{
    int fd;
    do {
        fd = ::open(path.c_str(), flags | O_NONBLOCK | O_CLOEXEC, mode);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        Raise_From_Errno(errno);
    return fd;
}

// Back to ordinary blocking reads and writes once the file is open.
void Wait_From_Now_On(int fd)
{
    int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) < 0)
        Raise_From_Errno(errno);
}

} // namespace

TSystemFile TSystemFile::Open_For_Reading(const std::string& path)
{
    TSystemFile file(Open_No_Wait(path, O_RDONLY));
    // Only a regular file has an end: a FIFO, a terminal or a device such as
    // /dev/zero could keep the reader going for ever.  Such a path is refused
    // like a directory.
    struct stat st;
    if (::fstat(file.Fd_, &st) < 0)
        Raise_From_Errno(errno);
    if (S_ISDIR(st.st_mode))
        Raise_From_Errno(EISDIR);
    if (!S_ISREG(st.st_mode))
        throw ESystemError(ESystemError::Not_A_Regular_File);
    Wait_From_Now_On(file.Fd_);
    return file;
}

TSystemFile TSystemFile::Create_For_Writing(const std::string& path)
{
    // A FIFO nobody reads fails here (ENXIO) instead of blocking.  Writes then
    // block as usual, so that a pipe with a slow reader takes every byte.
    TSystemFile file(Open_No_Wait(path, O_WRONLY | O_CREAT | O_TRUNC, New_File_Mode));
    Wait_From_Now_On(file.Fd_);
    return file;
}

TSystemFile::TSystemFile(TSystemFile&& other) noexcept : Fd_(other.Fd_)
{
    other.Fd_ = -1;
}

TSystemFile::~TSystemFile()
{
    if (Fd_ >= 0)
        ::close(Fd_);
}

std::size_t TSystemFile::Read(void* dst, std::size_t capacity)
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

void TSystemFile::Write(const void* src, std::size_t size)
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

void TSystemFile::Close()
{
    int fd = Fd_;
    Fd_ = -1;
    // close() is not retried on EINTR: the descriptor is gone either way.
    if (::close(fd) < 0 && errno != EINTR)
        Raise_From_Errno(errno);
}

namespace {

// Removes a temporary file on every way out but the rename.
class TTemporaryFile {
public:
    TTemporaryFile(std::string path, int fd) : Path(std::move(path)), Fd(fd) {}
    TTemporaryFile(const TTemporaryFile&) = delete;
    TTemporaryFile& operator=(const TTemporaryFile&) = delete;
    ~TTemporaryFile()
    {
        if (Fd >= 0)
            ::close(Fd);
        if (!Path.empty())
            ::unlink(Path.c_str());
    }
    std::string Path;
    int Fd;
};

std::string Folder_Of(const std::string& path)
{
    const std::string::size_type slash = path.find_last_of('/');
    return slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
}

// A new file beside target, readable and writable as a new file would be
// (the umask applies), with a name no other file has.
TTemporaryFile Create_Beside(const std::string& target)
{
    const std::string::size_type slash = target.find_last_of('/');
    const std::string stem = slash == std::string::npos
                                 ? "." + target
                                 : target.substr(0, slash + 1) + "." + target.substr(slash + 1);
    for (int attempt = 0;; ++attempt) {
        const std::string name =
            stem + "." + std::to_string(::getpid()) + "-" + std::to_string(attempt) + ".tmp";
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, New_File_Mode);
        if (fd >= 0)
            return TTemporaryFile(name, fd);
        if (errno != EEXIST)
            Raise_From_Errno(errno);
    }
}

} // namespace

void Replace_File(const std::string& path, const void* data, std::size_t size)
{
    std::string target = path;
    struct stat st;
    bool exists = ::stat(path.c_str(), &st) == 0;
    if (exists && S_ISDIR(st.st_mode))
        Raise_From_Errno(EISDIR);
    if (exists && !S_ISREG(st.st_mode)) {
        // A FIFO or a device takes the bytes as they come: nothing to
        // replace there.
        TSystemFile file = TSystemFile::Create_For_Writing(path);
        file.Write(data, size);
        file.Close();
        return;
    }
    if (exists) {
        // A file the user may not write stays as it is, as an open for
        // writing would have left it; a link is followed to its file.
        if (::access(path.c_str(), W_OK) != 0)
            Raise_From_Errno(errno);
        if (char* real = ::realpath(path.c_str(), nullptr)) {
            target = real;
            std::free(real);
        }
    }
    TTemporaryFile temporary = Create_Beside(target);
    if (exists && ::fchmod(temporary.Fd, st.st_mode & 07777) != 0)
        Raise_From_Errno(errno);
    const char* in = static_cast<const char*>(data);
    for (std::size_t done = 0; done < size;) {
        const ssize_t n = ::write(temporary.Fd, in + done, size - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            Raise_From_Errno(n < 0 ? errno : ENOSPC);
        done += static_cast<std::size_t>(n);
    }
    if (::fsync(temporary.Fd) != 0)
        Raise_From_Errno(errno);
    const int fd = temporary.Fd;
    temporary.Fd = -1;
    if (::close(fd) != 0 && errno != EINTR)
        Raise_From_Errno(errno);
    if (::rename(temporary.Path.c_str(), target.c_str()) != 0)
        Raise_From_Errno(errno);
    temporary.Path.clear();
    // The rename is durable once the folder's entry is on the disk.
    const int dir = ::open(Folder_Of(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
}

bool Append_Durably(const std::string& path, const std::string& bytes, std::string& error)
{
    constexpr mode_t Record_File_Mode = 0644;
    const int fd = open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, Record_File_Mode);
    if (fd < 0) {
        error = std::strerror(errno);
        return false;
    }
    const ssize_t written = write(fd, bytes.data(), bytes.size());
    bool ok = written == static_cast<ssize_t>(bytes.size());
    if (!ok)
        error = written < 0 ? std::strerror(errno) : "short write";
    if (ok && fsync(fd) != 0) {
        error = std::strerror(errno);
        ok = false;
    }
    if (close(fd) != 0 && ok) {
        error = std::strerror(errno);
        ok = false;
    }
    return ok;
}

bool Replace_Durably(const std::string& path, const std::string& bytes, std::string& error)
{
    constexpr mode_t State_File_Mode = 0644;
    const std::string temporary = path + ".tmp";
    const auto fail = [&error](const char* what) {
        error = std::string(what) + ": " + std::strerror(errno);
        return false;
    };
    const int fd =
        open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, State_File_Mode);
    if (fd < 0)
        return fail(temporary.c_str());
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            const int err = n < 0 ? errno : ENOSPC;
            close(fd);
            unlink(temporary.c_str());
            errno = err;
            return fail(temporary.c_str());
        }
        done += static_cast<std::size_t>(n);
    }
    if (fsync(fd) != 0) {
        const int err = errno;
        close(fd);
        unlink(temporary.c_str());
        errno = err;
        return fail(temporary.c_str());
    }
    if (close(fd) != 0) {
        unlink(temporary.c_str());
        return fail(temporary.c_str());
    }
    if (rename(temporary.c_str(), path.c_str()) != 0) {
        const int err = errno;
        unlink(temporary.c_str());
        errno = err;
        return fail(path.c_str());
    }
    // The rename is durable once the folder's entry is on the disk.
    const std::string::size_type slash = path.find_last_of('/');
    const std::string folder =
        slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
    const int dir = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir < 0)
        return fail(folder.c_str());
    const bool synced = fsync(dir) == 0;
    const int err = errno;
    close(dir);
    errno = err;
    return synced || fail(folder.c_str());
}

} // namespace gang
