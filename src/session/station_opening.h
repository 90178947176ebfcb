// How every front end opens a production station, written once: the plan
// (settings checked, image loaded, the record every run shares) from a job
// file or from the command line's settings, then the search with its
// verdict as data, the type and gang chosen, and the station with its
// serial state, records file and socket counts.  The command-line station
// and the operator window only render what comes back.
#pragma once

#include "core/buffer.h"
#include "session/adapter.h"
#include "session/gang_run.h"
#include "session/gang_session.h"
#include "session/job.h"
#include "session/run_record.h"
#include "session/run_settings.h"
#include "session/timed_host.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace gang::session {

// What a station runs: its settings (the lot, the records file and the
// serial state as they are opened), the image loaded for the type, and what
// every run's record shares.
struct TStationPlan {
    TRunSettings Settings;
    TBuffer Image;
    TRunRecord Template;
    std::vector<TStep> Steps;
};

// The plan of a job whose image is loaded: the lot is the job's, else lot.
// front_end: "cli" or "window".
TStationPlan Job_Plan(const TJob& job, const TBuffer& image, const std::string& lot,
                      const std::string& front_end);

// How a job opened: Needs_Lot when neither the job nor the front end names
// a lot (each front end says in its own words where a lot comes from).
enum class TJob_Opening { Opened, Refused, Needs_Lot };

// A job file read, its lot settled (the job's, else given_lot; both is a
// refusal, neither is one), its image checked by its SHA-256 and loaded.
// Refused or Needs_Lot with the user's error text, which names the job file
// once.  warnings: what the user should read even when it opens (bytes
// outside the device dropped).
TJob_Opening Plan_From_Job(const std::string& path, const std::string& given_lot,
                           const std::string& front_end, TStationPlan& plan, std::string& error,
                           std::vector<std::string>& warnings);

// The plan of a station whose settings and image come from the command
// line: file is the image as read, checksum the image's over the device.
TStationPlan Plan_From_Settings(const TRunSettings& settings, const TBuffer& image,
                                std::optional<TFileRecord> file, const std::string& front_end);

// Before the adapter is touched: the plan's records file opened for
// appending and checked (gang_run.h: Check_Records_File), its serial state
// read and checked (none with a pool), and its first run's serials
// fitting.  Exit_Passed, or
// the exit status of the refusal (Exit_File_Error for a file, Exit_Usage
// for serials that do not fit) with the user's error text, which names the
// file and what is wrong.
int Check_Plan_Files(const TStationPlan& plan, std::string& error);

// What the search found, as data.
struct TSearchVerdict {
    bool Found = false;
    uint16_t Base = 0;
    bool Simulated = false;
    // The boxes the search met on its way (a port that could not be
    // opened), and the ports another program holds.
    std::vector<std::string> Boxes;
    std::vector<uint16_t> Ports_In_Use;
};

// The verdict as lines: the boxes, then "The Tarvik Programmer was Found at
// 0378" (" (simulated adapter)" on the simulator); when not found, the
// boxes, the ports in use and "The Tarvik Programmer was Not Found.".
std::vector<std::string> Verdict_Lines(const TSearchVerdict& verdict);

struct TOpenedStation {
    TSearchVerdict Verdict;
    // The station, ready for its first run; nullptr when the adapter was
    // not found or Error says why it cannot run.
    std::unique_ptr<TStation> Station;
    std::string Error;
};

// The search over the adapter (with the speed check when the plan
// programs), then, when found, the type, gang, voltage and write protection
// chosen, the station made with its socket counts, its records file opened
// (the lot's runs in it read) and, for a serialized plan, its serial state
// opened.  The session must be the front end's over
// the adapter's port with host as its host; the plan must outlive the
// station.
TOpenedStation Open_Station(TGangSession& session, TTimed_Host& host, TAdapter& adapter,
                            const TStationPlan& plan);

} // namespace gang::session
