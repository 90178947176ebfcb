// A run as every front end makes it: the steps once over the gang, each
// timed, and the sockets' outcomes read from the gang's state into the run
// record.  A production station makes runs one after another, refilling
// the gang before each, and counts them as one lot.
#pragma once

#include "devices/catalogue.h"
#include "session/adapter.h"
#include "session/gang_session.h"
#include "session/lot_summary.h"
#include "session/records_file.h"
#include "session/run_record.h"
#include "session/serial.h"
#include "session/socket_wear.h"

#include "core/buffer.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace gang::session {

// What a front end shows of a run while it goes.
class IRun_Progress {
public:
    virtual ~IRun_Progress() = default;
    virtual void Step_Begins(TStep step, int32_t end_of_range, int gang) = 0;
    virtual void Step_Ends() = 0;
    // The diagnosis reads one failed socket at a time: this one, before
    // its Step_Begins.
    virtual void Diagnosing_Socket(int /*socket*/) {}
};

// The text of a socket that passed every step of a run ("1-Verified OK"):
// the text the window shows once the last step passed, trailing blanks
// removed.
std::string Passed_Text(const std::vector<TStep>& steps, int socket);

// The serials of a run: the settings and each socket's serial.
struct TRun_Serials {
    TSerialSettings Settings;
    TSerialGrant Grant;
};

// After a serialized run: the serials of the sockets that failed go back to
// the state with reuse.  A stopped chip may hold its serial already, so its
// serial is never handed out again.  False (error set) when the state could
// not be written.
bool Settle_Serials(const TGangSession& session, TSerialState& state, const TSerialGrant& grant,
                    std::string& error);

// The serials of a run without a state file (a verify of chips programmed
// with them): socket k gets start + (k - 1) * step.
TSerialGrant Serials_From_Start(const TSerialSettings& settings, int gang);

// The steps once over the gang into record (its steps, its sockets and the
// stopped flag); true when every socket passed every step.  With serials,
// each socket's serial is in its own bytes (TGangSession::Give_Serials) and
// goes into the record with the sum of its own bytes.  With diagnose,
// each socket that failed program or verify is then read once more over the
// range and what its bytes say goes into its record (a "diagnose" step);
// not after a stop.
bool Run_Steps(TGangSession& session, const std::vector<TStep>& steps, int32_t end_of_range,
               bool diagnose, IRun_Progress& progress, TRunRecord& record,
               const TRun_Serials* serials = nullptr);

// The exit status of a run: stopped, every socket passed, or one failed.
int Run_Status(bool stopped, bool passed);

// The record's end and status, appended to the report file when one is
// named; false (error set, naming the file) when it could not be written:
// the status is then Exit_Not_Recorded.
bool Finish_Record(TRunRecord& record, int status, const std::string& report_path,
                   std::string& error);

// The records file opened for appending and checked before the adapter is
// touched (records_path "" for none), nothing written but a line end
// closing a torn last record.  False with the user's error text, which
// names the file and what is wrong.
bool Check_Records_File(const std::string& records_path, const std::string& lot,
                        std::string& error);

// A production station: runs of one job over one adapter, one lot.
class TStation {
public:
    // template_record holds what every run's record shares (command, type,
    // gang, voltage, file, checksum).
    TStation(TGangSession& session, TAdapter& adapter, const TDeviceType& type,
             std::vector<TStep> steps, bool diagnose, TRunRecord template_record,
             std::string report_path);

    // The records file opened and checked before the first chip, and the
    // lot's runs already in it read: the run sequence and the tally go on
    // from them.  False with the user's error text (naming the file).
    bool Open_Records(std::string& error);
    // A serialized station: the state file read and checked (made from the
    // start value at the first run when missing); with a pool
    // (settings.Pool), no file: the line hands the serials out.  False with
    // the user's error text.
    bool Use_Serials(const TSerialSettings& settings, std::string& error);
    // The station's serial state; nullptr without serials or with a pool.
    const TSerialState* Serials() const
    {
        return Serial_Settings && Serial_Settings->Pool.empty() ? &Serial_State : nullptr;
    }

    // A station on a line (the line's store, or a lot's quantity): as each
    // run begins, before a chip is touched, the line grants it.  Given the
    // gang in Chips, it answers how many chips the run takes (fewer when the
    // lot has fewer places left: sockets 1 to Chips), the run's id and the
    // station's name for the record, and with a serial pool one serial per
    // chip.  False with the reason: Run_Next makes no run and returns
    // nullptr with Line_Error set; nothing is programmed.
    struct TLine_Grant {
        int Chips = 0;
        std::string Run_Id;
        std::string Station;
        std::vector<uint64_t> Serials;
    };
    using TLine = std::function<bool(TLine_Grant& grant, std::string& error)>;
    // unmade: called when a granted run is not made after all (its serials
    // or the records file refused it), so that the line frees its places.
    void On_Line(TLine line, std::function<void()> unmade)
    {
        Line = std::move(line);
        Line_Unmade = std::move(unmade);
    }
    std::string Line_Error;

    // The next run: the records file checked, the line's grant, a fresh
    // gang, its serials reserved, the steps, the record appended and
    // counted.  Its record; Append_Error is set (naming the file) when it
    // was not written: the run's chips are not recorded and the run is not
    // counted in the lot.  nullptr, with Run_Error set, when the records
    // file cannot take a record or the serials could not be reserved (or
    // Line_Error, when the line grants no run): no run was made.
    const TRunRecord* Run_Next(int32_t end_of_range, IRun_Progress& progress);
    std::string Run_Error;
    // The run was refused because of the records file (else the serials).
    bool Refused_By_Records = false;
    const TRunRecord& Last() const { return Record; }
    // The last run passed in every socket.
    bool Last_Passed() const { return Passed; }
    bool Every_Chip_Passed() const { return All_Passed; }
    // The runs this station has made.
    int Runs() const { return Made; }
    // The sequence the lot's next run gets (the lot's runs in the records
    // file, by any station, go before it).
    int Next_Sequence() const { return Records.Last_Sequence() + 1; }
    // The lot's recorded runs, this station's and those before it.
    const TLotSummary& Lot() const { return Records.Lot(); }
    std::string Append_Error;
    // With reuse, a failed chip's serial could not be given back (it is
    // lost, never given twice).
    std::string Settle_Error;

    // Socket wear, from the next run on: each run counts one insertion for
    // each socket of the gang (sockets 1 to the gang size) of the adapter
    // the template record names ("sim", "0378"; nothing is counted when it
    // names none), as the run begins.  After each run, with a limit (> 0),
    // Wear_Warnings holds a line per socket past it (more insertions than
    // the limit: on the run that passes it and on every later one until the
    // socket is reset); Wear_Error is set when the counts could not be read
    // or written (the run itself stands).
    void Count_Wear(int socket_limit);
    const TSocketWear& Wear() const { return Wear_Counts; }
    std::vector<std::string> Wear_Warnings;
    std::string Wear_Error;

private:
    TGangSession& Session;
    TAdapter& Adapter;
    const TDeviceType& Type;
    std::vector<TStep> Steps;
    bool Diagnose;
    TRunRecord Template;
    TRecords_File Records;
    TRunRecord Record;
    std::optional<TSerialSettings> Serial_Settings;
    TSerialState Serial_State;
    int Made = 0;
    bool Passed = true;
    bool All_Passed = true;
    bool Counting_Wear = false;
    int Socket_Limit = 0;
    TSocketWear Wear_Counts;
    TLine Line;
    std::function<void()> Line_Unmade;
};

} // namespace gang::session
