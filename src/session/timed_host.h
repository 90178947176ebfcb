// The host of a front end that shows no message box: message pumps through
// the thread's event loop, asleep while a wait lets them (TEvent_Wait), the
// millisecond waits on a threaded timer whose ticks reach the session
// (TGangSession::Timer_Tick), the run priority, and every box's text handed
// on as a line (carriage returns removed) for the front end to print or
// show.  The command line and the operator window derive their hosts from
// it.
#pragma once

#include "link/host.h"
#include "platform/run_waits.h"
#include "timer/threaded_timer.h"

#include <functional>
#include <string>
#include <vector>

namespace gang::session {

class TTimed_Host : public IHost {
public:
    // on_tick runs for every timer tick.
    explicit TTimed_Host(std::function<void()> on_tick);
    ~TTimed_Host() override;
    TTimed_Host(const TTimed_Host&) = delete;
    TTimed_Host& operator=(const TTimed_Host&) = delete;

    void ProcessMessages() override;
    void ProcessMessages_Until(int64_t until_us) override;
    void ArmTimer(int interval_ms) override;
    void DisarmTimer() override;
    // This thread at the highest priority the system grants, for a run.
    void Raise_Run_Priority() override { Waits.Raise_Priority(); }
    void Restore_Run_Priority() override { Waits.Restore_Priority(); }
    void ShowInfo(const std::string& text) override { Box(text); }
    void ShowInfoAt(const std::string& text, int, int) override { Box(text); }
    void ShowError(const std::string& text) override { Box(text); }

    // Every box's text since it was last cleared, as a line.
    std::vector<std::string> Boxes;

    // While held, message pumps leave mouse and key input queued.
    void Hold_User_Input(bool hold) { Waits.Hold_User_Input(hold); }

protected:
    // A box's text, carriage returns removed.
    virtual void Text_Line(const std::string& text) = 0;

private:
    static std::string Line_Of(const std::string& text);
    void Box(const std::string& text)
    {
        Boxes.push_back(Line_Of(text));
        Text_Line(Boxes.back());
    }

    TThreadedTimer Timer;
    TRun_Waits Waits;
};

} // namespace gang::session
