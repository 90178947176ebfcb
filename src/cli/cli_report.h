// What the link and the device work tell the user, as a command line shows
// it: the counter and the sockets' results feed the progress line, the
// search's log lines are kept for detect.
//
// The counter also pumps the event loop once: the blank check, verify and
// read loops pump no messages of their own, and a stop signal (delivered as
// an event) must reach them after the address in hand.  Nothing but the
// stop and the timer's tick runs there: the command line has no other
// handler.
#pragma once

#include "cli/progress.h"
#include "link/report.h"
#include "session/gang_run.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace gang::cli {

class TCliReport : public IReport {
public:
    explicit TCliReport(TProgress& progress);

    void Counter(int32_t address) override;
    // The window's texts only: a run's results are read from its record.
    void Socket_Text(int /*socket*/, const std::string& /*text*/) override {}
    void Socket_Failed(int socket, const TSocket_Result& result) override;
    void Operation(const std::string& line) override;
    void Log_Line(const std::string& line) override;

    std::vector<std::string> Log;

    // Whether socket k (1..gang) has failed, read from the session's gang
    // state, for the progress line.
    std::function<bool(int socket)> Failed;
    int Gang = 1;

private:
    std::vector<bool> Failed_Flags() const;
    TProgress& Progress;
    int32_t Address = 0;
};

} // namespace gang::cli
