// 5-volt EEPROMs: byte and page writes, DATA polling, the page-load window on
// the port clock, overvoltage, software data protection and the EEPROM
// faults.
#include "raw_bus.h"

#include <gtest/gtest.h>

namespace gang::sim::test {
namespace {

class SimEeprom : public ::testing::Test {
protected:
    SimEeprom() { Clock.Attach(Sim); }

    // Program configuration at 5 V: Latch_3 00, Vpp_Latch 3F, then the family's
    // Add_Hi / Socket_Latch base values and Fam_Vpp 33.
    void Program_Config(uint8_t fam_hi, uint8_t fam_socket, uint8_t latch_3 = 0x00,
                        uint8_t vpp_value = 0x3F)
    {
        Bus.Latch(L3_Code, latch_3);
        Bus.Latch(Vpp_Code, vpp_value);
        Bus.Latch(Add_Hi_Code, fam_hi);
        Bus.Latch(Socket_Code, fam_socket);
        Bus.Latch(Vpp_Code, vpp_value & 0xF3);
        Cvv = vpp_value & 0xF3;
    }
    // 28C16 byte write in socket 1 (Cur_Socket_Val F7), write strobe Add_Hi bit 3.
    void Write_28C16(uint16_t address, uint8_t data)
    {
        const uint8_t hi = static_cast<uint8_t>((address >> 8) | 0x08);
        Bus.Latch(Add_Lo_Code, address & 0xFF);
        Bus.Latch(Add_Hi_Code, hi);
        Bus.Latch(Socket_Code, 0xF7);
        Bus.Latch(Vpp_Code, Cvv);
        Bus.Latch(Data_Code, data);
        Bus.Latch(Add_Hi_Code, hi & 0xF7);
        Bus.Latch(Add_Hi_Code, hi);
        Outputs_On(0xF7);
    }
    // Family 8 high address value (A14 on bit 7, inverted A13, strobe bit 6 at rest).
    static uint8_t Hi_Fam_8(uint16_t address)
    {
        const uint8_t h = address >> 8;
        return static_cast<uint8_t>((((h & 0x3F) ^ 0x20) | 0x40) | ((address & 0x4000) ? 0x80 : 0));
    }
    // Page load into socket 1 (Cur_Socket_Val F5), write strobe Add_Hi bit 6;
    // idle_after[i] extra accesses after byte i.
    void Load_Page(uint16_t start, const std::vector<uint8_t>& data, int idle_after_byte = -1,
                   int idle = 0)
    {
        const uint8_t hi = Hi_Fam_8(start);
        Bus.Latch(Add_Hi_Code, hi);
        Bus.Latch(Socket_Code, 0xF5);
        Bus.Latch(Vpp_Code, Cvv);
        for (std::size_t i = 0; i < data.size(); ++i) {
            Bus.Latch(Add_Lo_Code, (start + i) & 0xFF);
            Bus.Latch(Data_Code, data[i]);
            Bus.Latch(Add_Hi_Code, hi & 0xBF);
            Bus.Latch(Add_Hi_Code, hi);
            if (static_cast<int>(i) == idle_after_byte)
                Bus.Idle_Accesses(idle);
        }
        Outputs_On(0xF5);
    }
    void Outputs_On(uint8_t csv)
    {
        Bus.Latch(Vpp_Code, Cvv | 0x08);
        Bus.Latch(Socket_Code, csv & 0xEF);
    }
    uint8_t Read_At(uint16_t address, uint8_t hi)
    {
        Bus.Latch(Add_Lo_Code, address & 0xFF);
        Bus.Latch(Add_Hi_Code, hi);
        return Bus.Read();
    }

