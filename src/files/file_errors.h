// The errors a file command can end with, and the program's texts for them.
// The window shows Message() in its error box with a full stop added, and
// the file (and the line of a hex text file) under it; the command line
// puts the file and line in front of it.
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
// A folder named where a file is wanted: EISDIR's own number, so that the
// user is not sent after permissions.
constexpr int Is_A_Directory = 21;
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
//   EACCES, EPERM, EROFS, ETXTBSY            -> 5  File access denied
//   EISDIR                                   -> 21 is a directory
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

// What every file error has: its message and, once known, the file and the
// line of a text file (1 for the first) it was found in.  The file command
// that raised it fills them in on the way out.
class EFileError : public std::runtime_error {
public:
    explicit EFileError(const std::string& message) : std::runtime_error(message) {}
    std::string Message() const { return what(); }
    std::string Path;
    int Line = 0;

    // "fw.hex:12", "fw.hex", or "" while no file is known.
    std::string Where() const;
    // The window's box: the message with its full stop, the file and line
    // on the line under it.
    virtual std::string Box_Text() const;
    // The command line's: "fw.hex:12: '$ga' is not a valid integer value.".
    virtual std::string Line_Text() const;
};

// Raised by every failing file operation.
class EInOutError : public EFileError {
public:
    explicit EInOutError(int code);
    int Code() const { return Code_; }
    // A folder reads "fw.hex is a directory." in both.
    std::string Box_Text() const override;
    std::string Line_Text() const override;

private:
    int Code_;
};

// Raised by a hex group that does not convert; names the group with the "$"
// the conversion puts in front of it: "'$1G' is not a valid integer value".
// A NUL in the group is shown as "?".
class EConvertError : public EFileError {
public:
    explicit EConvertError(const std::string& group_with_dollar);
};

// Raised by an Intel hex record or S-record whose count or checksum does not
// match what the line holds: "record checksum 7B, computed 7C".
class EChecksumError : public EFileError {
public:
    explicit EChecksumError(const std::string& message) : EFileError(message) {}
};

// Runs a file operation on the file at path, its failures raised as file
// errors that name the file.
template <typename TAction> void With_File_Errors(const std::string& path, TAction action)
{
    try {
        try {
            action();
        } catch (const ESystemError& error) {
            Raise_File_Error(error);
        }
    } catch (EFileError& error) {
        if (error.Path.empty())
            error.Path = path;
        throw;
    }
}

} // namespace gang
