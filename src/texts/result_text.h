// The socket results as the user reads them, the same in the window and on
// the command line: "2-Not Programmed", and with where and how it failed,
// "2-Didn't Verify at 0100: expected 5A, read 58".
#pragma once

#include "link/report.h"

#include <string>

namespace gang {

// "Is Not Blank", "Not Programmed", "Didn't Verify", "Stopped"; "" for a
// pass (the operation's own start text says how it passed).
const char* Result_Kind_Text(TResult_Kind kind);

// "2-Not Programmed": the socket line of a failure, as the window shows it.
std::string Socket_Result_Text(int socket, const TSocket_Result& result);

// The line plus where it failed and the bytes:
// "2-Didn't Verify at 0100: expected 5A, read 58"; a stopped socket names
// the first address it did not reach ("2-Stopped at 1A00").  Without an
// address, the line alone.
std::string Socket_Result_Detail(int socket, const TSocket_Result& result);

} // namespace gang
