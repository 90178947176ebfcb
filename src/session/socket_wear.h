// Socket wear: the insertions each socket of an adapter has taken, counted
// by the production station (one per socket of the gang per run: the
// sockets 1 to the gang size, the ones a chip is put into) and kept per
// adapter in $XDG_STATE_HOME/gang-adapter/sockets-<adapter>.json
// ($HOME/.local/state when XDG_STATE_HOME is not set), replaced durably.
// A worn socket's contacts make intermittent failures; a job's socket limit
// says when to change it.
#pragma once

#include "platform/system_file.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace gang::session {

struct TSocketWear {
    std::string Adapter;                 // "0378" (the port's base) or "sim"
    std::array<int64_t, 5> Insertions{}; // sockets 1-5
};

// The folder of the wear files, and one adapter's file.
std::string Wear_Folder();
std::string Wear_Path(const std::string& adapter);
// Every adapter that has a wear file, in name order.
std::vector<std::string> Worn_Adapters();

// The adapter's counts; zeros when it has no file yet.  False (error set)
// when the file cannot be read or is no wear file.
bool Read_Wear(const std::string& adapter, TSocketWear& wear, std::string& error);
// The counts written (the folder made when missing); false with the reason.
bool Write_Wear(const TSocketWear& wear, std::string& error);

// The adapter's wear file locked for a read-modify-write (a flock on
// FILE.lock beside it, which a crash releases): several programs on one
// adapter's counts never lose an update.  nullopt with the error.
std::optional<TFile_Lock> Lock_Wear(const std::string& adapter, std::string& error);

// One insertion more for sockets 1 to gang, read and written back under the
// lock.
bool Count_Insertions(const std::string& adapter, int gang, TSocketWear& wear, std::string& error);

// "socket 3: 10012 insertions, limit 10000: change the socket" for each
// socket 1 to gang past the limit (more insertions than it); none without a
// limit (0).
std::vector<std::string> Wear_Warnings(const TSocketWear& wear, int gang, int limit);

// A reset as a line of the records file:
// {"event":"socket_reset","socket":3,"insertions":10012,"adapter":"sim","time":"...Z"}
std::string Reset_Record_Line(const std::string& adapter, int socket, int64_t insertions);

} // namespace gang::session
