// Thin checked wrappers over the system's file descriptors.  Every call that
// fails raises ESystemError with the system's error number; a failed command
// leaves the descriptor to the destructor, which closes it without raising.
#pragma once

#include <cstddef>
#include <cstdint>
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

// The user's text of a failed call: the system's ("No space left on
// device"), or "not a regular file (a FIFO, a device or a folder)".
std::string System_Error_Text(const ESystemError& error);

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

// An exclusive lock that several programs on one machine take before a
// read-modify-write of a shared file: flock on a lock file of its own (the
// shared file is replaced by a rename, so it cannot carry the lock itself).
// The lock belongs to the open file: a crash of its holder releases it.
class TFile_Lock {
public:
    // Takes the lock of lock_path (created with mode 0644 when missing;
    // anything but a regular file refused).  Waits up to wait_ms for another
    // holder and no longer: EWOULDBLOCK when the wait ran out, EINTR when a
    // stop signal came (Stop_Signal_Seen).  Raises ESystemError.
    static TFile_Lock Take(const std::string& lock_path, int wait_ms = Default_Wait_Ms);
    static constexpr int Default_Wait_Ms = 10000;

    TFile_Lock(TFile_Lock&& other) noexcept;
    TFile_Lock& operator=(TFile_Lock&&) = delete;
    TFile_Lock(const TFile_Lock&) = delete;
    TFile_Lock& operator=(const TFile_Lock&) = delete;
    ~TFile_Lock(); // releases it

private:
    explicit TFile_Lock(int fd) : Fd_(fd) {}
    int Fd_;
};

// Reads a small file whole, without waiting: a FIFO, a device or a folder is
// refused (Not_A_Regular_File) before anything reads it, and so is a file
// larger than limit (EFBIG), before it is read.  False when there is no file
// of that name; raises ESystemError for every other failure.
bool Read_Small_File(const std::string& path, std::size_t limit, std::string& bytes);

// The network file system a file at path would lie on ("NFS", "SMB",
// "CIFS", ...), judged by the folder it is in; "" for a local one (or when
// the folder cannot be asked).  Locks on such a file system cannot be
// trusted between machines.
std::string Network_File_System(const std::string& path);
// The same for a file system's type number (statfs' f_type).
std::string Network_File_System_Name(int64_t type);

// A file that only grows by whole lines, such as a records file (JSON
// Lines).  Opened for reading and appending without waiting; only a regular
// file is taken.
class TLine_File {
public:
    // Opens it (created with mode 0644 when missing).  Raises ESystemError:
    // Not_A_Regular_File for a FIFO, a device or a folder, the system's
    // error for a file that cannot be written.
    static TLine_File Open(const std::string& path);

    TLine_File(TLine_File&& other) noexcept;
    TLine_File& operator=(TLine_File&&) = delete;
    TLine_File(const TLine_File&) = delete;
    TLine_File& operator=(const TLine_File&) = delete;
    ~TLine_File();

    // The exclusive lock of the file (flock on the file itself), waited for
    // as TFile_Lock's; released by the destructor or a crash.
    void Lock(int wait_ms = TFile_Lock::Default_Wait_Ms);

    int64_t Size() const;
    // The file's identity (device and inode): changes when it is replaced.
    uint64_t Identity() const;
    // Bytes free for an ordinary user on its file system.
    int64_t Free_Bytes() const;
    // Up to capacity bytes from offset; fewer only at the end.
    std::size_t Read_At(int64_t offset, void* dst, std::size_t capacity) const;
    // A line end first when the file's last byte is none (a torn last
    // line, cut by a crash or a full disk, is closed so that the next line
    // stands on its own); true when one was added.
    bool End_Last_Line();
    // Appends bytes in one write and puts them on the disk (fsync).  A
    // write cut short is cut from the file again, so that no fragment is
    // left; raises ESystemError (ENOSPC for a full disk).
    void Append(const std::string& bytes);

private:
    explicit TLine_File(int fd) : Fd_(fd) {}
    int Fd_;
};

// Appends bytes to the file at path (created with mode 0644 when missing) in
// one write under the file's lock, after closing a torn last line, and puts
// them on the disk before it returns: a power loss leaves the whole of them
// or none.  False, with the reason in error, when any of it fails.
bool Append_Durably(const std::string& path, const std::string& bytes, std::string& error);

// Replaces the file at path with bytes so that a crash at any moment leaves
// the old file or the new one, never a mix: a temporary file beside it, of
// this process' own, is written and put on the disk, renamed over path, and
// the folder's entry put on the disk (Replace_File's way, for the files
// this program keeps: always a regular file, of mode 0644).  False, with
// the system's reason in error, on a failure (the old file is then left as
// it was).
bool Replace_Durably(const std::string& path, const std::string& bytes, std::string& error);

} // namespace gang
