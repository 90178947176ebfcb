// A scripted window for the device tests: every ProcessMessages is one pump
// that advances a fake clock, delivers an armed timer tick, and can inject a
// stop request or a window close after a given number of pumps.  Message
// boxes and other texts are recorded.
#pragma once

#include "link/host.h"
#include "link/link.h"

#include <functional>
#include <string>
#include <vector>

namespace gang::test {

class TFakeHost : public IHost {
public:
    TLink* Link = nullptr; // set once the link exists

    // Fake clock, advanced by Us_Per_Pump on every pump; the only clock the
    // link sees.
    double Now_Us = 0.0;
    // Just under one pulse unit (1333.3 us): a pulse of w units spans w + 1
    // pumps (for w up to 570).
    double Us_Per_Pump = 1331.0;

    long Pumps = 0;
    long Stop_At_Pump = -1;  // Quit_Flag := 5 at this pump (stop button)
    long Close_At_Pump = -1; // the window's close request at this pump
    // Called with the port released by the close request.
    std::function<void()> On_Port_Released;
    bool Closed = false;
    // Cur_Add when the stop or close request arrived.
    int32_t Request_Add = -1;

    bool Timer_Armed = false;
    std::vector<std::string> Infos;
    std::vector<std::string> Log;

    void ProcessMessages() override
    {
        ++Pumps;
        Now_Us += Us_Per_Pump;
        if (Timer_Armed && Link != nullptr) {
            Timer_Armed = false;
            Link->ThreadedTimer1Timer();
        }
        if (Pumps == Stop_At_Pump && Link != nullptr) {
            Request_Add = Link->Cur_Add;
            Link->Quit_Flag = 5;
        }
        if (Pumps == Close_At_Pump && Link != nullptr && !Closed)
            Close_Window();
    }

    // The main window's close query, run from inside a pump as a real close
    // request would be.
    void Close_Window()
    {
        Closed = true;
        Request_Add = Link->Cur_Add;
        Link->Shutting_Down = true;
        Link->Quit_Flag = 5;
        Link->Wait_Ms = 0;
        DisarmTimer();
        ProcessMessages();
        if (Link->Found()) {
            Link->Bus_Rest();
            Link->Port_Release();
            if (On_Port_Released)
                On_Port_Released();
        }
    }

    void ArmTimer(int) override { Timer_Armed = true; }
    void DisarmTimer() override { Timer_Armed = false; }
    int SecondsOfDay() override { return static_cast<int>(Now_Us / 1e6) % 60; }
    // The pulse limit reads this clock: the real one would let a busy machine
    // cut pulses short and make the width checks depend on the load.
    int64_t Monotonic_Us() override { return static_cast<int64_t>(Now_Us); }
    void ShowInfo(const std::string& text) override { Infos.push_back(text); }
    void ShowInfoAt(const std::string& text, int, int) override { Infos.push_back(text); }
    void ShowError(const std::string& text) override { Infos.push_back(text); }
};

} // namespace gang::test
