// Start-up, re-search and close of the window's life cycle, run against the
// simulated adapter with a host that ticks the timer at the next pump.
#include "sim/sim_options.h"
#include "support/sim_rig.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace gang {
namespace {

const char* const Not_Found_Text = "The Tarvik Programmer Can Not\r\nBe Found On LPT1, LPT2 or "
                                   "LPT3.\r\n\r\n..Make Sure Your Power Pack is Plugged In..";
const char* const Speed_Line = "Checking system speed and setting program Pulse....";
constexpr int Gang_Of_One = 1;

// The window before its activation, over an adapter at base.
struct TRig : test::TSimRig {
    explicit TRig(sim::TSimConfig config) : TSimRig(test::Before_Activation, config) {}

    void Choose_27C256_Gang(int gang_index)
    {
        Work.Device_BoxClick(test::Row_Of("27C256"));
        Work.Num_Of_DevicesClick(gang_index);
    }
};

std::string Line(const char* port, const char* expected, const char* found)
{
    return std::string("Port Address - ") + port + " Expected - " + expected + " / Found - " +
           found;
}

std::vector<std::string> Read_Lines(const std::string& path)
{
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string l; std::getline(in, l);)
        lines.push_back(l);
    return lines;
}

std::string Temp_Path(const char* stem)
{
    return std::string("/tmp/") + stem + "_" + std::to_string(::getpid()) + ".txt";
}

// ---- start-up ---------------------------------------------------------------

TEST(LifecycleStartup, AdapterAt378LogsSixLinesAndOpensTheDeviceList)
{
    TRig rig(test::Adapter_At(0x378));
    rig.Life.FormActivate();

    const std::vector<std::string>& log = rig.Form.Memo1.Lines();
    ASSERT_EQ(log.size(), 7u);
    // Nothing answers at 0x278: whatever came back differs from the patterns.
    EXPECT_EQ(log[0].rfind(Line("0278", "A5", ""), 0), 0u);
    EXPECT_NE(log[0], Line("0278", "A5", "A5"));
    EXPECT_EQ(log[1].rfind(Line("0278", "5A", ""), 0), 0u);
    EXPECT_NE(log[1], Line("0278", "5A", "5A"));
    EXPECT_EQ(log[2], Line("0378", "A5", "A5"));
    EXPECT_EQ(log[3], Line("0378", "5A", "5A"));
    EXPECT_EQ(log[4], Line("0378", "A5", "A5"));
    EXPECT_EQ(log[5], Line("0378", "5A", "5A"));
    EXPECT_EQ(log[6], Speed_Line);

    EXPECT_EQ(rig.Form.StaticText3.Tag, 1);
    EXPECT_EQ(rig.Link.DataPort, 0x378);
    EXPECT_EQ(rig.Link.Nibble_Delay, 5);
    EXPECT_GE(rig.Link.Pulse_Unit, 1u);
    EXPECT_EQ(rig.Link.Pulse_Unit, rig.Link.Speed_Count / 750 > 0 ? rig.Link.Speed_Count / 750 : 1);
    EXPECT_TRUE(rig.Host.Infos.empty());
    EXPECT_FALSE(rig.Sim.Touched(0x3BC));

    // Busy and choosing: the device list is the way on.
    EXPECT_TRUE(rig.Form.Form.Enabled());
    EXPECT_FALSE(rig.Form.Memo1.Visible());
    EXPECT_TRUE(rig.Form.Device_Box.Visible());
    EXPECT_FALSE(rig.Form.Program_Eprom.Enabled());
    EXPECT_FALSE(rig.Form.Device.Enabled());
    EXPECT_TRUE(rig.Form.Quit_But.Enabled());
    EXPECT_TRUE(rig.Form.StaticText3.Enabled());

    rig.Choose_27C256_Gang(Gang_Of_One);
    EXPECT_TRUE(rig.Form.Program_Eprom.Enabled());
    EXPECT_TRUE(rig.Form.Blank_Chk.Enabled());
}

