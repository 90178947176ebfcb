// Millisecond waits, the rest of the control lines, the speed check and the
// pulse widths, driven through the fake host.
#include "support/recording_port.h"

#include <gtest/gtest.h>

namespace gang::test {
namespace {

TEST(TimerWait, ArmsWithLow16BitsAndPumpsUntilTheTick)
{
    TPortRig rig;
    rig.Host.Tick_After_Pumps = 4;
    rig.Link.Wait_Ms = 300;
    rig.Link.Timer_Wait();
    EXPECT_EQ(rig.Host.Armings, std::vector<int>{300});
    EXPECT_EQ(rig.Host.Pumps, 4);
    EXPECT_EQ(rig.Link.Wait_Ms, 0);
    EXPECT_EQ(rig.Host.Armed_Interval, -1) << "the tick disarms the timer";

    rig.Link.Wait_Ms = 0x10000 + 10;
    rig.Link.Timer_Wait();
    EXPECT_EQ(rig.Host.Armings.back(), 10);
}

TEST(TimerWait, ACloseDuringTheWaitEndsIt)
{
    TPortRig rig;
    rig.Host.Tick_After_Pumps = 1000000; // the tick would come much later
    rig.Host.On_Pump = [&](long pump) {
        if (pump == 3) { // the close query, nested in the wait's pump
            rig.Link.Quit_Flag = 5;
            rig.Link.Wait_Ms = 0;
            rig.Host.DisarmTimer();
        }
    };
    rig.Link.Wait_Ms = 300;
    rig.Link.Timer_Wait();
    EXPECT_EQ(rig.Host.Pumps, 3);
}

TEST(TimerWait, SleepsUntilTheTickComes)
{
    // The tick and a close both come as messages: every pump of the wait
    // may sleep until the next one, with no time of its own.
    TPortRig rig;
    rig.Host.Note_Sleeps = true;
    rig.Host.Tick_After_Pumps = 3;
    rig.Link.Wait_Ms = 10;
    rig.Link.Timer_Wait();
    EXPECT_EQ(rig.Host.Sleeps_Until, std::vector<int64_t>(3, IHost::Until_Next_Message));
}

TEST(TimerWait, IntervalZeroDoesNotHang)
{
    TPortRig rig;
    rig.Host.Tick_After_Pumps = 1000000;
    rig.Link.Wait_Ms = 0x10000; // low 16 bits 0: such a timer never ticks
    rig.Link.Timer_Wait();
    EXPECT_TRUE(rig.Host.Armings.empty());
    EXPECT_EQ(rig.Link.Wait_Ms, 0);
}

TEST(BusRest, LowForOneMillisecondThenRest)
{
    TPortRig rig;
    rig.Open();
    rig.Host.Tick_After_Pumps = 2;
    rig.Link.Bus_Rest();
    const std::vector<TEvent> expected = {
        {TEvent::Control, 0, 0x00}, P(2), {TEvent::Control, 0, 0x04}};
    EXPECT_EQ(Decode(rig.Port.Log, 0x378), expected);
    EXPECT_EQ(rig.Host.Armings, std::vector<int>{1});
}

TEST(BusRest, NoWriteAfterAReleaseDuringItsWait)
{
    TPortRig rig;
    rig.Open();
    rig.Host.On_Pump = [&](long) {
        if (rig.Link.Port_Open)
            rig.Link.Port_Release();
    };
    rig.Link.Bus_Rest();
    const auto events = Decode(rig.Port.Log, 0x378);
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.front(), (TEvent{TEvent::Control, 0, 0x00}));
    for (size_t i = 1; i < events.size(); ++i)
        EXPECT_NE(events[i].What, TEvent::Control);
}

// Clock scripts: each SecondsOfDay() call takes the next value.
TEST(CheckSpeed, CountsTheSecondAfterTheFirstChange)
{
    TPortRig rig;
    rig.Open();
    // Start at 58; two reads still 58; the change to 59; 5 passes read 59;
    // then 0 ends the count (target 58 + 2 - 60).
    rig.Host.Seconds = {58, 58, 58, 59, 59, 59, 59, 59, 59, 0};
    rig.Form.Memo1.SetVisible(true);
    rig.Link.Check_Speed();
    EXPECT_EQ(rig.Link.Speed_Count, 6u);
    EXPECT_EQ(rig.Host.Seconds_Read, 10u);
    EXPECT_FALSE(rig.Form.Memo1.Visible());
    ASSERT_EQ(rig.Form.Memo1.Lines().size(), 1u);
    EXPECT_EQ(rig.Form.Memo1.Lines()[0], "Checking system speed and setting program Pulse....");
    // It starts from the reset latches.
    const auto latches = Latches(rig.Port.Log, 0x378);
    ASSERT_EQ(latches.size(), 5u);
    EXPECT_EQ(latches[0], L(0x03, 0x00));
}

TEST(CheckSpeed, ASkippedSecondStillEndsAfterOneSecond)
{
    TPortRig rig;
    rig.Open();
    // Change 10 -> 11, then a slow pass jumps straight to 13: the target 12
    // is missed.  The count ends there rather than a minute later.
    rig.Host.Seconds = {10, 11, 11, 11, 13, 14, 15, 16, 12};
    rig.Link.Check_Speed();
    EXPECT_EQ(rig.Link.Speed_Count, 3u);
    EXPECT_EQ(rig.Host.Seconds_Read, 5u);
}

TEST(CheckSpeed, ACountBeyond16BitsIsKept)
{
    TPortRig rig;
    rig.Open();
    // 70,000 passes read 21, then 22: a 16-bit count would wrap to 4,464.
    rig.Host.Seconds = {20, 21};
    rig.Host.Seconds.insert(rig.Host.Seconds.end(), 69999, 21);
    rig.Host.Seconds.push_back(22);
    rig.Link.Check_Speed();
    EXPECT_EQ(rig.Link.Speed_Count, 70000u);
    rig.Link.Derive_Pulse_Unit();
    EXPECT_EQ(rig.Link.Pulse_Unit, 93u);
}

TEST(PulseUnit, DerivedFromTheCountAtLeastOne)
{
    TPortRig rig;
    const std::pair<uint32_t, uint32_t> cases[] = {
        {0, 1}, {749, 1}, {750, 1}, {1499, 1}, {1500, 2}, {70000, 93}, {3000000, 4000}};
    for (const auto& [count, unit] : cases) {
        rig.Link.Speed_Count = count;
        rig.Link.Derive_Pulse_Unit();
        EXPECT_EQ(rig.Link.Pulse_Unit, unit) << count;
    }
}

TEST(PulseWait, LastsItsNominalWidthByTheClockWhateverThePassCount)
{
    // However many passes the speed check counted, and however fast or slow
    // the pump runs now, a pulse of w units lasts at least w/750 s and ends
    // at the first pass that reached it; every pass processes messages.
    TPortRig rig;
    const struct {
        uint32_t Unit;
        uint16_t Width;
        int64_t Us_Per_Pump;
        long Pumps;
    } cases[] = {{1, 2, 1, 2667},      {93, 2, 1, 2667}, {93, 2, 14, 191}, {1, 2, 1000, 3},
                 {93, 512, 1000, 683}, {0, 4, 1331, 5},  {1, 0, 1331, 1}};
    for (const auto& c : cases) {
        rig.Host.Pumps = 0;
        rig.Host.Us_Per_Pump = c.Us_Per_Pump;
        rig.Link.Pulse_Unit = c.Unit;
        rig.Link.Pulse_Width = c.Width;
        const int64_t start = rig.Host.Clock_Us;
        rig.Link.Pulse_Wait();
        const int64_t lasted = rig.Host.Clock_Us - start;
        EXPECT_EQ(rig.Host.Pumps, c.Pumps) << c.Unit << " x " << c.Width;
        EXPECT_GE(lasted * 750, int64_t{c.Width} * 1000000) << c.Width;
        EXPECT_LE((lasted - c.Us_Per_Pump) * 750, int64_t{c.Width} * 1000000) << c.Width;
    }
}

TEST(PulseWait, SleepsUntilItsTailThenPumpsWithoutSleeping)
{
    // Each pass may sleep until Pulse_Tail_Us before the end; a pass that
    // starts later than that returns at once (the host is asked for a time
    // already past), so the tail is made of passes that do not sleep.
    TPortRig rig;
    rig.Host.Note_Sleeps = true;
    rig.Host.Us_Per_Pump = 100;
    rig.Host.Clock_Us = 5000;
    rig.Link.Pulse_Width = 2; // 2667 us
    rig.Link.Pulse_Wait();
    EXPECT_EQ(rig.Host.Pumps, 27);
    const int64_t wake = 5000 + 2667 - TLink::Default_Pulse_Tail_Us;
    EXPECT_EQ(rig.Host.Sleeps_Until, std::vector<int64_t>(27, wake));
    EXPECT_GE(rig.Host.Clock_Us - 5000, 2667);
}

} // namespace
} // namespace gang::test
