#include "platform/system_file.h"

#include "platform/stop_signals.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/statvfs.h>
#include <thread>
#include <unistd.h>

#include <algorithm>
#include <optional>
#include <string>
#include <utility>
#include <vector>

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

// Refuses anything but a regular file before it is read or written.
void Require_Regular(int fd)
{
    struct stat st;
    if (::fstat(fd, &st) < 0)
        Raise_From_Errno(errno);
    if (!S_ISREG(st.st_mode))
        throw ESystemError(ESystemError::Not_A_Regular_File);
}

// An open descriptor closed on every way out of a scope, unless released.
struct TFd {
    int Fd;
    explicit TFd(int fd) : Fd(fd) {}
    TFd(const TFd&) = delete;
    TFd& operator=(const TFd&) = delete;
    ~TFd()
    {
        if (Fd >= 0)
            ::close(Fd);
    }
    int Release()
    {
        const int fd = Fd;
        Fd = -1;
        return fd;
    }
};

// flock(LOCK_EX) tried until wait_ms has passed or a stop signal came.
void Lock_Waiting(int fd, int wait_ms)
{
    using namespace std::chrono;
    const auto until = steady_clock::now() + milliseconds(wait_ms);
    for (auto pause = milliseconds(1);; pause = std::min(pause * 2, milliseconds(50))) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
            return;
        if (errno != EWOULDBLOCK && errno != EINTR)
            Raise_From_Errno(errno);
        if (Stop_Signal_Seen())
            Raise_From_Errno(EINTR);
        if (steady_clock::now() >= until)
            Raise_From_Errno(EWOULDBLOCK);
        std::this_thread::sleep_for(pause);
    }
}

constexpr mode_t Data_File_Mode = 0644;

// The folder a file at path is in.
std::string Folder_Of(const std::string& path)
{
    const std::string::size_type slash = path.find_last_of('/');
    return slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
}

} // namespace

std::string System_Error_Text(const ESystemError& error)
{
    if (error.Code == ESystemError::Not_A_Regular_File)
        return "not a regular file (a FIFO, a device or a folder)";
    if (error.Code == EWOULDBLOCK)
        return "held locked by another program for too long";
    if (error.Code == EINTR)
        return "stopped while waiting for its lock";
    return std::strerror(error.Code);
}

TFile_Lock TFile_Lock::Take(const std::string& lock_path, int wait_ms)
{
    TFd fd(Open_No_Wait(lock_path, O_RDWR | O_CREAT, Data_File_Mode));
    Require_Regular(fd.Fd);
    Lock_Waiting(fd.Fd, wait_ms);
    return TFile_Lock(fd.Release());
}

TFile_Lock::TFile_Lock(TFile_Lock&& other) noexcept : Fd_(other.Fd_)
{
    other.Fd_ = -1;
}

TFile_Lock::~TFile_Lock()
{
    if (Fd_ >= 0)
        ::close(Fd_); // the lock goes with the last descriptor of the open file
}

bool Read_Small_File(const std::string& path, std::size_t limit, std::string& bytes)
{
    std::optional<TSystemFile> file;
    try {
        file.emplace(TSystemFile::Open_For_Reading(path));
    } catch (const ESystemError& e) {
        if (e.Code == ENOENT)
            return false;
        throw;
    }
    struct stat st;
    if (::stat(path.c_str(), &st) == 0 && static_cast<uint64_t>(st.st_size) > limit)
        Raise_From_Errno(EFBIG);
    bytes.clear();
    std::vector<char> block(std::size_t{64} * 1024);
    for (;;) {
        // One byte past the limit at most: a file that grew is refused too.
        const std::size_t want = std::min(block.size(), limit + 1 - bytes.size());
        const std::size_t got = file->Read(block.data(), want);
        bytes.append(block.data(), got);
        if (bytes.size() > limit)
            Raise_From_Errno(EFBIG);
        if (got < want)
            break;
    }
    file->Close();
    return true;
}

std::string Network_File_System_Name(int64_t type)
{
    // The magic numbers of linux/magic.h and of the file systems' own
    // sources.
    constexpr struct {
        int64_t Type;
        const char* Name;
    } Network[] = {
        {0x6969, "NFS"},      {0x517B, "SMB"},      {0xFE534D42, "SMB2"},   {0xFF534D42, "CIFS"},
        {0x73757245, "Coda"}, {0x5346414F, "AFS"},  {0x6B414653, "AFS"},    {0x00C36400, "Ceph"},
        {0x01021997, "9P"},   {0x47504653, "GPFS"}, {0x0BD00BD0, "Lustre"},
    };
    for (const auto& known : Network)
        if (known.Type == (type & 0xFFFFFFFF))
            return known.Name;
    return "";
}

std::string Network_File_System(const std::string& path)
{
    struct statfs fs {};
    if (::statfs(Folder_Of(path).c_str(), &fs) != 0)
        return "";
    return Network_File_System_Name(static_cast<int64_t>(fs.f_type));
}

