#include "ui/core/station_text.h"

#include "texts/diagnosis_text.h"
#include "texts/result_text.h"

#include <cmath>
#include <cstdio>
#include <vector>

namespace gang {

const char* Tile_State_Text(TTile_State state)
{
    switch (state) {
    case TTile_State::Idle:
        return "idle";
    case TTile_State::Running:
        return "running";
    case TTile_State::Pass:
        return "PASS";
    case TTile_State::Fail:
        return "FAIL";
    case TTile_State::Stopped:
        return "stopped";
    }
    return "";
}

std::string Result_Line(const TSocket_Result& result)
{
    // Socket_Result_Detail starts with the socket's number: "2-Not ...".
    const std::string line = Socket_Result_Detail(1, result);
    return line.substr(2);
}

TTile Failed_Tile(const TSocket_Result& failure)
{
    TTile tile;
    tile.State = failure.Failed() ? TTile_State::Fail : TTile_State::Stopped;
    tile.Result = Result_Line(failure);
    return tile;
}

TTile Finished_Tile(bool passed, const std::optional<TSocket_Result>& failure,
                    const std::optional<uint64_t>& serial,
                    const std::optional<TDiagnosis>& diagnosis)
{
    TTile tile;
    if (passed)
        tile.State = TTile_State::Pass;
    else if (failure)
        tile = Failed_Tile(*failure);
    else
        tile.State = TTile_State::Fail;
    // A chip that did not pass never counts with its serial, as the
    // command line says it: "serial 1012 (void)".
    if (serial)
        tile.Serial = "serial " + std::to_string(*serial) + (passed ? "" : " (void)");
    if (diagnosis) {
        const std::vector<std::string> lines = Diagnosis_Lines(*diagnosis);
        if (!lines.empty())
            tile.Diagnosis = lines.front();
    }
    return tile;
}

std::string Tile_Text(const TTile& tile)
{
    std::string text = Tile_State_Text(tile.State);
    for (const std::string* part : {&tile.Result, &tile.Serial, &tile.Diagnosis})
        if (!part->empty())
            text += "\n" + *part;
    return text;
}

std::string Job_Line(const std::string& type, int gang, const std::string& image_name,
                     const std::string& image_sha256, const std::string& lot)
{
    std::string line = type + " x " + std::to_string(gang) + "   image " + image_name +
                       "   sha256 " + image_sha256.substr(0, 12);
    if (!lot.empty())
        line += "   lot " + lot;
    return line;
}

TTile Idle_Tile(const std::optional<uint64_t>& next_serial)
{
    TTile tile;
    if (next_serial)
        tile.Serial = "next serial " + std::to_string(*next_serial);
    return tile;
}

std::string Yield_Line(int passed, int chips, int runs, int stopped_runs)
{
    if (runs == 0)
        return "no run yet";
    char percent[16];
    std::snprintf(percent, sizeof percent, "%.1f", chips > 0 ? 100.0 * passed / chips : 0.0);
    std::string line = std::to_string(passed) + " of " + std::to_string(chips) + " chips passed (" +
                       percent + " %), ";
    // A stopped run's chips are in no count: said as the summary says it.
    if (stopped_runs > 0)
        return line + "runs " + std::to_string(runs) + " (" + std::to_string(stopped_runs) +
               " stopped, not counted)";
    return line + std::to_string(runs) + (runs == 1 ? " run" : " runs");
}

double Run_Fraction(int step_index, int steps, int32_t address, int32_t end_of_range)
{
    if (steps <= 0)
        return 0;
    double within = end_of_range > 0 ? static_cast<double>(address) / (end_of_range + 1.0) : 0;
    within = std::fmin(std::fmax(within, 0.0), 1.0);
    const double done = (step_index + within) / steps;
    return std::fmin(std::fmax(done, 0.0), 1.0);
}

std::string Remaining_From_Run(double elapsed_seconds, double run_seconds)
{
    const double left = run_seconds - elapsed_seconds;
    if (left < 1.0)
        return "almost done";
    if (left < 90)
        return "about " + std::to_string(std::lround(left)) + " s left";
    return "about " + std::to_string(std::lround(left / 60.0)) + " min left";
}

std::string Remaining_Text(double elapsed_seconds, double fraction)
{
    // Too early to tell: the first per cent, or the first second.
    if (fraction < 0.01 || elapsed_seconds < 1.0)
        return "";
    if (fraction >= 1.0)
        return "almost done";
    const double left = elapsed_seconds * (1.0 - fraction) / fraction;
    if (left < 90) {
        const long seconds = std::lround(std::fmax(left, 1.0));
        return "about " + std::to_string(seconds) + " s left";
    }
    return "about " + std::to_string(std::lround(left / 60.0)) + " min left";
}

} // namespace gang
