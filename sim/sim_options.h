// Command-line options of gang-adapter-sim, parsed without side effects:
//
//   --base BASE|none            port base of the simulated adapter (hex)
//   --socket N=TYPE|empty[,FAULT]   (repeatable) chip in socket N (1..5)
//        FAULT: stuck1:BIT@ADDR  stuck0:BIT@ADDR  (ADDR hex), slow,
//               nocomplete, pagewrong:ADDR, sdp, data0:BIT, data1:BIT,
//               addr0:LINE, addr1:LINE
//   --trace FILE                trace every port access to FILE
//   --access-us N               simulated cost of one port access in us
//   --fast                      chips program on any valid pulse
//   --help                      print the usage
//
// The application prints Error and Sim_Usage_Text() and exits with status 2
// when Ok is false.
#pragma once

#include "sim/sim_adapter.h"

#include <optional>
#include <string>
#include <vector>

namespace gang::sim {

struct TSocketOption {
    int Socket = 0;     // 1..5
    bool Empty = false; // "empty": leave the socket empty
    std::string Type;   // device type name when not Empty
    TFault Fault;       // TFaultKind::None when no fault was given
};

struct TSimOptions {
    TSimConfig Config;
    std::vector<TSocketOption> Sockets; // in the order given; a later one wins
    std::string Trace_Path;             // "" = no trace
    // The chips taken out of the sockets, each saved as a file of its
    // bytes ("" = none): chip-PID-N-sK.bin, N counting the refills.
    std::string Tray_Path;
    bool Help = false;
};

struct TSimOptionsResult {
    bool Ok = false;
    TSimOptions Options;
    std::string Error; // names the offending option when !Ok
};

// args excludes the program name.
TSimOptionsResult Parse_Sim_Options(const std::vector<std::string>& args);

const char* Sim_Usage_Text();

} // namespace gang::sim