TEST(LifecycleStartup, AdapterAt278NeverTouchesTheOtherPorts)
{
    TRig rig(test::Adapter_At(0x278));
    rig.Life.FormActivate();

    const std::vector<std::string>& log = rig.Form.Memo1.Lines();
    ASSERT_EQ(log.size(), 5u);
    EXPECT_EQ(log[0], Line("0278", "A5", "A5"));
    EXPECT_EQ(log[1], Line("0278", "5A", "5A"));
    EXPECT_EQ(log[2], Line("0278", "A5", "A5"));
    EXPECT_EQ(log[3], Line("0278", "5A", "5A"));
    EXPECT_EQ(log[4], Speed_Line);
    for (uint16_t port : {0x378, 0x379, 0x37A, 0x3BC, 0x3BD, 0x3BE})
        EXPECT_FALSE(rig.Sim.Touched(port)) << std::hex << port;
    EXPECT_EQ(rig.Form.StaticText3.Tag, 1);
}

// An add-in card: the simulated system lists the adapter's port D010, which
// the search tries after the three legacy ports.
TEST(LifecycleStartup, AdapterOnACardIsFoundAfterTheLegacyPorts)
{
    const auto options = sim::Parse_Sim_Options({"--base", "D010"});
    ASSERT_TRUE(options.Ok) << options.Error;
    TRig rig(options.Options.Config);
    rig.Life.FormActivate();

    const std::vector<std::string>& log = rig.Form.Memo1.Lines();
    ASSERT_EQ(log.size(), 12u);
    EXPECT_EQ(log[0].rfind(Line("0278", "A5", ""), 0), 0u);
    EXPECT_EQ(log[2].rfind(Line("0378", "A5", ""), 0), 0u);
    EXPECT_EQ(log[4].rfind(Line("03BC", "A5", ""), 0), 0u);
    EXPECT_NE(log[5], Line("03BC", "5A", "5A"));
    EXPECT_EQ(log[6], "Port Address - D010 Listed By The System");
    EXPECT_EQ(log[7], Line("D010", "A5", "A5"));
    EXPECT_EQ(log[8], Line("D010", "5A", "5A"));
    EXPECT_EQ(log[9], Line("D010", "A5", "A5"));
    EXPECT_EQ(log[10], Line("D010", "5A", "5A"));
    EXPECT_EQ(log[11], Speed_Line);
    EXPECT_TRUE(rig.Host.Infos.empty());
    EXPECT_EQ(rig.Link.DataPort, 0xD010);
    EXPECT_TRUE(rig.Sim.Touched(0xD412)); // its ECP register, as on the legacy ports

    rig.Choose_27C256_Gang(Gang_Of_One);
    EXPECT_EQ(rig.Form.StaticText3.Caption(), "The Tarvik Programmer was Found at D010");
    EXPECT_TRUE(rig.Form.Program_Eprom.Enabled());
}

// A port the user named is the only one probed.
TEST(LifecycleStartup, ChosenPortIsTheOnlyOneProbed)
{
    TRig rig(test::Adapter_At(0xD010));
    rig.Link.Chosen_Port = 0xD010;
    rig.Life.FormActivate();
    const std::vector<std::string>& log = rig.Form.Memo1.Lines();
    ASSERT_EQ(log.size(), 5u);
    EXPECT_EQ(log[0], Line("D010", "A5", "A5"));
    EXPECT_EQ(log[3], Line("D010", "5A", "5A"));
    EXPECT_EQ(rig.Form.StaticText3.Tag, 1);
    EXPECT_FALSE(rig.Sim.Touched(0x278));
    EXPECT_FALSE(rig.Sim.Touched(0x378));
    EXPECT_FALSE(rig.Sim.Touched(0x3BC));

    TRig elsewhere(test::Adapter_At(0x378));
    elsewhere.Link.Chosen_Port = 0x278;
    elsewhere.Life.FormActivate();
    EXPECT_EQ(elsewhere.Form.Memo1.Lines().size(), 2u);
    EXPECT_EQ(elsewhere.Form.StaticText3.Tag, 0);
    EXPECT_EQ(elsewhere.Host.Infos, std::vector<std::string>{Not_Found_Text});
    EXPECT_FALSE(elsewhere.Sim.Touched(0x378));
}

