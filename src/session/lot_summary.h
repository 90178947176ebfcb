// The yield of a lot, counted from run records: runs, chips, passed, the
// failures by kind, the yield, the time, and the failing addresses that come
// back (a stuck line on one socket fails at the same address run after run).
// The production station counts its own runs with it, and the summary
// command counts a report file read back.
#pragma once

#include <QJsonObject>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace gang::session {

struct TLotTally {
    std::string Lot;
    std::string Type;
    int Runs = 0;
    int Stopped_Runs = 0; // their chips are not counted
    int Chips = 0;
    int Passed = 0;
    std::map<std::string, int> Failed_By_Kind; // "Not Programmed" -> count
    double Seconds = 0;
    std::map<std::string, int> Failing_Addresses;         // "0100" -> count
    std::map<std::string, std::set<int>> Failing_Sockets; // "0100" -> {2}
    std::vector<uint64_t> Serials;                        // of the chips that passed
    int Last_Sequence = 0;                                // the highest run sequence seen
};

class TLotSummary {
public:
    // One record (a parsed report line); records of other lots than the
    // one asked for are passed over.
    void Add(const QJsonObject& record);
    // Per lot and type, in the order first seen.
    const std::vector<TLotTally>& Tallies() const { return Lots; }
    std::string Only_Lot; // "" counts every lot

private:
    std::vector<TLotTally> Lots;
};

// "lot L2412: 18 of 20 chips passed (90.0 %), 4 runs"
std::string Tally_Line(const TLotTally& tally);
// The whole summary of one lot and type, a line per figure.
std::string Summary_Text(const TLotTally& tally);

// The longest line of a records file that is read: a run's record is a few
// KiB; a longer line is no record, and is not held whole in memory.
constexpr std::size_t Max_Record_Line = std::size_t{1024} * 1024;

// Cuts bytes into lines at each line end, as they come in blocks; a line
// longer than Max_Record_Line is handed on empty, as too long.
class TLine_Splitter {
public:
    template <typename F> void Feed(const char* data, std::size_t size, F&& on_line)
    {
        for (std::size_t i = 0; i < size; ++i) {
            if (data[i] != '\n') {
                if (Line.size() < Max_Record_Line)
                    Line.push_back(data[i]);
                else
                    Too_Long = true;
                continue;
            }
            on_line(Too_Long ? std::string() : Line, Too_Long);
            Line.clear();
            Too_Long = false;
        }
    }
    // The last line, when the bytes did not end with a line end.
    bool Pending() const { return !Line.empty() || Too_Long; }
    template <typename F> void Finish(F&& on_line)
    {
        if (Pending())
            on_line(Too_Long ? std::string() : Line, Too_Long);
        Line.clear();
        Too_Long = false;
    }

private:
    std::string Line;
    bool Too_Long = false;
};

// What a line of a records file is: blank, an event (such as a socket's
// wear count reset, passed over), a run (added to the summary), or none of
// them.
enum class TRecord_Line { Blank, Event, Run, Unreadable };
TRecord_Line Take_Record_Line(const std::string& line, TLotSummary& summary);

// Every line of a records file, in order, to take (too_long: cut at the
// line limit), read in blocks without waiting: a FIFO, a device or a folder
// is refused unread.  False with the system's reason in error.
bool Read_Record_Lines(const std::string& path,
                       const std::function<void(const std::string& line, bool too_long)>& take,
                       std::string& error);

// Every record of a report file into the summary; the numbers of the lines
// that are no record go to unreadable (an event line, such as a socket's
// wear count reset, is passed over).  False (error set) when the file
// cannot be read (a FIFO, a device or a folder is refused unread).
bool Read_Records(const std::string& path, TLotSummary& summary, std::vector<int>& unreadable,
                  std::string& error);

} // namespace gang::session