TLine_File TLine_File::Open(const std::string& path)
{
    // A FIFO nobody reads fails here (ENXIO) rather than waiting; one that is
    // read opens, and is refused as no regular file.
    TFd fd(Open_No_Wait(path, O_RDWR | O_APPEND | O_CREAT, Data_File_Mode));
    Require_Regular(fd.Fd);
    Wait_From_Now_On(fd.Fd);
    return TLine_File(fd.Release());
}

TLine_File::TLine_File(TLine_File&& other) noexcept : Fd_(other.Fd_)
{
    other.Fd_ = -1;
}

TLine_File::~TLine_File()
{
    if (Fd_ >= 0)
        ::close(Fd_);
}

void TLine_File::Lock(int wait_ms)
{
    Lock_Waiting(Fd_, wait_ms);
}

int64_t TLine_File::Size() const
{
    struct stat st;
    if (::fstat(Fd_, &st) < 0)
        Raise_From_Errno(errno);
    return static_cast<int64_t>(st.st_size);
}

uint64_t TLine_File::Identity() const
{
    struct stat st;
    if (::fstat(Fd_, &st) < 0)
        Raise_From_Errno(errno);
    return static_cast<uint64_t>(st.st_dev) * 1000003u ^ static_cast<uint64_t>(st.st_ino);
}

int64_t TLine_File::Free_Bytes() const
{
    struct statvfs fs {};
    if (::fstatvfs(Fd_, &fs) < 0)
        Raise_From_Errno(errno);
    return static_cast<int64_t>(fs.f_bavail) * static_cast<int64_t>(fs.f_frsize);
}

std::size_t TLine_File::Read_At(int64_t offset, void* dst, std::size_t capacity) const
{
    char* out = static_cast<char*>(dst);
    std::size_t done = 0;
    while (done < capacity) {
        const ssize_t n = ::pread(Fd_, out + done, capacity - done,
                                  static_cast<off_t>(offset + static_cast<int64_t>(done)));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            Raise_From_Errno(errno);
        if (n == 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    return done;
}

bool TLine_File::End_Last_Line()
{
    const int64_t size = Size();
    char last = '\n';
    if (size == 0 || Read_At(size - 1, &last, 1) != 1 || last == '\n')
        return false;
    Append("\n");
    return true;
}

void TLine_File::Append(const std::string& bytes)
{
    const int64_t before = Size();
    std::size_t done = 0;
    int err = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(Fd_, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            err = n < 0 ? errno : ENOSPC;
            break;
        }
        done += static_cast<std::size_t>(n);
    }
    if (err == 0 && ::fsync(Fd_) != 0)
        err = errno;
    if (err != 0) {
        // No fragment stays behind to swallow the next line.  (With the
        // file's lock held, nobody else has written meanwhile.)
        if (done > 0 && ::ftruncate(Fd_, static_cast<off_t>(before)) == 0)
            (void)::fsync(Fd_);
        Raise_From_Errno(err);
    }
}

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

// A new file beside target, of the given mode (the umask applies), with a
// name no other file has.
TTemporaryFile Create_Beside(const std::string& target, mode_t mode)
{
    const std::string::size_type slash = target.find_last_of('/');
    const std::string stem = slash == std::string::npos
                                 ? "." + target
                                 : target.substr(0, slash + 1) + "." + target.substr(slash + 1);
    for (int attempt = 0;; ++attempt) {
        const std::string name =
            stem + "." + std::to_string(::getpid()) + "-" + std::to_string(attempt) + ".tmp";
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd >= 0)
            return TTemporaryFile(name, fd);
        if (errno != EEXIST)
            Raise_From_Errno(errno);
    }
}

// Writes a temporary file of this process' own beside target (created with
// mode, or given keep_mode), puts it on the disk, renames it over target
// and puts the folder's entry on the disk.  Raises ESystemError; the
// temporary file is gone again on a failure.
void Replace_Regular(const std::string& target, const void* data, std::size_t size, mode_t mode,
                     std::optional<mode_t> keep_mode)
{
    TTemporaryFile temporary = Create_Beside(target, mode);
    if (keep_mode && ::fchmod(temporary.Fd, *keep_mode) != 0)
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
    Replace_Regular(target, data, size, New_File_Mode,
                    exists ? std::optional<mode_t>(st.st_mode & 07777) : std::nullopt);
}

bool Append_Durably(const std::string& path, const std::string& bytes, std::string& error)
{
    try {
        TLine_File file = TLine_File::Open(path);
        file.Lock();
        file.End_Last_Line();
        file.Append(bytes);
        return true;
    } catch (const ESystemError& e) {
        error = System_Error_Text(e);
        return false;
    }
}

bool Replace_Durably(const std::string& path, const std::string& bytes, std::string& error)
{
    try {
        Replace_Regular(path, bytes.data(), bytes.size(), Data_File_Mode, std::nullopt);
        return true;
    } catch (const ESystemError& e) {
        error = System_Error_Text(e);
        return false;
    }
}

} // namespace gang