TEST(LifecycleStartup, NoAdapterReportsOnceAndLeavesTheDeviceButtonsDisabled)
{
    TRig rig(test::No_Adapter());
    rig.Life.FormActivate();

    EXPECT_EQ(rig.Form.Memo1.Lines().size(), 6u);
    ASSERT_EQ(rig.Host.Infos_At.size(), 1u);
    EXPECT_EQ(rig.Host.Infos_At[0].Text, Not_Found_Text);
    EXPECT_EQ(rig.Host.Infos_At[0].X, 375);
    EXPECT_EQ(rig.Host.Infos_At[0].Y, 175);
    EXPECT_EQ(rig.Form.StaticText3.Tag, 0);
    EXPECT_EQ(rig.Link.Pulse_Unit, 1u);
    EXPECT_EQ(rig.Link.Nibble_Delay, 5);
    EXPECT_TRUE(rig.Form.Device_Box.Visible());

    rig.Choose_27C256_Gang(Gang_Of_One);
    for (TControl* c : {&rig.Form.Program_Eprom, &rig.Form.Verify_Eprom, &rig.Form.Move_Eprom,
                        &rig.Form.Blank_Chk, &rig.Form.Vpp_But})
        EXPECT_FALSE(c->Enabled()) << c->Name;
    for (TControl* c : {&rig.Form.Device, &rig.Form.Load_But, &rig.Form.Save_But,
                        &rig.Form.File_But, &rig.Form.Chk_Sum_But, &rig.Form.Edit})
        EXPECT_TRUE(c->Enabled()) << c->Name;
}

// ---- re-search --------------------------------------------------------------

TEST(LifecycleReSearch, SuccessDisablesTheStatusTextAndLeavesTheBusyState)
{
    TRig rig(test::Adapter_At(0x378));
    rig.Life.FormActivate();
    rig.Life.StaticText3Click();

    // Cleared first, then the search and the speed check wrote their lines.
    EXPECT_EQ(rig.Form.Memo1.Lines().size(), 7u);
    EXPECT_FALSE(rig.Form.Memo1.Visible());
    EXPECT_FALSE(rig.Form.StaticText3.Enabled());
    // The search's own nibble delay stays; the caption is not the search's.
    EXPECT_EQ(rig.Link.Nibble_Delay, 3);
    EXPECT_EQ(rig.Form.StaticText3.Caption(), "Looking For Programmer");
    EXPECT_TRUE(rig.Form.Form.Enabled());
    EXPECT_TRUE(rig.Form.Program_Eprom.Enabled());
    EXPECT_TRUE(rig.Form.Device.Enabled());
}

TEST(LifecycleReSearch, FailureKeepsTheStatusTextClickable)
{
    TRig rig(test::No_Adapter());
    rig.Life.FormActivate();
    rig.Life.StaticText3Click();

    EXPECT_EQ(rig.Form.Memo1.Lines().size(), 6u);
    EXPECT_EQ(rig.Host.Infos.size(), 2u);
    EXPECT_TRUE(rig.Form.StaticText3.Enabled());
    EXPECT_EQ(rig.Link.Pulse_Unit, 1u);
    EXPECT_FALSE(rig.Form.Program_Eprom.Enabled());
    EXPECT_TRUE(rig.Form.Load_But.Enabled());
}

