// The operator window's host and report: what the link and the device work
// need from a window that only runs a job.  Message pumps through Qt's event
// loop (user input held during an EEPROM page, as the main window holds it),
// the millisecond waits on a threaded timer whose ticks reach the session,
// and no box at all: an information or error text goes to the window's
// status line, where the operator reads it without a click.
#pragma once

#include "link/report.h"
#include "session/gang_run.h"
#include "session/timed_host.h"

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace gang {

class TStation_Host : public session::TTimed_Host {
public:
    // on_tick runs for every timer tick (TGangSession::Timer_Tick); on_text
    // for every box's text.
    TStation_Host(std::function<void()> on_tick, std::function<void(const std::string&)> on_text)
        : TTimed_Host(std::move(on_tick)), On_Text(std::move(on_text))
    {
    }

private:
    void Text_Line(const std::string& text) override
    {
        if (On_Text)
            On_Text(text);
    }

    std::function<void(const std::string&)> On_Text;
};

// What the link and the work report, for the operator window: the counter
// (the progress bar; it pumps messages once, so that Stop and Esc reach the
// blank check, verify and read loops, which pump none of their own), a
// socket that drops out, the status line and the search's log.
class TStation_Report : public IReport {
public:
    void Counter(int32_t address) override;
    // The window's texts only: a run's results are read from its record.
    void Socket_Text(int /*socket*/, const std::string& /*text*/) override {}
    void Socket_Failed(int socket, const TSocket_Result& result) override;
    void Operation(const std::string& /*line*/) override {}
    void Log_Line(const std::string& line) override { Log.push_back(line); }
    void Window_Enabled(bool enabled) override;
    void Status(const std::string& text) override;

    std::vector<std::string> Log;

    std::function<void(int32_t address)> On_Counter;
    std::function<void(int socket, const TSocket_Result& result)> On_Socket_Failed;
    std::function<void(const std::string& text)> On_Status;
    std::function<void(bool enabled)> On_Window_Enabled;
    // The pump of the counter (the host's).
    std::function<void()> Pump;
};

} // namespace gang
