// Thin checked wrappers over POSIX file descriptors.  Every call that fails
// raises EInOutError with the mapped code; a failed command leaves the
// descriptor to the destructor, which closes it without raising.
#pragma once

#include <cstddef>
#include <string>

namespace gang {

class TPosixFile {
public:
    // Opens an existing file for reading.  Anything but a regular file (a
    // FIFO, a device) is refused with "File access denied".
    static TPosixFile Open_For_Reading(const std::string& path);
    // Creates a file for writing; an existing file of that name is emptied.
    // A FIFO without a reader is refused rather than waited for.
    static TPosixFile Create_For_Writing(const std::string& path);

    TPosixFile(TPosixFile&& other) noexcept;
    TPosixFile& operator=(TPosixFile&&) = delete;
    TPosixFile(const TPosixFile&) = delete;
    TPosixFile& operator=(const TPosixFile&) = delete;
    ~TPosixFile();

    // Reads up to `capacity` bytes; fewer only at the end of the file, 0 there.
    std::size_t Read(void* dst, std::size_t capacity);
    // Writes all `size` bytes or raises.
    void Write(const void* src, std::size_t size);
    // Closes and reports a failing close (delayed write errors show here).
    void Close();

private:
    explicit TPosixFile(int fd) : Fd_(fd) {}
    int Fd_;
};

} // namespace gang
