// The programming algorithms on the recording port: pulse sequences and
// widths, the EEPROM polls, the page write's tries and its range bounds,
// the software data protection sequences of a 28C64 run.
#include "support/recording_port.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace gang::test {
namespace {

// A rig configured for programming one family with pulse multiplier 1.
struct TProgRig : TPortRig {
    explicit TProgRig(int family, int gang = 1, uint8_t vpp = 0x0F, int32_t end = 0x7FF)
    {
        Open();
        Sel.Family = family;
        Sel.Gang_Size = gang;
        Buffer.End_Of_Eprom = end;
        Link.Vpp_Value = vpp;
        Link.Pulse_Unit = 1;
        Link.Reset_Link();
        Host.Tick_After_Pumps = 1;
    }
    // Configured and addressed, socket selected, log cleared.
    void Ready(int32_t address, int socket = 1)
    {
        Link.Prog_Config();
        Link.Cur_Add = address;
        Link.Set_Address();
        Link.Cur_Socket = socket;
        Link.Select_Socket();
        Port.Clear();
    }
};

TEST(ProgByte, WorkedExampleFamily2)
{
    TProgRig rig(2);
    rig.Buffer[0x10] = 0x5A;
    rig.Port.Next_Byte = [] { return uint8_t(0x5A); };
    rig.Link.Prog_Config();
    EXPECT_EQ(rig.Link.Fam_Vpp, 0x03u);
    rig.Link.Cur_Add = 0x10;
    rig.Link.Set_Address();
    rig.Link.Cur_Socket = 1;
    rig.Link.Select_Socket();
    EXPECT_EQ(rig.Link.Cur_Socket_Val, 0xF7u);
    EXPECT_EQ(rig.Link.Cur_Vpp_Val, 0x03u);
    rig.Port.Clear();
    rig.Link.Prog_Byte();
    EXPECT_EQ(rig.Link.Prog_Ok, 1);
    const std::vector<TEvent> expected = {
        L(0x0A, 0x5A), L(0x01, 0xF7), L(0x02, 0x03), L(0x01, 0xB7), P(3),          L(0x01, 0xF7),
        L(0x02, 0x0B), L(0x01, 0xE7), R(0x5A),       L(0x01, 0xF7), L(0x02, 0x03), L(0x01, 0xB7),
        P(5),          L(0x01, 0xF7), L(0x02, 0x0B), L(0x01, 0xE7)};
    EXPECT_EQ(Decode(rig.Port.Log, 0x378), expected);
}

TEST(ProgByte, FailingByteGetsEightPulsesAndNoOverProgram)
{
    TProgRig rig(5);
    rig.Buffer[0x20] = 0x0F;
    rig.Port.Next_Byte = [] { return uint8_t(0x1F); }; // an extra 1 bit: pulses may help
    rig.Ready(0x20);
    rig.Link.Prog_Byte();
    EXPECT_EQ(rig.Link.Prog_Ok, 0);
    EXPECT_EQ(Pump_Runs(rig.Port.Log), (std::vector<long>{3, 5, 9, 17, 33, 65, 129, 257}));
}

TEST(ProgByte, ALowBitEndsAfterOnePulse)
{
    TProgRig rig(4);
    rig.Buffer[0x30] = 0x81;
    rig.Port.Next_Byte = [] { return uint8_t(0x01); };
    rig.Ready(0x30);
    rig.Link.Prog_Byte();
    EXPECT_EQ(rig.Link.Prog_Ok, 0);
    EXPECT_EQ(Pump_Runs(rig.Port.Log), std::vector<long>{3});
}

TEST(ProgByte, OverProgramIsTwiceTheLastWidth)
{
    TProgRig rig(2);
    rig.Buffer[0] = 0x00;
    int reads = 0;
    rig.Port.Next_Byte = [&] { return uint8_t(++reads < 3 ? 0x10 : 0x00); };
    rig.Ready(0);
    rig.Link.Prog_Byte();
    EXPECT_EQ(rig.Link.Prog_Ok, 1);
    EXPECT_EQ(Pump_Runs(rig.Port.Log), (std::vector<long>{3, 5, 9, 17}));
    EXPECT_EQ(rig.Link.Pulse_Width, 16);
}

TEST(ProgByte, ErasedByteNeedsNoPulse)
{
    TProgRig rig(3);
    rig.Buffer[0x40] = 0xFF;
    rig.Ready(0x40);
    rig.Link.Prog_Byte();
    EXPECT_EQ(rig.Link.Prog_Ok, 1);
    EXPECT_EQ(rig.Port.Register_Accesses(), 0);
}

TEST(ProgPulse, Family1InvertsEveryEnable)
{
    TProgRig rig(1);
    rig.Ready(0, 2); // Fam_Socket 0xFF, socket 2: 0xFE; Fam_Vpp 0x03
    rig.Link.Pulse_Width = 2;
    rig.Link.Prog_Pulse();
    const std::vector<TEvent> expected = {L(0x01, 0x73), L(0x02, 0x07), L(0x01, 0x53),
                                          P(3),          L(0x01, 0x73), L(0x01, 0xFE),
                                          L(0x02, 0x03), L(0x02, 0x0B), L(0x01, 0xEE)};
    EXPECT_EQ(Decode(rig.Port.Log, 0x378), expected);
}

TEST(ProgPulse, Families3And4StrobeTheirOwnLatch)
{
    {
        TProgRig rig(3, 1, 0xBF, 0x1FFF);
        rig.Ready(0x1234, 3); // Hi_Value 0xF2, Fam_Socket 0xFD -> 0x7D, Fam_Vpp 0xB1
        rig.Link.Pulse_Width = 2;
        rig.Link.Prog_Pulse();
        const std::vector<TEvent> expected = {L(0x01, 0x7D), L(0x02, 0xB1), L(0x0B, 0xB2), P(3),
                                              L(0x0B, 0xF2), L(0x02, 0xB9), L(0x01, 0x6D)};
        EXPECT_EQ(Decode(rig.Port.Log, 0x378), expected);
    }
    {
        TProgRig rig(4, 1, 0x0F, 0x7FFF);
        rig.Ready(0, 5); // socket 5: Vpp 0x03 | 0x04
        rig.Link.Pulse_Width = 2;
        rig.Link.Prog_Pulse();
        const std::vector<TEvent> expected = {L(0x01, 0xFD), L(0x02, 0x07), L(0x02, 0x05), P(3),
                                              L(0x02, 0x07), L(0x02, 0x0F), L(0x01, 0xED)};
        EXPECT_EQ(Decode(rig.Port.Log, 0x378), expected);
    }
}

TEST(ProgramRange, ASocketThatFailsIsSkippedAndTheOthersFinish)
{
    TProgRig rig(2, 3, 0x0F, 0x0FF);
    for (int a = 0; a <= 0xFF; ++a)
        rig.Buffer[a] = static_cast<uint8_t>(a & 0x7F);
    // The device reads back what the Buffer holds, except socket 2 at 0x40.
    rig.Port.Next_Byte = [&] {
        const uint8_t want = rig.Buffer[rig.Link.Cur_Add];
        return (rig.Link.Cur_Socket == 2 && rig.Link.Cur_Add == 0x40) ? uint8_t(want & 0x0F) : want;
    };
    rig.Link.Program_Range();
    EXPECT_EQ(rig.Link.Cur_Add, 0x100);
    EXPECT_TRUE(rig.Link.Socket_Fail(2));
    EXPECT_FALSE(rig.Link.Socket_Fail(1));
    EXPECT_FALSE(rig.Link.Socket_Fail(3));
    EXPECT_EQ(rig.Link.Gang_Mask(), 0x05);
    EXPECT_EQ(rig.Form.Device_2.Caption(), "2-Not Programmed");
    // Ends with every socket deselected.
    const auto latches = Latches(rig.Port.Log, 0x378);
    ASSERT_GE(latches.size(), 2u);
    EXPECT_EQ(latches[latches.size() - 2], L(0x01, 0xFF));
    EXPECT_EQ(latches.back(), L(0x02, 0x03));
}

TEST(ProgramRange, AllSocketsFailingEndsAfterThatAddress)
{
    TProgRig rig(5, 2, 0x0F, 0xFFFF);
    rig.Buffer[0] = 0xFF;
    rig.Buffer[1] = 0x80;
    rig.Port.Next_Byte = [] { return uint8_t(0x00); };
    rig.Link.Program_Range();
    EXPECT_EQ(rig.Link.Gang_Mask(), 0);
    EXPECT_EQ(rig.Link.Cur_Add, 2);
    EXPECT_EQ(rig.Link.Quit_Flag, 0);
}

TEST(ProgramRange, AStopRequestEndsAfterTheAddressInHand)
{
    TProgRig rig(2, 2, 0x0F, 0xFFF);
    rig.Buffer.Data.fill(0x00);
    rig.Port.Next_Byte = [] { return uint8_t(0x00); };
    rig.Host.On_Pump = [&](long) {
        if (rig.Link.Cur_Add == 0x123 && rig.Link.Cur_Socket == 1)
            rig.Link.Quit_Flag = 5;
    };
    rig.Link.Program_Range();
    EXPECT_EQ(rig.Link.Cur_Add, 0x124);
    EXPECT_EQ(rig.Link.Gang_Mask(), 0x03) << "socket 2 still did its byte";
}

TEST(EEWriteByte, PollsUpTo4096Times)
{
    TProgRig rig(6);
    rig.Buffer[0x100] = 0x3C;
    rig.Port.Next_Byte = [] { return uint8_t(0xBC); };
    rig.Ready(0x100, 1);
    rig.Link.EE_Write_Byte();
    EXPECT_EQ(rig.Link.Prog_Ok, 0);
    int reads = 0;
    for (const auto& e : Decode(rig.Port.Log, 0x378))
        reads += e.What == TEvent::Read;
    EXPECT_EQ(reads, 4096);
    EXPECT_EQ(rig.Host.Pumps, 4096 + 1); // + the configuration's settle wait
    // The write itself: Hi_Value 0x09 strobed low on bit 3.
    const auto latches = Latches(rig.Port.Log, 0x378);
    const std::vector<TEvent> head = {L(0x01, 0xF7), L(0x02, 0x03), L(0x0A, 0x3C), L(0x0B, 0x01),
                                      L(0x0B, 0x09), L(0x02, 0x0B), L(0x01, 0xE7)};
    EXPECT_EQ(latches, head);
}

TEST(EEWriteByte, SleepsAPollIntervalAfterEachOfTheFirstReads)
{
    // While the chip's write cycle may run, each read is followed by a pump
    // that sleeps the poll interval; after EE_Poll_Sleeps reads the poll
    // goes on without sleeping, and the read that matches is followed by
    // one pump that does not sleep either.
    TProgRig rig(6);
    rig.Buffer[0] = 0x3C;
    const int matching = TLink::EE_Poll_Sleeps + 5;
    int reads = 0;
    rig.Port.Next_Byte = [&] { return uint8_t(++reads < matching ? 0xBC : 0x3C); };
    rig.Ready(0);
    rig.Host.Note_Sleeps = true;
    rig.Host.Us_Per_Pump = 10;
    rig.Host.Clock_Us = 1000;
    rig.Link.EE_Write_Byte();
    EXPECT_EQ(rig.Link.Prog_Ok, 1);
    EXPECT_EQ(reads, matching);
    const std::vector<int64_t>& sleeps = rig.Host.Sleeps_Until;
    ASSERT_EQ(sleeps.size(), static_cast<size_t>(matching));
    for (int i = 0; i < TLink::EE_Poll_Sleeps; ++i)
        EXPECT_EQ(sleeps[i], 1000 + i * 10 + TLink::EE_Poll_Interval_Us) << i;
    for (int i = TLink::EE_Poll_Sleeps; i < matching; ++i)
        EXPECT_EQ(sleeps[i], -1) << i;
}

TEST(EEWriteByte, EndsAtTheFirstMatchingRead)
{
    TProgRig rig(6);
    rig.Buffer[0] = 0x3C;
    int reads = 0;
    rig.Port.Next_Byte = [&] { return uint8_t(++reads < 7 ? 0xBC : 0x3C); };
    rig.Ready(0);
    rig.Link.EE_Write_Byte();
    EXPECT_EQ(rig.Link.Prog_Ok, 1);
    EXPECT_EQ(reads, 7);
}

// A 28C64 whose reads are scripted per try: each try is one poll read (the
// last byte of the page, right at once) and the read-back of the page.
struct TPageRig : TProgRig {
    int Reads = 0;
    int Bad_Tries = 0; // tries whose read-back has one wrong byte
    int Length = 32;
    TPageRig(int32_t end) : TProgRig(8, 1, 0x3F, end)
    {
        for (int a = 0; a < Buffer_Size; ++a)
            Buffer[a] = static_cast<uint8_t>(a * 7);
        Port.Next_Byte = [this] {
            const int per_try = 1 + Length;
            const int try_index = Reads / per_try;
            const int pos = Reads % per_try;
            ++Reads;
            if (pos == 0)
                return Buffer[Link.Cur_Add + Length - 1];
            const uint8_t b = Buffer[Link.Cur_Add];
            return (try_index < Bad_Tries && pos == 5) ? uint8_t(b ^ 1) : b;
        };
    }
};

TEST(EEWritePage, TenTriesThenFailure)
{
    TPageRig rig(0x1FFF);
    rig.Bad_Tries = 100;
    rig.Ready(0x0400);
    rig.Link.EE_Write_Page();
    EXPECT_EQ(rig.Link.Prog_Ok, 0);
    EXPECT_EQ(rig.Reads, 10 * 33);
    EXPECT_EQ(rig.Link.Cur_Add, 0x0400);
    EXPECT_TRUE(rig.Form.Form.Enabled());
}

TEST(EEWritePage, OnePageOnTheWire)
{
    TPageRig rig(0x1FFF);
    rig.Ready(0x0420);
    rig.Form.Form.OnChange = [&](const TControl& c) {
        rig.Port.Log.push_back({Op::Outp, 0xFFFF, c.Enabled() ? 1 : 0});
    };
    rig.Link.EE_Write_Page();
    EXPECT_EQ(rig.Link.Prog_Ok, 1);
    const auto events = Decode(rig.Port.Log, 0x378);
    ASSERT_GT(events.size(), 4u + 32 * 4);
    EXPECT_EQ(rig.Port.Log.front().Port, 0xFFFF); // window disabled first
    EXPECT_EQ(rig.Port.Log.front().Value, 0);
    // Enabled at the end, then one message pass for the input between pages.
    ASSERT_GE(rig.Port.Log.size(), 2u);
    const TAccess& enable = rig.Port.Log[rig.Port.Log.size() - 2];
    EXPECT_EQ(enable.Port, 0xFFFF);
    EXPECT_EQ(enable.Value, 1);
    EXPECT_EQ(rig.Port.Log.back().Kind, Op::Pump);
    EXPECT_EQ(events[1], L(0x01, 0xF5));
    EXPECT_EQ(events[2], L(0x02, 0x33));
    for (int i = 0; i < 32; ++i) {
        EXPECT_EQ(events[3 + 4 * i], L(0x09, 0x20 + i));
        EXPECT_EQ(events[4 + 4 * i], L(0x0A, rig.Buffer[0x420 + i]));
        EXPECT_EQ(events[5 + 4 * i], L(0x0B, 0x24)); // Hi_Value 0x64 with bit 6 low
        EXPECT_EQ(events[6 + 4 * i], L(0x0B, 0x64));
    }
}

TEST(EEWritePage, TheLastPageGetsItsTries)
{
    TPageRig rig(0x1FFF);
    rig.Bad_Tries = 1; // right only on the second try
    rig.Ready(0x1FE0);
    rig.Link.EE_Write_Page();
    EXPECT_EQ(rig.Link.Prog_Ok, 1);
    EXPECT_EQ(rig.Reads, 2 * 33);
    EXPECT_EQ(rig.Link.Quit_Flag, 0);
    EXPECT_EQ(rig.Link.Cur_Add, 0x1FE0);
}

TEST(EEWritePage, TheRunStillEndsAfterTheLastPage)
{
    TPageRig rig(0x1FFF);
    rig.Bad_Tries = 0;
    rig.Link.Program_Range();
    EXPECT_EQ(rig.Link.Cur_Add, 0x2000);
    EXPECT_EQ(rig.Link.Quit_Flag, 1);
    EXPECT_EQ(rig.Link.Gang_Mask(), 1);
    EXPECT_EQ(rig.Reads, 256 * 33) << "256 pages, one try each";
}

TEST(EEWritePage, AStopRequestEndsTheTries)
{
    TPageRig rig(0x1FFF);
    rig.Bad_Tries = 100;
    rig.Ready(0x1FE0);
    rig.Host.On_Pump = [&](long) { rig.Link.Quit_Flag = 5; };
    rig.Link.EE_Write_Page();
    EXPECT_EQ(rig.Reads, 33);
    EXPECT_TRUE(rig.Form.Form.Enabled());
}

TEST(EEWritePage, NeverPastTheEndOfTheRange)
{
    // A range whose end is not a page boundary: the last page is cut short.
    TPageRig rig(0x1FEF);
    rig.Length = 16;
    rig.Ready(0x1FE0);
    rig.Link.EE_Write_Page();
    EXPECT_EQ(rig.Link.Prog_Ok, 1);
    int data_writes = 0;
    for (const auto& e : Latches(rig.Port.Log, 0x378))
        data_writes += e.What == TEvent::Latch && e.Select == 0x0A;
    EXPECT_EQ(data_writes, 16);

    // At the very top of the Buffer nothing beyond it is read.
    TPageRig top(0xFFFF);
    top.Ready(0xFFE0);
    top.Link.EE_Write_Page();
    EXPECT_EQ(top.Link.Prog_Ok, 1);
    EXPECT_EQ(top.Link.Cur_Add, 0xFFE0);
}

// A one-page 28C64 run over a gang of two in each protection mode: where the
// sequences sit in the decoded latch traffic.
TEST(EEProtection, SequencesAroundTheRunPerMode)
{
    // One command byte: its own address latches, then the page write's strobe.
    auto command = [](uint8_t lo, uint8_t hi, uint8_t data) {
        return std::vector<TEvent>{L(0x09, lo), L(0x0B, hi), L(0x0A, data), L(0x0B, hi & 0xBF),
                                   L(0x0B, hi)};
    };
    auto sequence = [&](uint8_t socket_val, bool lock) {
        std::vector<TEvent> s = {L(0x01, socket_val), L(0x02, 0x33)};
        const uint8_t lo[] = {0x55, 0xAA, 0x55, 0x55, 0xAA, 0x55};
        const uint8_t hi[] = {0xF5, 0x4A, 0xF5, 0xF5, 0x4A, 0xF5}; // 5555 and 2AAA mapped
        const uint8_t data[] = {0xAA, 0x55, uint8_t(lock ? 0xA0 : 0x80), 0xAA, 0x55, 0x20};
        for (int i = 0; i < (lock ? 3 : 6); ++i)
            for (const TEvent& e : command(lo[i], hi[i], data[i]))
                s.push_back(e);
        return s;
    };
    auto run = [](TSdp_Mode mode) {
        TProgRig rig(8, 2, 0x3F, 0x1F);
        rig.Sel.Sdp = mode;
        for (int a = 0; a < 32; ++a)
            rig.Buffer[a] = 0xFF;
        rig.Port.Next_Byte = [] { return uint8_t(0xFF); };
        rig.Port.Clear();
        rig.Link.Program_Range();
        EXPECT_EQ(rig.Link.Gang_Mask(), 3);
        return Decode(rig.Port.Log, 0x378);
    };
    auto find = [](const std::vector<TEvent>& events, const std::vector<TEvent>& part) {
        return std::search(events.begin(), events.end(), part.begin(), part.end()) - events.begin();
    };
    const std::vector<TEvent> deselect_and_wait = {L(0x01, 0xFD), L(0x02, 0x33), P(1)};
    const std::vector<TEvent> first_page = {L(0x09, 0x00), L(0x0B, 0x60), L(0x01, 0xF5)};

    // Unlock: socket 1, socket 2, each without a pause, then one wait, and
    // the first page writes its own high byte.
    const auto unlock = run(TSdp_Mode::Unlock);
    std::vector<TEvent> both = sequence(0xF5, false);
    for (const TEvent& e : sequence(0xFC, false))
        both.push_back(e);
    for (const TEvent& e : deselect_and_wait)
        both.push_back(e);
    for (const TEvent& e : first_page)
        both.push_back(e);
    const auto at = find(unlock, both);
    ASSERT_LT(at, static_cast<long>(unlock.size()));
    EXPECT_EQ(find(unlock, command(0x55, 0xF5, 0xA0)), static_cast<long>(unlock.size()));

    // Keep: no command byte anywhere, the rest as with Unlock.
    const auto keep = run(TSdp_Mode::Keep);
    std::vector<TEvent> unlock_less = unlock;
    unlock_less.erase(unlock_less.begin() + at,
                      unlock_less.begin() + at + static_cast<long>(both.size() - 3));
    EXPECT_EQ(keep, unlock_less);

    // Lock: the same unlock, and after the last page the enable triple into
    // each socket, one wait, then the closing deselect.
    const auto lock = run(TSdp_Mode::Lock);
    std::vector<TEvent> locks = sequence(0xF5, true);
    for (const TEvent& e : sequence(0xFC, true))
        locks.push_back(e);
    for (const TEvent& e : deselect_and_wait)
        locks.push_back(e);
    const auto lock_at = find(lock, locks);
    ASSERT_LT(lock_at, static_cast<long>(lock.size()));
    EXPECT_EQ(find(lock, both), at);
    EXPECT_EQ(lock.size(), unlock.size() + locks.size());
}

} // namespace
} // namespace gang::test
