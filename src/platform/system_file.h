// Thin checked wrappers over the system's file descriptors.  Every call that
// fails raises ESystemError with the system's error number; a failed command
// leaves the descriptor to the destructor, which closes it without raising.
#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>

namespace gang {

class ESystemError : public std::runtime_error {
public:
    // The errno of the failed call, or Not_A_Regular_File (a FIFO or a
    // device offered as a file).
    explicit ESystemError(int code);
    static constexpr int Not_A_Regular_File = -1;
    int Code;
};

class TSystemFile {
public:
    // Opens an existing file for reading.  Anything but a regular file (a
    // FIFO, a device) is refused with "File access denied".
    static TSystemFile Open_For_Reading(const std::string& path);
    // Creates a file for writing; an existing file of that name is emptied.
    // A FIFO without a reader is refused rather than waited for.
    static TSystemFile Create_For_Writing(const std::string& path);

    TSystemFile(TSystemFile&& other) noexcept;
    TSystemFile& operator=(TSystemFile&&) = delete;
    TSystemFile(const TSystemFile&) = delete;
    TSystemFile& operator=(const TSystemFile&) = delete;
    ~TSystemFile();

    // Reads up to `capacity` bytes; fewer only at the end of the file, 0 there.
    std::size_t Read(void* dst, std::size_t capacity);
    // Writes all `size` bytes or raises.
    void Write(const void* src, std::size_t size);
    // Closes and reports a failing close (delayed write errors show here).
    void Close();

private:
    explicit TSystemFile(int fd) : Fd_(fd) {}
    int Fd_;
};

// Writes the whole file at path or leaves the old one as it was: the bytes go
// into a new file beside it, which is put on the disk and then renamed over
// path (a link is followed to its file; the file keeps its permissions).  A
// FIFO or a device is written directly, as Create_For_Writing does.  Raises
// ESystemError: EISDIR for a folder, EACCES for a file the user may not
// write.
void Replace_File(const std::string& path, const void* data, std::size_t size);

// Appends bytes to the file at path (created with mode 0644 when missing) in
// one write, and puts them on the disk before it returns: a power loss
// leaves the whole of them or none.  False, with the system's reason in
// error, when any of it fails.
bool Append_Durably(const std::string& path, const std::string& bytes, std::string& error);

// Replaces the file at path with bytes so that a crash at any moment leaves
// the old file or the new one, never a mix: a temporary file beside it is
// written and put on the disk, renamed over path, and the folder's entry
// put on the disk.  False, with the system's reason in error, on a failure
// (the old file is then left as it was).
bool Replace_Durably(const std::string& path, const std::string& bytes, std::string& error);

} // namespace gang
