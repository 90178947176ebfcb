// The command line of gang-adapter-cli, parsed without side effects:
//
//   gang-adapter-cli [ADAPTER] COMMAND [OPTIONS]
//
// The adapter is the parallel port (--port, default auto) or the simulated
// adapter (--sim with the simulator's own options, checked by the
// simulator's parser).  The program prints Error and the usage and exits
// with status 2 when Ok is false.
#pragma once

#include "link/report.h"

#include "devices/catalogue.h"
#include "files/file_commands.h"
#include "session/device_choice.h"
#include "session/image_file.h"
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
    Sockets
};

// Where a file's bytes land in the device (--offset, --allow-truncate), for
// every command that loads an image for a device.
struct TImagePlacementOptions {
    // The file's address a lands at device address a + Offset: -8000 loads
    // a file whose data starts at 8000 from address 0.
    int64_t Offset = 0;
    // Bytes that land outside the device are dropped with a warning instead
    // of ending the command.
    bool Allow_Truncate = false;
};

struct TCliOptions {
    TCommand Command = TCommand::None;
    std::string Command_Name;
    // "station program": the program run again and again, one gang per
    // Enter, counted as one lot (Command is Program).
    bool Station = false;
    std::string Lot; // station, summary and job new: the lot's name
    // station --job: the job file (then Station is set and Command is
    // Program; the run's settings come from the job at start); sockets:
    // the job whose records file logs a reset.
    std::string Job;
    std::string Job_Sha256; // the job file's, once read
    // job new (and the station from its job): the insertions after which a
    // socket is to be changed; 0 for no limit.
    int Socket_Limit = 0;
    // sockets --reset: the socket (1-5), 0 for all.
    std::optional<int> Reset;

    // Adapter
    bool Sim = false;
    sim::TSimOptions Sim_Options; // when Sim (the port is read at start-up)

    // Device work
    const TDeviceType* Type = nullptr;
    int Gang = 1;
    int32_t Vpp_Code = 0; // 0 until a type is known: then the type's default
    std::optional<TFileType> Format;
    bool Blank_First = false;
    bool No_Verify = false;
    // program, verify: no read of a failed socket to tell why it failed.
    bool No_Diagnose = false;
    TSdp_Mode Sdp = TSdp_Mode::Unlock; // program: the EEPROMs' write protection
    std::string File;
    TImagePlacementOptions Placement;
    // program, station program, verify: each socket's own serial number.
    std::optional<session::TSerialSettings> Serial;
    // image split and merge: the halves; merge and swap: the image written.
    std::string Even;
    std::string Odd;
    std::string Output;

    // Output
    std::string Report;
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
