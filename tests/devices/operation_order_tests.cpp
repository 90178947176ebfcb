// What each gang operation shows, and in which order it enables the stop
// button, shows its operation line, configures the adapter and writes the
// socket texts.  The order matters: the stop button must not come alive
// before the not-found test of the blank check, the operation line names
// the operation while its loop runs, and a socket reads OK only once the
// operation has ended for it.
#include "support/sim_rig.h"

#include <gtest/gtest.h>

namespace gang::test {
namespace {

// The window's changes from Start_Func on, with "port" wherever the adapter
// was driven in between, up to the socket's result or the move's status.
std::vector<std::string> Steps_Of(void (TDeviceWork::*operation)())
{
    TSimRig rig;
    rig.Select("2716", 2);
    std::vector<std::string> steps;
    bool started = false;
    bool done = false;
    uint64_t accesses = 0;
    auto note = [&](const std::string& step) {
        if (done || (!started && step != "stop button off"))
            return;
        if (started && rig.Sim.Port_Accesses() != accesses)
            steps.push_back("port");
        started = true;
        accesses = rig.Sim.Port_Accesses();
        steps.push_back(step);
    };
    bool stop_enabled = rig.Form.Quit_Func_But.Enabled();
    rig.Form.Quit_Func_But.OnChange = [&](const TControl& c) {
        if (c.Enabled() != stop_enabled) // not the counter caption
            note(c.Enabled() ? "stop button on" : "stop button off");
        stop_enabled = c.Enabled();
    };
    rig.Form.StaticText2.OnChange = [&](const TControl& c) {
        if (c.Visible())
            note("line " + c.Caption());
    };
    rig.Form.Device_1.OnChange = [&](const TControl& c) {
        note("socket " + c.Caption());
        // "1-Programming...." while it works, its result once it ended.
        const std::string caption = c.Caption();
        done = started && caption.substr(caption.size() - 4) != "....";
    };
    rig.Form.StaticText3.OnChange = [&](const TControl& c) {
        note("status " + c.Caption());
        done = started;
    };
    (rig.Work.*operation)();
    return steps;
}

TEST(OperationOrder, EachOperationShowsItsLineAndStartsInItsOwnOrder)
{
    using V = std::vector<std::string>;
    EXPECT_EQ(
        Steps_Of(&TDeviceWork::Blank_ChkClick),
        (V{"stop button off", "stop button on", "line Checking to see if Device is erased....",
           "socket 1- Checking....", "port", "socket 1- Is Blank      "}));
    EXPECT_EQ(Steps_Of(&TDeviceWork::Verify_EpromClick),
              (V{"stop button off", "stop button on", "line Verifying Device to Buffer....",
                 "socket 1- Verifying....", "port", "socket 1-Didn't Verify"}));
    EXPECT_EQ(Steps_Of(&TDeviceWork::Program_EpromClick),
              (V{"stop button off", "line Programming Device from Buffer....", "stop button on",
                 "socket 1-Programming....", "port", "socket 1-Programmed OK "}));
    EXPECT_EQ(Steps_Of(&TDeviceWork::Move_EpromClick),
              (V{"stop button off", "stop button on", "line Moving Device #1 to Buffer....", "port",
                 "status Device #1 Has Been Moved to Buffer...."}));
}

} // namespace
} // namespace gang::test
