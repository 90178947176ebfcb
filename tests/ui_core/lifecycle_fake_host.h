// A host for the widget-free life-cycle tests: the timer ticks at the first
// message pump after it is armed, the clock's seconds advance every few
// reads, the microsecond clock advances with the pumps, texts go into the form model, and dialogs
// are recorded.
#pragma once

#include "core/form_model.h"
#include "link/host.h"
#include "link/link.h"

#include <functional>
#include <string>
#include <vector>

namespace gang::test {

class TLifecycleHost : public IHost {
public:
    explicit TLifecycleHost(TFormModel& form) : Form(form) {}

    void ProcessMessages() override
    {
        ++Pumps;
        Clock_Us += Us_Per_Pump;
        if (Armed && Link) {
            Armed = false;
            Link->ThreadedTimer1Timer();
        }
        if (On_Pump)
            On_Pump();
    }
    void ArmTimer(int) override { Armed = true; }
    void DisarmTimer() override { Armed = false; }
    // The seconds field moves on every 40 reads: a speed check ends quickly.
    int SecondsOfDay() override { return static_cast<int>((Clock_Reads++ / 40) % 60); }
    // A pump-driven clock for the pulse limit, so that a loaded machine
    // cannot cut pulses short.
    int64_t Monotonic_Us() override { return Clock_Us; }
    void ShowInfo(const std::string& text) override { Infos.push_back(text); }
    void ShowInfoAt(const std::string& text, int x, int y) override
    {
        Infos.push_back(text);
        Info_X = x;
        Info_Y = y;
    }
    void ShowError(const std::string& text) override { Errors.push_back(text); }

    TFormModel& Form;
    TLink* Link = nullptr;
    bool Armed = false;
    long Pumps = 0;
    long Clock_Reads = 0;
    int64_t Clock_Us = 0;
    // Just under one pulse unit (1333.3 us): a pulse of w units spans w + 1
    // pumps.
    int64_t Us_Per_Pump = 1331;
    std::vector<std::string> Infos;
    std::vector<std::string> Errors;
    int Info_X = -1;
    int Info_Y = -1;
    // Runs inside every message pump (a click arriving mid-operation).
    std::function<void()> On_Pump;
};

} // namespace gang::test
