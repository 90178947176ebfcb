#include "texts/result_text.h"

#include "core/hex_text.h"

namespace gang {

const char* Result_Kind_Text(TResult_Kind kind)
{
    switch (kind) {
    case TResult_Kind::Not_Blank:
        return "Is Not Blank";
    case TResult_Kind::Not_Programmed:
        return "Not Programmed";
    case TResult_Kind::Not_Verified:
        return "Didn't Verify";
    case TResult_Kind::Stopped:
        return "Stopped";
    case TResult_Kind::Passed:
        break;
    }
    return "";
}

std::string Socket_Result_Text(int socket, const TSocket_Result& result)
{
    return std::to_string(socket) + "-" + Result_Kind_Text(result.Kind);
}

std::string Socket_Result_Detail(int socket, const TSocket_Result& result)
{
    std::string line = Socket_Result_Text(socket, result);
    if (result.Address < 0)
        return line;
    if (result.Kind == TResult_Kind::Stopped) // nothing was checked there
        return line + " at " + IntToHex(result.Address, 4);
    return line + " at " + IntToHex(result.Address, 4) + ": expected " +
           IntToHex(result.Expected, 2) + ", read " + IntToHex(result.Actual, 2);
}

} // namespace gang