    // One protection command byte into socket 1 with the page write's strobe,
    // the high latch set for its address.
    void Command(uint16_t address, uint8_t data)
    {
        const uint8_t hi = Hi_Fam_8(address);
        Bus.Latch(Add_Lo_Code, address & 0xFF);
        Bus.Latch(Add_Hi_Code, hi);
        Bus.Latch(Data_Code, data);
        Bus.Latch(Add_Hi_Code, hi & 0xBF);
        Bus.Latch(Add_Hi_Code, hi);
    }
    // The disable sequence, or (enable) the enable triple; idle accesses
    // before byte late_byte.
    void Protection(bool enable, int late_byte = -1, int idle = 0, bool settle = true)
    {
        const uint16_t a[] = {0x5555, 0x2AAA, 0x5555, 0x5555, 0x2AAA, 0x5555};
        const uint8_t d[] = {0xAA, 0x55, 0x80, 0xAA, 0x55, 0x20};
        Bus.Latch(Socket_Code, 0xF5);
        Bus.Latch(Vpp_Code, Cvv);
        for (int i = 0; i < (enable ? 3 : 6); ++i) {
            if (i == late_byte)
                Bus.Idle_Accesses(idle);
            Command(a[i], enable && i == 2 ? 0xA0 : d[i]);
        }
        Outputs_On(0xF5);
        if (settle)
            Settle();
    }
    void Settle()
    {
        Bus.Idle_Accesses(200);
        Clock.Now_Us += 10000;
        Bus.Read();
    }

