// The progress display of a run on stderr.  On a terminal one line is
// rewritten in place, at most ten times a second; elsewhere (a log file, a
// pipe) a line is written at every tenth of the range; quiet prints nothing.
//
//   program  1A00/7FFF  20%  0:03 left 0:12  1 ok  2 failed  3 ok
#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace gang::cli {

enum class TProgressMode { Terminal, Lines, Quiet };

// The line for one moment: operation, address in hand / end, percent,
// elapsed and estimated time left, and each socket's state (failed[s - 1]).
// address is end + 1 once the range is done: "1FFF/1FFF  100%".
std::string Progress_Line(const std::string& operation, int32_t address, int32_t end,
                          double elapsed_s, const std::vector<bool>& failed);

class TProgress {
public:
    TProgress(TProgressMode mode, std::FILE* out);

    void Begin(const std::string& operation, int32_t end, int gang);
    // Called whenever the counter or a socket's state changes.
    void Update(int32_t address, const std::vector<bool>& failed);
    // The last state once more (terminal: then a line end).  complete: the
    // step went through its whole range (a stop did not cut it), which the
    // line then shows as 100 %, whatever the counter last said.
    void Finish(bool complete = false);

private:
    using TClock = std::chrono::steady_clock;
    void Show(bool final);
    double Elapsed() const;

    TProgressMode Mode;
    std::FILE* Out;
    std::string Operation;
    int32_t End = 0;
    int32_t Address = 0;
    std::vector<bool> Failed;
    TClock::time_point Started;
    TClock::time_point Last_Shown;
    int Tenths_Shown = -1;
    int32_t Address_Shown = -1;
    bool Active = false;
};

} // namespace gang::cli
