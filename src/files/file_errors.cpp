#include "files/file_errors.h"

#include <algorithm>
#include <cerrno>

namespace gang {

std::string Error_Box_Text(const std::string& message)
{
    if (!message.empty() && message.back() == '.')
        return message;
    return message + ".";
}

std::string In_Out_Error_Message(int code)
{
    switch (code) {
    case io_code::File_Not_Found:
        return "File not found";
    case io_code::Invalid_Filename:
        return "Invalid filename";
    case io_code::Too_Many_Open_Files:
        return "Too many open files";
    case io_code::File_Access_Denied:
        return "File access denied";
    case io_code::Read_Beyond_End:
        return "Read beyond end of file";
    case io_code::Disk_Full:
        return "Disk full";
    case io_code::Invalid_Numeric_Input:
        return "Invalid numeric input";
    case io_code::Is_A_Directory:
        return "is a directory";
    default:
        return "I/O error " + std::to_string(code);
    }
}

namespace {

bool Is_Table_Code(int code)
{
    return In_Out_Error_Message(code).rfind("I/O error ", 0) != 0;
}

} // namespace

int In_Out_Error_Code(int posix_errno)
{
    switch (posix_errno) {
    case ENOENT:
        return io_code::File_Not_Found;
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP:
    case EINVAL:
        return io_code::Invalid_Filename;
    case EMFILE:
    case ENFILE:
        return io_code::Too_Many_Open_Files;
    case EISDIR:
        return io_code::Is_A_Directory;
    case EACCES:
    case EPERM:
    case EROFS:
    case ETXTBSY:
        return io_code::File_Access_Denied;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return io_code::Disk_Full;
    case EIO:
        return io_code::Hardware_Failure;
    default:
        return Is_Table_Code(posix_errno) ? io_code::Hardware_Failure : posix_errno;
    }
}

std::string EFileError::Where() const
{
    if (Path.empty())
        return "";
    return Line > 0 ? Path + ":" + std::to_string(Line) : Path;
}

std::string EFileError::Box_Text() const
{
    const std::string where = Where();
    return Error_Box_Text(Message()) + (where.empty() ? "" : "\n" + where);
}

std::string EFileError::Line_Text() const
{
    const std::string where = Where();
    return (where.empty() ? "" : where + ": ") + Error_Box_Text(Message());
}

EInOutError::EInOutError(int code) : EFileError(In_Out_Error_Message(code)), Code_(code) {}

std::string EInOutError::Box_Text() const
{
    if (Code_ == io_code::Is_A_Directory && !Path.empty())
        return Path + " " + Error_Box_Text(Message());
    return EFileError::Box_Text();
}

std::string EInOutError::Line_Text() const
{
    if (Code_ == io_code::Is_A_Directory && !Path.empty())
        return Path + " " + Error_Box_Text(Message());
    return EFileError::Line_Text();
}

namespace {

// A binary file opened as hex puts bytes into the group that are no text: a
// NUL would cut the message short wherever it is shown as a C string
// (leaving only "'$"), and a byte of 0x80 or above is no character of the
// message's encoding (the error box would show a replacement sign).  Each
// such byte is shown as "?".
std::string Printable_Group(std::string group)
{
    std::replace_if(
        group.begin(), group.end(),
        [](char c) { return c == '\0' || static_cast<unsigned char>(c) >= 0x80; }, '?');
    return group;
}

} // namespace

EConvertError::EConvertError(const std::string& group_with_dollar)
    : EFileError("'" + Printable_Group(group_with_dollar) + "' is not a valid integer value")
{
}

void Raise_File_Error(const ESystemError& error)
{
    if (error.Code == ESystemError::Not_A_Regular_File)
        throw EInOutError(io_code::File_Access_Denied);
    throw EInOutError(In_Out_Error_Code(error.Code));
}

} // namespace gang
