// The scripted window of the link, device and life-cycle tests.  Every
// ProcessMessages is one message pump: it advances a simulated clock, logs
// itself into the recording port when there is one, delivers an armed timer
// tick after a set number of pumps, then runs the test's own step (a click,
// a stop or a close request arriving mid-operation).  Dialogs are recorded.
//
// The clock is never the real one, so that a loaded machine cannot change
// the pump counts and pulse widths the tests assert on.
#pragma once

#include "link/host.h"
#include "link/link.h"

#include <functional>
#include <string>
#include <vector>

namespace gang::test {

class TRecordingPort;

class TScriptedHost : public IHost {
public:
    TLink* Link = nullptr;          // timer ticks go to its ThreadedTimer1Timer
    std::function<void()> On_Tick;  // or here, for a link the host cannot see
    TRecordingPort* Port = nullptr; // when set, every pump is logged there

    long Pumps = 0;
    std::function<void(long pump)> On_Pump; // runs inside each pump

    // The tick comes at the Tick_After_Pumps-th pump after the arming.
    long Tick_After_Pumps = 1;
    int Armed_Interval = -1; // interval of the pending arming, -1 when idle
    long Pumps_Since_Arm = 0;
    std::vector<int> Armings;

    // A pump lasts just under one pulse unit (1333.3 us), so a pulse of w
    // units spans w + 1 pumps (for w up to 570).
    int64_t Us_Per_Pump = 1331;
    int64_t Clock_Us = 0;

    // Seconds field: the script, then its last value repeated.  Without a
    // script it moves on every 40 reads, so that a speed check ends quickly.
    std::vector<int> Seconds;
    size_t Seconds_Read = 0;

    struct TAt {
        std::string Text;
        int X, Y;
    };
    std::vector<std::string> Infos; // every information box, placed or not
    std::vector<TAt> Infos_At;      // the placed ones, with their position
    std::vector<std::string> Errors;

    void ProcessMessages() override;
    // Notes the time asked for, then one ProcessMessages: the scripted host
    // never sleeps, so a pump is a pump whether or not it could have slept.
    void ProcessMessages_Until(int64_t until_us) override;
    // With Note_Sleeps, the time-out of every pump that could sleep, in
    // order (-1 for a pump that could not); Pumps counts both.
    bool Note_Sleeps = false;
    std::vector<int64_t> Sleeps_Until;
    void ArmTimer(int interval_ms) override;
    void DisarmTimer() override { Armed_Interval = -1; }
    int SecondsOfDay() override;
    int64_t Monotonic_Us() override { return Clock_Us; }
    void ShowInfo(const std::string& text) override { Infos.push_back(text); }
    void ShowInfoAt(const std::string& text, int x, int y) override
    {
        Infos.push_back(text);
        Infos_At.push_back({text, x, y});
    }
    void ShowError(const std::string& text) override { Errors.push_back(text); }

private:
    void Pump(); // one message pump, either kind
};

} // namespace gang::test
