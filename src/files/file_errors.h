// The two errors a file command can end with, and the program's texts for
// them.  The window shows Message() in its error box with a full stop added.
#pragma once

#include "platform/system_file.h"

#include <stdexcept>
#include <string>

namespace gang {

// The input/output error codes the program reports (the classic DOS/Pascal
// run-time codes).  Any other code is shown as "I/O error <code>".
namespace io_code {
constexpr int File_Not_Found = 2;
constexpr int Invalid_Filename = 3;
constexpr int Too_Many_Open_Files = 4;
constexpr int File_Access_Denied = 5;
constexpr int Read_Beyond_End = 100;
constexpr int Disk_Full = 101;
constexpr int Invalid_Numeric_Input = 106;
// The classic code for a failing device; it has no text of its own and shows
// as "I/O error 162".  No errno has this number.
constexpr int Hardware_Failure = 162;
} // namespace io_code

// The text a user reads for a file error's message: the message with a full
// stop added when it does not already end in one ("Disk full.").
std::string Error_Box_Text(const std::string& message);

// "File not found", "Disk full", ... or "I/O error <code>" (no full stop).
std::string In_Out_Error_Message(int code);

// Maps a POSIX errno to the code above that tells the user the same thing:
//   ENOENT                                   -> 2  File not found
//   ENOTDIR, ENAMETOOLONG, ELOOP, EINVAL     -> 3  Invalid filename
//   EMFILE, ENFILE                           -> 4  Too many open files
//   EACCES, EPERM, EISDIR, EROFS, ETXTBSY    -> 5  File access denied
//   ENOSPC, EDQUOT, EFBIG                    -> 101 Disk full
//   EIO                                      -> 162 ("I/O error 162")
// Every other errno keeps its own number ("I/O error 6" for ENXIO).  EIO cannot:
// its number 5 would read as "File access denied" and send the user after
// permissions when the disk or stick is failing.  The few other errnos whose
// numbers are table codes (ESRCH, ENETDOWN, ENETUNREACH, EISCONN) are
// reported as 162 as well.
int In_Out_Error_Code(int posix_errno);

// The file error a failed system call means for the user.
[[noreturn]] void Raise_File_Error(const ESystemError& error);

// Runs a file operation on system files, their failures raised as file
// errors.
template <typename TAction> void With_File_Errors(TAction action)
{
    try {
        action();
    } catch (const ESystemError& error) {
        Raise_File_Error(error);
    }
}

// Raised by every failing file operation.
class EInOutError : public std::runtime_error {
public:
    explicit EInOutError(int code);
    int Code() const { return Code_; }
    std::string Message() const { return what(); }

private:
    int Code_;
};

// Raised by a hex group that does not convert; names the group with the "$"
// the conversion puts in front of it: "'$1G' is not a valid integer value".
// A NUL in the group is shown as "?".
class EConvertError : public std::runtime_error {
public:
    explicit EConvertError(const std::string& group_with_dollar);
    std::string Message() const { return what(); }
};

} // namespace gang
