// UV EPROM programming through the program and strobe lines of each family:
// voltage, pulse width, partial programming, the family 1 inverted enables,
// and the chip faults.
#include "raw_bus.h"

#include <gtest/gtest.h>

namespace gang::sim::test {
namespace {

// One pulse unit of the program is about 1/750 s.
constexpr double Unit_Us = 1e6 / 750.0;

class SimEprom : public ::testing::Test {
protected:
    SimEprom() { Clock.Attach(Sim); }

    // Latch_3 and Vpp_Latch of a voltage setting, then the program
    // configuration of the family (Add_Hi, Socket_Latch, Vpp_Latch).
    void Program_Config(uint8_t vpp_value, uint8_t fam_hi, uint8_t fam_socket, uint8_t fam_vpp)
    {
        Bus.Latch(L3_Code, (vpp_value & 0x30) == 0x30 && !(vpp_value & 0x80) ? 0x00 : 0x80);
        Bus.Latch(Vpp_Code, vpp_value);
        Bus.Latch(Add_Lo_Code, 0xFF);
        Bus.Latch(Add_Hi_Code, fam_hi);
        Bus.Latch(Socket_Code, fam_socket);
        Bus.Latch(Vpp_Code, fam_vpp);
    }
    void Address(uint8_t hi, uint8_t lo)
    {
        Bus.Latch(Add_Lo_Code, lo);
        Bus.Latch(Add_Hi_Code, hi);
    }
    void Wait(double us) { Clock.Now_Us += us; }

    // Families 2 and 5: strobe on Socket_Latch bit 6.
    uint8_t Pulse_2_5(uint8_t csv, uint8_t cvv, double width_us)
    {
        Bus.Latch(Socket_Code, csv);
        Bus.Latch(Vpp_Code, cvv);
        Bus.Latch(Socket_Code, csv & 0xBF);
        Wait(width_us);
        Bus.Latch(Socket_Code, csv);
        return Read_Back(csv, cvv);
    }
    // Family 3: strobe on Add_Hi_Latch bit 6.
    uint8_t Pulse_3(uint8_t csv, uint8_t cvv, uint8_t hi, double width_us)
    {
        Bus.Latch(Socket_Code, csv);
        Bus.Latch(Vpp_Code, cvv);
        Bus.Latch(Add_Hi_Code, hi & 0xBF);
        Wait(width_us);
        Bus.Latch(Add_Hi_Code, hi);
        return Read_Back(csv, cvv);
    }
    // Family 4: strobe on Vpp_Latch bit 1.
    uint8_t Pulse_4(uint8_t csv, uint8_t cvv, double width_us)
    {
        Bus.Latch(Socket_Code, csv);
        Bus.Latch(Vpp_Code, cvv);
        Bus.Latch(Vpp_Code, cvv & 0xFD);
        Wait(width_us);
        Bus.Latch(Vpp_Code, cvv);
        return Read_Back(csv, cvv);
    }
    // Family 1: all five enables inverted, strobe on Socket_Latch bit 5.
    uint8_t Pulse_1(uint8_t csv, uint8_t cvv, double width_us, bool invert = true)
    {
        const uint8_t s = invert ? csv ^ 0x8D : csv;
        const uint8_t v = invert ? cvv ^ 0x04 : cvv;
        Bus.Latch(Socket_Code, s);
        Bus.Latch(Vpp_Code, v);
        Bus.Latch(Socket_Code, s & 0xDF);
        Wait(width_us);
        Bus.Latch(Socket_Code, s);
        Bus.Latch(Socket_Code, csv);
        Bus.Latch(Vpp_Code, cvv);
        return Read_Back(csv, cvv);
    }
    uint8_t Read_Back(uint8_t csv, uint8_t cvv)
    {
        Bus.Latch(Vpp_Code, cvv | 0x08);
        Bus.Latch(Socket_Code, csv & 0xEF);
        return Bus.Read();
    }

