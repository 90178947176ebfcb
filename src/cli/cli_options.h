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
    Image_Swap
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
    std::string Lot; // station and summary: the lot's name

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

// An --offset value: hexadecimal, an optional sign, an optional 0x; at most
// FFFFFFFF either way.  nullopt when it is none.
std::optional<int64_t> Offset_Of(const std::string& text);
// "-8000", "100".
std::string Offset_Text(int64_t offset);

// "unlock", "keep", "lock" and back.
std::optional<TSdp_Mode> Sdp_Mode_Of(const std::string& name);
const char* Sdp_Mode_Name(TSdp_Mode mode);

const char* Cli_Usage_Text();

} // namespace gang::cli
