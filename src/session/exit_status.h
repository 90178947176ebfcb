// The exit statuses of gang-adapter-cli, fixed so that scripts can act on
// them.
#pragma once

namespace gang {

constexpr int Exit_Passed = 0;        // every socket of the gang passed every step
constexpr int Exit_Socket_Failed = 1; // at least one socket failed
constexpr int Exit_Usage = 2;         // usage error
constexpr int Exit_No_Adapter = 3;    // adapter not found
constexpr int Exit_File_Error = 4;    // the file could not be read or written
// Chips were programmed but their run's record could not be written: they
// are not recorded (a station stops at once).
constexpr int Exit_Not_Recorded = 5;
constexpr int Exit_Stopped = 130; // stopped by SIGINT, SIGTERM or SIGHUP
// The capabilities could not be given up before anything else ran: the
// program does not start (a general failure, as a shell knows it).
constexpr int Exit_Cannot_Start = 1;

} // namespace gang
