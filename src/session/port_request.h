// The adapter a program is asked for on its command line, read once: before
// Qt starts, so that the direct port access can be taken for the chosen base
// before every privilege is given up, and then handed to the session that
// opens the port.
//
//   --sim                the simulated adapter (no port access at all)
//   --port BASE|/dev/parportN|auto   (or --port=...): see link/port_choice.h
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace gang::session {

struct TPortRequest {
    bool Sim = false;
    // The one base the search probes; nothing for the ordinary search.
    std::optional<uint16_t> Chosen;
    // For the user when the --port value names no port; "" when it does.
    std::string Error;
};

// Reads --sim and --port from argv (the program name first).  A
// /dev/parportN is looked up in the system's port list.
TPortRequest Read_Port_Request(int argc, char* argv[]);
// The same from a --port text alone ("" or "auto": the ordinary search).
TPortRequest Port_Request_Of(const std::string& port_text);

} // namespace gang::session