TEST(LifecycleReSearch, StatusTextClickedDuringAProgrammingRunIsIgnored)
{
    // The programming run pumps messages inside its pulses, and the status
    // text stays clickable in the busy state.  A search there would drive the
    // port test into a live gang and reset the run's address and latches.
    TRig rig(test::Adapter_At(0x378));
    rig.Life.FormActivate();
    rig.Work.Device_BoxClick(1); // 2716
    rig.Work.Num_Of_DevicesClick(2);
    rig.Sim.Insert_Chip(1, "2716");
    rig.Sim.Insert_Chip(2, "2716");
    rig.Sim.Set_Fast_Chips(true);
    for (int32_t a = 0; a <= rig.Buffer.End_Of_Eprom; ++a)
        rig.Buffer.Data[static_cast<std::size_t>(a)] = static_cast<uint8_t>(a * 5 + 3);
    const std::size_t log_lines = rig.Form.Memo1.Lines().size();

    const long click_at = rig.Host.Pumps + 300;
    int32_t click_add = -1;
    rig.Host.On_Pump = [&](long pump) {
        if (pump == click_at) {
            click_add = rig.Link.Cur_Add;
            THandlerScope click(rig.Life);
            EXPECT_FALSE(static_cast<bool>(click)); // refused under the run
            if (click)
                rig.Life.StaticText3Click();
            EXPECT_FALSE(rig.Form.Program_Eprom.Enabled()); // still busy
        }
    };
    rig.Handle([&] { rig.Work.Program_EpromClick(); });
    rig.Host.On_Pump = nullptr;

    EXPECT_GT(click_add, 0);
    EXPECT_EQ(rig.Form.Memo1.Lines().size(), log_lines);
    EXPECT_TRUE(rig.Form.StaticText3.Enabled());
    EXPECT_EQ(rig.Form.Quit_Func_But.Caption(), "&Quit = 0800");
    EXPECT_EQ(rig.Form.Device_1.Caption(), "1-Programmed OK ");
    EXPECT_EQ(rig.Form.Device_2.Caption(), "2-Programmed OK ");
    for (int s : {1, 2})
        for (uint32_t a : {0x000u, 0x7FFu})
            EXPECT_EQ(rig.Sim.Chip_Byte(s, a), rig.Buffer.Data[a]) << s << "/" << a;
    EXPECT_EQ(rig.Sim.Overvoltage_Events(), 0u);
    EXPECT_TRUE(rig.Sim.At_Rest());

    // Once the run is over the click searches as ever.
    rig.Life.StaticText3Click();
    EXPECT_FALSE(rig.Form.StaticText3.Enabled());
}

// ---- close ----------------------------------------------------------------

TEST(LifecycleClose, WithoutProgrammerTouchesNoPort)
{
    TRig rig(test::No_Adapter());
    rig.Life.FormActivate();
    const uint64_t before = rig.Sim.Port_Accesses();

    EXPECT_TRUE(rig.Life.FormCloseQuery());
    EXPECT_EQ(rig.Sim.Port_Accesses(), before);
    EXPECT_EQ(rig.Link.Quit_Flag, 5);
    EXPECT_EQ(rig.Link.Wait_Ms, 0);
    EXPECT_EQ(rig.Host.Armed_Interval, -1);
}