    TSimAdapter Sim;
    TRawBus Bus{Sim};
    TFakeClock Clock;
};

// Family 2 at 25 V, socket 1: Vpp_Value 0F, program configuration 00/FF/03,
// Cur_Socket_Val F7, Cur_Vpp_Val 03.
TEST_F(SimEprom, NmosByteProgramsAfterItsFiftyMillisecondsReadingPartlyBefore)
{
    Sim.Insert_Chip(1, "2732");
    Program_Config(0x0F, 0x00, 0xFF, 0x03);
    Address(0x00, 0x10);
    Bus.Latch(Data_Code, 0x5A);
    std::vector<uint8_t> reads;
    for (int width = 2; width <= 16; width *= 2) // 2.7 + 5.3 + 10.7 + 21.3 = 40 ms
        reads.push_back(Pulse_2_5(0xF7, 0x03, width * Unit_Us));
    EXPECT_EQ(reads[0], 0xFF);
    EXPECT_EQ(reads[2], 0xFF); // 18.7 ms: below every bit's share
    // 40 ms: partly programmed; no bit that should stay 1 went to 0.
    EXPECT_NE(reads[3], 0x5A);
    EXPECT_NE(reads[3], 0xFF);
    EXPECT_EQ(reads[3] & 0x5A, 0x5A);
    EXPECT_EQ(Pulse_2_5(0xF7, 0x03, 32 * Unit_Us), 0x5A); // 82.7 ms
    EXPECT_EQ(Sim.Chip_Byte(1, 0x10), 0x5A);

    ASSERT_EQ(Sim.Strobes().size(), 5u);
    const TStrobeEvent& first = Sim.Strobes()[0];
    EXPECT_EQ(first.Socket, 1);
    EXPECT_EQ(first.Address, 0x10u);
    EXPECT_NEAR(first.Width_Us, 2 * Unit_Us, 1e-6);
    EXPECT_DOUBLE_EQ(first.Volts, 25.0);
    EXPECT_EQ(Sim.Overvoltage_Events(), 0u);
}

TEST_F(SimEprom, LowerVoltageProgramsNothingHigherIsFlagged)
{
    Sim.Insert_Chip(1, "2732");             // 25 V part
    Sim.Insert_Chip(2, "2732A");            // 21 V part
    Program_Config(0x1F, 0x00, 0xFF, 0x13); // 21 V
    Address(0x00, 0x00);
    Bus.Latch(Data_Code, 0x00);
    EXPECT_EQ(Pulse_2_5(0xF7, 0x13, 100000), 0xFF); // 2732 at 21 V
    EXPECT_EQ(Pulse_2_5(0xFE, 0x13, 100000), 0x00); // 2732A at 21 V
    EXPECT_EQ(Sim.Overvoltage_Events(), 0u);

    Program_Config(0x0F, 0x00, 0xFF, 0x03); // 25 V
    Address(0x00, 0x01);
    Bus.Latch(Data_Code, 0x00);
    EXPECT_EQ(Pulse_2_5(0xFE, 0x03, 100000), 0xFF); // 2732A at 25 V: nothing, flagged
    EXPECT_EQ(Sim.Overvoltage_Events(), 1u);
    EXPECT_DOUBLE_EQ(Sim.Strobes().back().Volts, 25.0);

    // No programming voltage at all (the 12 V / 5 V settings).
    Program_Config(0x3F, 0x00, 0xFF, 0x33);
    Address(0x00, 0x02);
    Bus.Latch(Data_Code, 0x00);
    EXPECT_EQ(Pulse_2_5(0xFE, 0x33, 100000), 0xFF);
    EXPECT_DOUBLE_EQ(Sim.Strobes().back().Volts, 0.0);
}

// Family 4 at 12.5 V, socket 1: Vpp_Value BF, configuration A0/FD/B3.
TEST_F(SimEprom, QuickPulseTypeNeedsAboutOneMillisecond)
{
    Sim.Insert_Chip(1, "27C256");
    Program_Config(0xBF, 0xA0, 0xFD, 0xB3);
    Address(0xDF, 0xFF); // 0x7FFF
    Bus.Latch(Data_Code, 0x00);
    EXPECT_EQ(Pulse_4(0xF5, 0xB3, 500), 0xFF);
    EXPECT_EQ(Pulse_4(0xF5, 0xB3, 600), 0x00);
    EXPECT_EQ(Sim.Chip_Byte(1, 0x7FFF), 0x00);
    // 12 V (Latch_3 on, code 11 without bit 7) is below the chip's 12.5 V.
    Bus.Latch(Vpp_Code, 0x33);
    Address(0xDF, 0xFE);
    Bus.Latch(Data_Code, 0x00);
    EXPECT_EQ(Pulse_4(0xF5, 0x33, 5000), 0xFF);
}

// Family 1 at 25 V, socket 1: configuration 08/FF/03, Cur_Socket_Val F7.
TEST_F(SimEprom, Family1PulsesTheChipWhoseEnableIsInverted)
{
    Sim.Insert_Chip(1, "2716");
    Sim.Insert_Chip(2, "2716");
    Program_Config(0x0F, 0x08, 0xFF, 0x03);
    Address(0x08, 0x20);
    Bus.Latch(Data_Code, 0x0F);
    EXPECT_EQ(Pulse_1(0xF7, 0x03, 60000), 0x0F);
    EXPECT_EQ(Sim.Chip_Byte(2, 0x20), 0xFF);
    ASSERT_EQ(Sim.Strobes().size(), 1u);
    EXPECT_EQ(Sim.Strobes()[0].Socket, 1);

    // Forgetting the inversion strobes every chip at its deselected level:
    // socket 1 stays blank, socket 2 is programmed behind the program's back.
    Sim.Clear_Events();
    Address(0x08, 0x21);
    EXPECT_EQ(Pulse_1(0xF7, 0x03, 60000, false), 0xFF);
    EXPECT_EQ(Sim.Chip_Byte(2, 0x21), 0x0F);
    ASSERT_EQ(Sim.Strobes().size(), 1u);
    EXPECT_EQ(Sim.Strobes()[0].Socket, 2);
}

// Family 3 at 21 V, socket 1: configuration E0/FD/11 (Vpp_Latch bit 1 held low).
TEST_F(SimEprom, Family3StrobesOnAddHiBit6OnlyWithVppBit1Low)
{
    Sim.Insert_Chip(1, "27128");
    Program_Config(0x1F, 0xE0, 0xFD, 0x11);
    Address(0xC3, 0x45); // 0x2345
    Bus.Latch(Data_Code, 0x81);
    EXPECT_EQ(Pulse_3(0xF5, 0x11, 0xC3, 60000), 0x81);
    EXPECT_EQ(Sim.Chip_Byte(1, 0x2345), 0x81);
    // The same pulse with Vpp_Latch bit 1 left high is no program cycle.
    Address(0xC3, 0x46);
    EXPECT_EQ(Pulse_3(0xF5, 0x13, 0xC3, 60000), 0xFF);
    EXPECT_EQ(Sim.Strobes().size(), 1u);
}

// Family 5 at 12.5 V in socket 5: Cur_Vpp_Val B3 | 04.
TEST_F(SimEprom, Socket5ProgramsWithItsActiveHighEnable)
{
    Sim.Insert_Chip(5, "27C512");
    Program_Config(0xBF, 0x20, 0xFD, 0xB3);
    Address(0xDF, 0xFF); // 0xFFFF
    Bus.Latch(Data_Code, 0x12);
    EXPECT_EQ(Pulse_2_5(0xFD, 0xB7, 2 * Unit_Us), 0x12);
    EXPECT_EQ(Sim.Chip_Byte(5, 0xFFFF), 0x12);
    EXPECT_EQ(Sim.Strobes().back().Socket, 5);
}

TEST_F(SimEprom, ProgrammingOnlyClearsBitsAndEraseRestores)
{
    Sim.Set_Fast_Chips(true);
    Sim.Insert_Chip(1, "27C32");
    Program_Config(0xBF, 0x00, 0xFF, 0xB3);
    Address(0x00, 0x00);
    Bus.Latch(Data_Code, 0xF0);
    EXPECT_EQ(Pulse_2_5(0xF7, 0xB3, 1), 0xF0); // fast: any pulse
    Bus.Latch(Data_Code, 0x0F);
    EXPECT_EQ(Pulse_2_5(0xF7, 0xB3, 1), 0x00); // 1 -> 0 only
    Bus.Latch(Data_Code, 0xFF);
    EXPECT_EQ(Pulse_2_5(0xF7, 0xB3, 1), 0x00);
    Sim.Erase_Chip(1);
    EXPECT_EQ(Sim.Chip_Byte(1, 0), 0xFF);
}

TEST_F(SimEprom, FaultsStuckBitsAndSlowChip)
{
    TFault stuck1{TFaultKind::Stuck_At_1, 3, 0x0004, 2};
    TFault stuck0{TFaultKind::Stuck_At_0, 6, 0x0005, -1};
    TFault slow{TFaultKind::Slow_Pulses};
    Sim.Insert_Chip(1, "27C32", stuck1);
    Sim.Insert_Chip(2, "27C32", stuck0);
    Sim.Insert_Chip(3, "27C32", slow);
    Sim.Set_Fast_Chips(true);
    Program_Config(0xBF, 0x00, 0xFF, 0xB3);

    Address(0x00, 0x04);
    Bus.Latch(Data_Code, 0x00);
    EXPECT_EQ(Pulse_2_5(0xF7, 0xB3, 1000), 0x08); // first try: bit 3 holds
    EXPECT_EQ(Pulse_2_5(0xF7, 0xB3, 1000), 0x08); // second try
    EXPECT_EQ(Pulse_2_5(0xF7, 0xB3, 1000), 0x00); // third programs

    Address(0x00, 0x05);
    EXPECT_EQ(Read_Back(0xFE, 0xB3), 0xBF); // never blank
    EXPECT_EQ(Sim.Chip_Byte(2, 0x05), 0xBF);

    // Slow chip: ten times the 1 ms need, even with fast chips.
    Address(0x00, 0x06);
    Bus.Latch(Data_Code, 0x00);
    EXPECT_EQ(Pulse_2_5(0x7F, 0xB3, 5000), 0xFF);
    EXPECT_EQ(Pulse_2_5(0x7F, 0xB3, 5000), 0x00);
}

// A held line is the socket's, not the chip's: it acts on program pulses and
// reads alike.
TEST_F(SimEprom, HeldSocketLinesActOnPulsesAndReads)
{
    Sim.Insert_Chip(1, "27C32", {TFaultKind::Address_Line_0, 0, 0, -1, 7});
    Sim.Insert_Chip(2, "27C32", {TFaultKind::Data_Line_1, 5});
    Sim.Set_Fast_Chips(true);
    Program_Config(0xBF, 0x00, 0xFF, 0xB3);

    // 0085 with A7 held low: the pulse programs cell 0005, and 0085 reads it.
    Address(0x00, 0x85);
    Bus.Latch(Data_Code, 0x00);
    EXPECT_EQ(Pulse_2_5(0xF7, 0xB3, 1000), 0x00);
    EXPECT_EQ(Sim.Chip_Byte(1, 0x05), 0x00);
    EXPECT_EQ(Sim.Chip_Byte(1, 0x85), 0xFF);

    // D5 held high: the chip is never given a 0 there, nor read with one.
    Address(0x00, 0x10);
    EXPECT_EQ(Pulse_2_5(0xFE, 0xB3, 1000), 0x20);
    EXPECT_EQ(Sim.Chip_Byte(2, 0x10), 0x20);
    Sim.Set_Chip_Byte(2, 0x11, 0x00);
    Address(0x00, 0x11);
    EXPECT_EQ(Read_Back(0xFE, 0xB3), 0x20);

    EXPECT_THROW(Sim.Insert_Chip(3, "27C32", {TFaultKind::Address_Line_1, 0, 0, -1, 12}),
                 std::invalid_argument); // a 4K part has A0 to A11
}

} // namespace
} // namespace gang::sim::test
