// The command line of gang-adapter-cli, parsed without side effects:
//
//   gang-adapter-cli [ADAPTER] COMMAND [OPTIONS]
//
// The adapter is the parallel port (--port, default auto) or the simulated
// adapter (--sim with the simulator's own options, checked by the
// simulator's parser).  The program prints Error and a pointer to --help
// and exits with status 2 when Ok is false.
#pragma once

#include "link/report.h"

#include "devices/catalogue.h"
#include "files/file_commands.h"
#include "session/device_choice.h"
#include "session/image_file.h"
#include "session/run_settings.h"
#include "session/serial.h"
#include "sim/sim_options.h"

#include <QStringList>

#include <cstdint>
#include <optional>
#include <string>

namespace gang::cli {

enum class TCommand {
    None,
    Detect,
    Types,
    Blank,
    Program,
    Verify,
    Read,
    Checksum,
    Summary,
    Image_Info,
    Image_Split,
    Image_Merge,
    Image_Swap,
    Job_New,
    Job_Show,
    Sockets,
    Store_Init
};

// Where a file's bytes land in the device (--offset, --allow-truncate), for
// every command that loads an image for a device.
using TImagePlacementOptions = session::TImagePlacement;

// The run's settings (type, gang, voltage, format, placement, steps, sdp,
// serial, lot, records file, socket limit) come from the options; the rest
// is the command line's own.
struct TCliOptions : session::TRunSettings {
    TCommand Command = TCommand::None;
    std::string Command_Name;
    // "station program": the program run again and again, one gang per
    // Enter, counted as one lot (Command is Program).
    bool Station = false;
    // station --job: the job file (then Station is set and Command is
    // Program; the run's settings come from the job at start); sockets:
    // the job whose records file logs a reset.
    std::string Job;
    // sockets --reset: the socket (1-5), 0 for all.
    std::optional<int> Reset;

    // Adapter
    bool Sim = false;
    sim::TSimOptions Sim_Options; // when Sim (the port is read at start-up)

    // Device work
    // Intel hex and S-record files load without their record counts and
    // checksums checked (hand-edited files); the run record says so.
    bool Ignore_Checksums = false;
    std::string File;
    // image split and merge: the halves; merge and swap: the image written.
    std::string Even;
    std::string Odd;
    std::string Output;
    // job new: an existing -o file is replaced
    bool Force = false;

    // Output
    bool Quiet = false;
    bool Help = false;
    bool Version = false;
};

struct TCliParse {
    bool Ok = false;
    TCliOptions Options;
    std::string Error;
};

// arguments includes the program name, as QCoreApplication::arguments().
TCliParse Parse_Cli_Options(const QStringList& arguments);

// The --offset and --sdp names, shared with the job file (session/).
using session::Offset_Of;
using session::Offset_Text;
using session::Sdp_Mode_Name;
using session::Sdp_Mode_Of;

const char* Cli_Usage_Text();

} // namespace gang::cli
