// The operator window's texts, without a widget: a socket's tile (its state,
// the result line, the serial, the diagnosis' first line), the job line, the
// lot's yield and the remaining time of a run.
#pragma once

#include "devices/diagnosis.h"
#include "link/report.h"

#include <cstdint>
#include <optional>
#include <string>

namespace gang {

enum class TTile_State { Idle, Running, Pass, Fail, Stopped };

// "idle", "running", "PASS", "FAIL", "stopped".
const char* Tile_State_Text(TTile_State state);

// One socket's tile: the state in large letters, under it the result line
// ("Not Programmed at 0123: expected 00, read 20"), the serial
// ("serial 1002") and the diagnosis' first line, each "" when there is none.
struct TTile {
    TTile_State State = TTile_State::Idle;
    std::string Result;
    std::string Serial;
    std::string Diagnosis;
};

// The tile of a socket at the end of a run, from its outcome: passed, or
// its failure (a stopped socket is neither), with the serial and the
// diagnosis when the run has them.
TTile Finished_Tile(bool passed, const std::optional<TSocket_Result>& failure,
                    const std::optional<uint64_t>& serial,
                    const std::optional<TDiagnosis>& diagnosis);

// The tile of a socket that dropped out while the run goes on.
TTile Failed_Tile(const TSocket_Result& failure);

// The tile of a socket before a run: "next serial 1003" under "idle" when
// the station gives serials.
TTile Idle_Tile(const std::optional<uint64_t>& next_serial);

// The tile as one text, a line per part that is there.
std::string Tile_Text(const TTile& tile);

// The result line without the socket's number: "Not Programmed at 0123:
// expected 00, read 20"; a stopped socket "Stopped at 1A00".
std::string Result_Line(const TSocket_Result& result);

// "27C64 x 5   image fw.bin   sha256 0123456789ab   lot L2412": the job as
// the operator checks it (the first 12 digits of the image's SHA-256; no lot
// part without a lot).
std::string Job_Line(const std::string& type, int gang, const std::string& image_name,
                     const std::string& image_sha256, const std::string& lot);

// "8 of 10 chips passed (80.0 %), 2 runs"; "no run yet" before the first;
// with stopped runs (their chips not counted) "6 of 10 chips passed
// (60.0 %), runs 3 (1 stopped, not counted)".
std::string Yield_Line(int passed, int chips, int runs, int stopped_runs = 0);

// The part of a run done, 0..1: step index (0-based) of steps, at address
// of a range that ends at end_of_range.
double Run_Fraction(int step_index, int steps, int32_t address, int32_t end_of_range);

// "about 12 s left", "about 3 min left" from the time the run (or a step
// whose addresses all take the same time) has taken and the part of it
// done; "" while too little is done to tell.
std::string Remaining_Text(double elapsed_seconds, double fraction);

// The same from the time a whole earlier run of the lot took; "almost done"
// in its last second.
std::string Remaining_From_Run(double elapsed_seconds, double run_seconds);

} // namespace gang