TEST(LifecycleClose, WithProgrammerRestsTheLinesThenReleasesAndStaysSilent)
{
    TRig rig(test::Adapter_At(0x378));
    rig.Life.FormActivate();
    const std::string trace = Temp_Path("lifecycle_close");
    rig.Sim.Trace_To(trace);

    EXPECT_TRUE(rig.Life.FormCloseQuery());
    EXPECT_TRUE(rig.Life.Port_Given_Back());
    EXPECT_FALSE(rig.Link.Port_Open);

    // Nothing reaches the port once it has been given back.
    const uint64_t after_release = rig.Sim.Port_Accesses();
    rig.Work.Start_Func();
    rig.Work.End_Func();
    rig.Link.Set_Vpp();
    EXPECT_EQ(rig.Sim.Port_Accesses(), after_release);

    rig.Sim.Trace_To("");
    const std::vector<std::string> lines = Read_Lines(trace);
    std::remove(trace.c_str());
    // The register traffic of the close: the latches reset (voltage off
    // first), the control lines rested (0x00, the 1 ms wait, 0x04); after it
    // only the release's ECP register.
    std::vector<std::string> registers;
    for (const std::string& l : lines)
        if (l.compare(2, 3, "077") != 0)
            registers.push_back(l);
    std::vector<std::string> rest;
    const auto line = [](uint16_t port, int value) {
        char text[16];
        std::snprintf(text, sizeof text, "W %04X %02X", port, value);
        return std::string(text);
    };
    for (const auto& [select, value] :
         {std::pair{0x03, 0x00}, {0x02, 0x7F}, {0x01, 0x62}, {0x0B, 0x20}, {0x09, 0x00}})
        rest.insert(rest.end(), {line(0x378, value), line(0x37A, select), line(0x37A, select | 4),
                                 line(0x37A, select | 4), line(0x37A, select), line(0x37A, 0)});
    rest.insert(rest.end(), {"W 037A 00", "W 037A 04"});
    EXPECT_EQ(registers, rest);
    // A handler asked for after the close does not run.
    EXPECT_FALSE(rig.Life.Begin_Handler());
}

TEST(LifecycleClose, DuringProgrammingIsDeferredThenRestsTheAdapterAndReleasesIt)
{
    TRig rig(test::Adapter_At(0x378));
    rig.Life.FormActivate();
    rig.Choose_27C256_Gang(Gang_Of_One);
    rig.Sim.Insert_Chip(1, "27C256");
    rig.Sim.Set_Fast_Chips(true);

    int closes_asked = 0;
    bool close_answer = true;
    int32_t close_add = -1;
    int ready_calls = 0;
    uint64_t accesses_at_ready = 0;
    bool rest_at_ready = false;
    rig.Life.On_Close_Ready = [&] {
        ++ready_calls;
        accesses_at_ready = rig.Sim.Port_Accesses();
        rest_at_ready = rig.Sim.At_Rest();
    };
    const long close_at = rig.Host.Pumps + 200;
    rig.Host.On_Pump = [&](long pump) {
        // The user closes the window a little way into the run.
        if (pump == close_at) {
            ++closes_asked;
            close_add = rig.Link.Cur_Add;
            close_answer = rig.Life.FormCloseQuery();
            EXPECT_TRUE(rig.Link.Port_Open);
        }
    };
    EXPECT_TRUE(rig.Handle([&] {
        rig.Work.Program_EpromClick();
        EXPECT_EQ(ready_calls, 0);
    }));
    rig.Host.On_Pump = nullptr;

    EXPECT_EQ(closes_asked, 1);
    EXPECT_FALSE(close_answer);
    // The run ended with the address in hand (the Buffer's 00 went into the
    // chip there), long before the end of the 32 KiB range.
    ASSERT_GE(close_add, 0);
    ASSERT_LT(close_add, 0x7FFF);
    EXPECT_EQ(rig.Sim.Chip_Byte(1, static_cast<uint32_t>(close_add)), 0x00);
    EXPECT_EQ(rig.Sim.Chip_Byte(1, static_cast<uint32_t>(close_add + 1)), 0xFF);
    EXPECT_EQ(ready_calls, 1);
    EXPECT_TRUE(rig.Life.Port_Given_Back());
    EXPECT_FALSE(rig.Link.Port_Open);
    // No programming voltage or strobe was left on the chip, and nothing
    // reached the port after the release.
    EXPECT_TRUE(rest_at_ready);
    EXPECT_EQ(rig.Sim.Bus_Conflicts(), 0u);
    EXPECT_EQ(rig.Sim.Overvoltage_Events(), 0u);
    EXPECT_EQ(rig.Sim.Port_Accesses(), accesses_at_ready);
    // A second close request is answered at once and touches nothing.
    EXPECT_TRUE(rig.Life.FormCloseQuery());
    EXPECT_EQ(rig.Sim.Port_Accesses(), accesses_at_ready);
}

} // namespace
} // namespace gang
