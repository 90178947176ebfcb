// IHost without a window: message pumps through the core event loop, asleep
// while a wait lets them (until the timer's tick, a stop signal, which comes
// as an event too, or the time of the wait), the millisecond waits on a
// threaded timer whose ticks run on this thread, the local clock, and
// message boxes kept as texts for the program to print (there is nobody to
// click OK).
#pragma once

#include "session/timed_host.h"

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace gang::cli {

class TCliHost : public session::TTimed_Host {
public:
    // on_tick runs for every timer tick (the link's ThreadedTimer1Timer).
    explicit TCliHost(std::function<void()> on_tick) : TTimed_Host(std::move(on_tick)) {}

private:
    // The boxes' texts are kept (Boxes) for the program to print.
    void Text_Line(const std::string& /*text*/) override {}
};

} // namespace gang::cli
