// What the link and the device work tell the user, as a command line shows
// it: the counter and the sockets' states feed the progress line, each
// socket's text and first failing address are kept for the results and the
// run record, the search's log lines are kept for detect.
//
// The counter also pumps the event loop once: the blank check, verify and
// read loops pump no messages of their own, and a stop signal (delivered as
// an event) must reach them after the address in hand.  Nothing but the
// stop and the timer's tick runs there: the command line has no other
// handler.
#pragma once

#include "cli/progress.h"
#include "link/report.h"

#include <cstdint>
#include <string>
#include <vector>

namespace gang::cli {

struct TSocketState {
    std::string Text;      // the window's text, trailing blanks removed
    TSocket_Result Result; // the first failure in any step of the run
    bool Failed() const { return Result.Failed(); }
};

class TCliReport : public IReport {
public:
    explicit TCliReport(TProgress& progress);

    void Counter(int32_t address) override;
    void Socket_Text(int socket, const std::string& text) override;
    void Socket_Failed(int socket, const TSocket_Result& result) override;
    void Operation(const std::string& line) override;
    void Log_Line(const std::string& line) override;

    // Index 1..5.
    TSocketState Sockets[6];
    std::vector<std::string> Log;

    // The gang's failed flags, for the progress line.
    std::vector<bool> Failed_Flags() const;
    int Gang = 1;

private:
    TProgress& Progress;
    int32_t Address = 0;
};

} // namespace gang::cli