    TSimAdapter Sim;
    TRawBus Bus{Sim};
    TFakeClock Clock;
    uint8_t Cvv = 0x33;
};

TEST_F(SimEeprom, ByteWritePollsUntilTheWriteCycleEndsThenReadsBack)
{
    Sim.Insert_Chip(1, "28C16");
    Program_Config(0x08, 0xFF);
    Write_28C16(0x0123, 0x3C);
    for (int i = 0; i < 5; ++i) {
        const uint8_t poll = Bus.Read();
        EXPECT_NE(poll, 0x3C);
        EXPECT_EQ((poll ^ 0x3C) & 0x80, 0x80); // DATA polling: bit 7 inverted
    }
    Clock.Now_Us += 999;
    EXPECT_NE(Bus.Read(), 0x3C);
    Clock.Now_Us += 1;
    EXPECT_EQ(Bus.Read(), 0x3C);
    EXPECT_EQ(Sim.Chip_Byte(1, 0x0123), 0x3C);
    // An EEPROM byte can go from 0 back to 1.
    Write_28C16(0x0123, 0xC3);
    Clock.Now_Us += 1000;
    EXPECT_EQ(Bus.Read(), 0xC3);
    EXPECT_EQ(Sim.Overvoltage_Events(), 0u);
    ASSERT_EQ(Sim.Strobes().size(), 2u);
    EXPECT_DOUBLE_EQ(Sim.Strobes()[0].Volts, 0.0);
}

TEST_F(SimEeprom, PageWriteLoadsThirtyTwoBytesThenWrites)
{
    Sim.Insert_Chip(1, "28C256");
    Program_Config(0x60, 0xFD);
    std::vector<uint8_t> page(32);
    for (int i = 0; i < 32; ++i)
        page[i] = static_cast<uint8_t>(i * 7 + 1);
    Load_Page(0x4120, page);
    // Until the window runs out and the 10 ms cycle is over: polling.
    for (int i = 0; i < 40; ++i)
        EXPECT_NE(Bus.Read(), page[31]);
    Clock.Now_Us += 10000;
    EXPECT_EQ(Bus.Read(), page[31]);
    for (int i = 0; i < 32; ++i)
        EXPECT_EQ(Read_At(0x4120 + i, Hi_Fam_8(0x4120)), page[i]) << i;
    EXPECT_EQ(Sim.Chip_Byte(1, 0x411F), 0xFF);
    EXPECT_EQ(Sim.Chip_Byte(1, 0x4140), 0xFF);
}

TEST_F(SimEeprom, PageLoadedTooSlowlyIsCutShort)
{
    Sim.Insert_Chip(1, "28C64");
    Program_Config(0x60, 0xFD);
    std::vector<uint8_t> page(32, 0x00);
    Load_Page(0x0040, page, 9, 151); // 151 us on the port clock after the tenth byte
    Clock.Now_Us += 5000;
    Bus.Read();
    for (int i = 0; i < 32; ++i)
        EXPECT_EQ(Sim.Chip_Byte(1, 0x0040 + i), i < 10 ? 0x00 : 0xFF) << i;
}

TEST_F(SimEeprom, WindowCountsPortAccessesNotRealTime)
{
    Sim.Insert_Chip(1, "28C64");
    Program_Config(0x60, 0xFD);
    // A long real-time stall between two bytes does not break the page.
    const uint8_t hi = Hi_Fam_8(0);
    Bus.Latch(Socket_Code, 0xF5);
    Bus.Latch(Vpp_Code, Cvv);
    for (int i = 0; i < 2; ++i) {
        Bus.Latch(Add_Lo_Code, i);
        Bus.Latch(Data_Code, 0x11);
        Bus.Latch(Add_Hi_Code, hi & 0xBF);
        Bus.Latch(Add_Hi_Code, hi);
        Clock.Now_Us += 50000;
    }
    Outputs_On(0xF5);
    Bus.Idle_Accesses(200);
    Clock.Now_Us += 5000;
    Bus.Read();
    EXPECT_EQ(Sim.Chip_Byte(1, 0), 0x11);
    EXPECT_EQ(Sim.Chip_Byte(1, 1), 0x11);
}

TEST_F(SimEeprom, ProgrammingVoltageOnAnEepromIsOvervoltage)
{
    Sim.Insert_Chip(1, "28C16");
    Program_Config(0x08, 0xFF, 0x80, 0xBF); // 12.5 V setting
    Write_28C16(0x0000, 0x00);
    Clock.Now_Us += 2000;
    EXPECT_EQ(Bus.Read(), 0xFF);
    EXPECT_EQ(Sim.Overvoltage_Events(), 1u);
    EXPECT_DOUBLE_EQ(Sim.Strobes().back().Volts, 12.5);
}

TEST_F(SimEeprom, FastChipsEndTheCycleAtOnceButKeepTheWindow)
{
    Sim.Set_Fast_Chips(true);
    Sim.Insert_Chip(1, "28C256");
    Program_Config(0x60, 0xFD);
    Load_Page(0x0000, std::vector<uint8_t>(32, 0x55));
    int polls = 0;
    while (Bus.Read() != 0x55 && polls < 4096)
        ++polls;
    EXPECT_GT(polls, 0);
    EXPECT_LT(polls, 100);
    EXPECT_EQ(Sim.Chip_Byte(1, 31), 0x55);
}

TEST_F(SimEeprom, WriteThatNeverCompletesPollsForEver)
{
    Sim.Insert_Chip(1, "28C16", {TFaultKind::Write_Never_Completes});
    Program_Config(0x08, 0xFF);
    Write_28C16(0x0010, 0x5A);
    Clock.Now_Us += 1e6;
    EXPECT_NE(Bus.Read(), 0x5A);
    EXPECT_EQ(Sim.Chip_Byte(1, 0x10), 0xFF);
}

TEST_F(SimEeprom, PageThatReadsWrongOnTheFirstWriteOnly)
{
    Sim.Insert_Chip(1, "28C64", {TFaultKind::Page_Reads_Wrong, 2, 0x0025, 1});
    Program_Config(0x60, 0xFD);
    const std::vector<uint8_t> page(32, 0xA0);
    Load_Page(0x0020, page);
    Bus.Idle_Accesses(200);
    Clock.Now_Us += 5000;
    Bus.Read();
    EXPECT_EQ(Sim.Chip_Byte(1, 0x0025), 0xA4);
    EXPECT_EQ(Sim.Chip_Byte(1, 0x003F), 0xA0); // polling still ends on the last byte
    Load_Page(0x0020, page);
    Bus.Idle_Accesses(200);
    Clock.Now_Us += 5000;
    Bus.Read();
    EXPECT_EQ(Sim.Chip_Byte(1, 0x0025), 0xA0);
}

TEST_F(SimEeprom, LockedChipTakesPagesOnlyAfterTheDisableSequence)
{
    // The 28C64 decodes 13 address lines: the same writes reach 1555 / 0AAA.
    for (const char* type : {"28C64", "28C256"}) {
        SCOPED_TRACE(type);
        Sim.Insert_Chip(1, type, {TFaultKind::Sdp_Locked});
        Program_Config(0x60, 0xFD);
        Load_Page(0x0100, std::vector<uint8_t>(32, 0x3C));
        Settle();
        EXPECT_EQ(Sim.Chip_Byte(1, 0x0100), 0xFF); // ignored while locked
        Protection(false);
        Load_Page(0x0100, std::vector<uint8_t>(32, 0x3C));
        Settle();
        EXPECT_EQ(Sim.Chip_Byte(1, 0x0100), 0x3C);
        EXPECT_EQ(Sim.Chip_Byte(1, 0x011F), 0x3C);
        // The command bytes are not stored.
        EXPECT_EQ(Sim.Chip_Byte(1, 0x5555), 0xFF);
        EXPECT_EQ(Sim.Chip_Byte(1, 0x2AAA), 0xFF);
        EXPECT_EQ(Sim.Slow_Unlock_Events(), 0u);
    }
}

TEST_F(SimEeprom, DisableWithALateByteLeavesTheChipLocked)
{
    Sim.Insert_Chip(1, "28C256", {TFaultKind::Sdp_Locked});
    Program_Config(0x60, 0xFD);
    Protection(false, 4, 121); // 121 + 30 us after the fourth byte
    EXPECT_EQ(Sim.Slow_Unlock_Events(), 1u);
    Load_Page(0x0000, std::vector<uint8_t>(32, 0x00));
    Settle();
    EXPECT_EQ(Sim.Chip_Byte(1, 0x0000), 0xFF);
    // The same sequence just within the limit unlocks.
    Protection(false, 4, 119);
    Load_Page(0x0000, std::vector<uint8_t>(32, 0x00));
    Settle();
    EXPECT_EQ(Sim.Chip_Byte(1, 0x0000), 0x00);
    EXPECT_EQ(Sim.Slow_Unlock_Events(), 1u);
}

TEST_F(SimEeprom, EnableTripleLocksAndLetsOnlyItsOwnPageThrough)
{
    Sim.Insert_Chip(1, "28C256");
    Program_Config(0x60, 0xFD);
    // The triple with its page: locked, the page written.
    Bus.Latch(Socket_Code, 0xF5);
    Bus.Latch(Vpp_Code, Cvv);
    Command(0x5555, 0xAA);
    Command(0x2AAA, 0x55);
    Command(0x5555, 0xA0);
    Load_Page(0x0040, std::vector<uint8_t>(32, 0x11));
    Settle();
    EXPECT_EQ(Sim.Chip_Byte(1, 0x0040), 0x11);
    // The triple alone: its write cycle runs from its end, even while the
    // program waits without a port access.
    Protection(true, -1, 0, false);
    Clock.Now_Us += 10000;
    Bus.Idle_Accesses(200);
    EXPECT_EQ(Read_At(0x0040, Hi_Fam_8(0x0040)), 0x11);
    // A plain page is now ignored.
    Load_Page(0x0040, std::vector<uint8_t>(32, 0x22));
    Settle();
    EXPECT_EQ(Sim.Chip_Byte(1, 0x0040), 0x11);
    EXPECT_EQ(Sim.Chip_Byte(1, 0x5555), 0xFF);
}

} // namespace
} // namespace gang::sim::test
