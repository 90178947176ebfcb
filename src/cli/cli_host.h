// IHost without a window: message pumps through the core event loop (asleep
// until the next event while a millisecond wait runs), the millisecond waits
// on a threaded timer whose ticks run on this thread, the
// local clock, and message boxes kept as texts for the program to print
// (there is nobody to click OK).
#pragma once

#include "link/host.h"
#include "platform/thread_priority.h"
#include "timer/threaded_timer.h"

#include <functional>
#include <string>
#include <vector>

namespace gang::cli {

class TCliHost : public IHost {
public:
    // on_tick runs for every timer tick (the link's ThreadedTimer1Timer).
    explicit TCliHost(std::function<void()> on_tick);

    void ProcessMessages() override;
    void ArmTimer(int interval_ms) override;
    void DisarmTimer() override;
    // This thread at the highest priority the system grants, for a run.
    void Raise_Run_Priority() override { Run_Priority.Raise(); }
    void Restore_Run_Priority() override { Run_Priority.Restore(); }
    void ShowInfo(const std::string& text) override;
    void ShowInfoAt(const std::string& text, int x, int y) override;
    void ShowError(const std::string& text) override;

    // Every box's text, in order, with CR LF turned into LF.
    std::vector<std::string> Messages;

private:
    void Keep(const std::string& text);

    TThreadedTimer Timer;
    TNestedRunPriority Run_Priority;
};

} // namespace gang::cli
