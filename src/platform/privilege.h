// Direct port I/O taken once at start-up, then every capability given up.
//
// ioperm needs CAP_SYS_RAWIO, which is as good as root: a program that keeps
// it while Qt loads plugins named by the user's environment runs any library
// the user names with it.  So the programs take, first thing in main and
// before any Qt object exists, the register access of every base they may
// probe (0x278, 0x378, 0x3BC, the one chosen with --port and the ones the
// system lists, each with its ECP register) and then clear the effective,
// permitted and inheritable sets, the ambient set and what they can of the
// bounding set, and set PR_SET_NO_NEW_PRIVS.  The access already taken stays
// with the process (and with every thread started after it), so a later
// search reuses it.  A base whose ppdev node opens needs no ioperm.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace gang {

// Takes direct access (where ppdev does not serve) for the candidate bases
// and the chosen one; root is where the system's port list is looked up.
void Take_Direct_Access(std::optional<uint16_t> chosen, const std::string& root = "/");

// True when [first, first + count) was taken by Take_Direct_Access.
bool Direct_Access_Taken(uint16_t first, uint16_t count);

// Gives up every capability for good; false (and why in error) when the
// kernel refused.
bool Drop_Privileges(std::string& error);

// The whole start-up step of a program: with direct (the real port), takes
// the access for the candidates and the chosen base; then drops the
// privileges.  On failure prints why under the program's name and returns
// false: the program must end.
bool Take_Port_Access_And_Drop(bool direct, std::optional<uint16_t> chosen, const char* program);

} // namespace gang
