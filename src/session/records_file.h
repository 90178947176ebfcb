// The records file of a station or a program run: the file every chip is
// recorded in, checked before the first chip and written after each run.
// Records first: a run whose record could not be written is not counted,
// and no further run is taken until the file takes records again.  Several
// programs may append to one file (two windows on one job): each record is
// appended under the file's lock, after the lines the others appended, and
// a lot's run sequence goes on from the highest of the lot in the file.
#pragma once

#include "session/lot_summary.h"
#include "session/run_record.h"

#include <cstdint>
#include <string>

namespace gang {
class TLine_File;
}

namespace gang::session {

// A records file must have this much room free before a run (a run's
// record is a few KiB; a full disk is refused before the chips, not after).
constexpr int64_t Min_Records_Room = int64_t{64} * 1024;

class TRecords_File {
public:
    // path: "" records nothing (every call succeeds); lot: the runs counted
    // and continued ("" for a run outside a lot).
    TRecords_File(std::string path, std::string lot);

    // Opens the file for appending and checks it: a regular file (a FIFO, a
    // device or a folder is refused without waiting), writable, with room
    // on its disk, its last line ended (a line end added when it is torn);
    // then reads the lot's runs in it.  False with the error text, which
    // names the file.
    bool Open(std::string& error);
    // The same checks again before a run's chips.
    bool Check(std::string& error);
    // Appends the run's record as one line (one write, on the disk before
    // it returns), after any line the others appended; with a lot, the
    // record gets the lot's next sequence.  False with the error text
    // (naming the file): nothing is recorded and nothing counted.
    bool Append(TRunRecord& record, std::string& error);

    // The lot's runs in the file: the ones before this program's and its
    // own, and the others' read so far.
    const TLotSummary& Lot() const { return Summary; }
    // The highest sequence of the lot in the file.
    int Last_Sequence() const;

private:
    // The lines appended since the last look read into the summary (the
    // file locked).
    void Catch_Up(TLine_File& file);
    std::string Path_;
    std::string Lot_Name;
    TLotSummary Summary;
    int64_t Offset = 0; // the bytes read so far (whole lines)
    uint64_t Identity = 0;
    int Own_Sequence = 0;
};

} // namespace gang::session
