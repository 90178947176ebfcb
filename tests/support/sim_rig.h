// A whole program around the simulated adapter: form, Buffer, scripted host,
// link, device work and the window's life cycle.  The link and the work
// report into the form model as the window does, or into any other report
// given (a front end without a window).
#pragma once

#include "device_type.h"
#include "devices/catalogue.h"
#include "devices/device_rules.h"
#include "devices/device_work.h"
#include "scripted_host.h"
#include "session/adapter.h"
#include "sim/sim_adapter.h"
#include "sim_config.h"
#include "ui/core/form_report.h"
#include "ui/core/lifecycle.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace gang::test {

// A front end without a window: records what the link and the work report.
struct TRecordedReport : IReport {
    std::vector<int32_t> Counters;
    std::vector<std::string> Operations;
    std::map<int, std::string> Texts;       // socket -> last start text
    std::map<int, TSocket_Result> Failures; // socket -> its failure
    int Window_Disabled = 0;

    void Counter(int32_t address) override { Counters.push_back(address); }
    void Socket_Text(int socket, const std::string& text) override { Texts[socket] = text; }
    void Socket_Failed(int socket, const TSocket_Result& result) override
    {
        Failures[socket] = result;
    }
    void Operation(const std::string& line) override
    {
        Operations.push_back(line);
        Failures.clear();
    }
    void Log_Line(const std::string&) override {}
    void Window_Enabled(bool enabled) override { Window_Disabled += enabled ? 0 : 1; }
};

// The rig as the window is before its activation: nothing searched yet.
struct TBefore_Activation {};
inline constexpr TBefore_Activation Before_Activation{};

struct TSimRig {
    sim::TSimAdapter Sim;
    TFormModel Form;
    TFormReport Form_Report{Form};
    IReport& Report;
    TSelection Sel;
    TBuffer Buffer;
    TScriptedHost Host;
    TLink Link{Sim, Host, Report, Sel, Buffer};
    TDeviceWork Work{Link};
    TLifecycle Life{Form, Link, Work, Host};

    TSimRig(TBefore_Activation, sim::TSimConfig config, IReport* report = nullptr)
        : Sim(config), Report(report != nullptr ? *report : Form_Report)
    {
        Host.Link = &Link;
        Sim.Set_Clock([this] { return static_cast<double>(Host.Clock_Us); });
    }

    // The programmer found and the window started, with a fixed pulse unit in
    // place of the speed check.  fast: chips take any valid pulse or write
    // cycle at once.  report: nullptr for the window's report into Form.
    explicit TSimRig(bool fast = true, uint32_t pulse_unit = 1, sim::TSimConfig config = {},
                     IReport* report = nullptr)
        : TSimRig(Before_Activation, config, report)
    {
        Sim.Set_Fast_Chips(fast);
        session::Search(Link, std::nullopt, false);
        Link.Pulse_Unit = pulse_unit;
        Link.Set_Vpp();
        Work.Start_Func();
        Host.Infos.clear();
        Host.Infos_At.clear();
    }

    // A window handler: it runs only when the life cycle lets it start.
    template <typename F> bool Handle(F handler)
    {
        THandlerScope scope(Life);
        if (scope)
            handler();
        return static_cast<bool>(scope);
    }

    // The user's selection: type row, then gang size; fresh blank chips of
    // that type in the gang's sockets.
    void Select(const std::string& type_name, int gang, sim::TFault socket_fault = {},
                int fault_socket = 0)
    {
        // As the window's clicks make it: the Device button, the type's
        // row, the gang size.
        Work.DeviceClick();
        Work.Device_BoxClick(Type_Named(type_name).Row);
        Work.Num_Of_DevicesClick(gang);
        for (int s = 1; s <= gang; ++s)
            Sim.Insert_Chip(s, type_name, s == fault_socket ? socket_fault : sim::TFault{});
    }

    // Random data over the device range (fixed seed), about one byte in
    // sixteen left erased.
    void Fill_Random(uint32_t seed = 7)
    {
        std::mt19937 rng(seed);
        for (int32_t a = 0; a <= Buffer.End_Of_Eprom; ++a) {
            const uint32_t r = rng();
            Buffer.Data[static_cast<std::size_t>(a)] =
                (r & 0xF00) == 0 ? 0xFF : static_cast<uint8_t>(r & 0xFF);
        }
    }

    // Every strobe the chips saw lasted one of the algorithm's pulse widths
    // (2 to 512 units of 1/750 s, ended at the first pump that reached it),
    // or for the EEPROM write strobes no pump at all.
    void Expect_Algorithm_Pulse_Widths()
    {
        constexpr double Unit_Us = 1e6 / 750.0;
        for (const sim::TStrobeEvent& e : Sim.Strobes()) {
            bool ok = e.Width_Us < static_cast<double>(Host.Us_Per_Pump) / 2;
            if (const TFamily* f = Family_Row(Sel.Family); f != nullptr && f->Uv_Eprom) {
                ok = false;
                for (int w = 2; w <= 512; w *= 2)
                    ok = ok ||
                         (e.Width_Us >= w * Unit_Us - 1e-3 &&
                          e.Width_Us < w * Unit_Us + static_cast<double>(Host.Us_Per_Pump) + 1e-3);
            }
            EXPECT_TRUE(ok) << "socket " << e.Socket << " address " << e.Address << " width "
                            << e.Width_Us << " us";
            if (!ok)
                return;
        }
    }

    // A passing run leaves no trace of harm and the adapter at rest.
    void Expect_Clean_Run()
    {
        EXPECT_EQ(Sim.Bus_Conflicts(), 0u);
        EXPECT_EQ(Sim.Overvoltage_Events(), 0u);
        EXPECT_EQ(Sim.Slow_Unlock_Events(), 0u);
        EXPECT_TRUE(Sim.At_Rest());
        Expect_Algorithm_Pulse_Widths();
    }

    std::string Socket_Text(int s) { return Form.Socket_Text(s).Caption(); }
    std::string Counter() { return Form.Quit_Func_But.Caption(); }
};

} // namespace gang::test
