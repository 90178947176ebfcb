// Port presence, latch capture and the nibble read path.
#include "raw_bus.h"

#include <gtest/gtest.h>

namespace gang::sim::test {
namespace {

TEST(SimPort, PortTestPassesOnlyAtTheConfiguredBase)
{
    for (uint16_t base : {0x278, 0x378, 0x3BC}) {
        TSimAdapter sim({base});
        for (uint16_t probe : {0x278, 0x378, 0x3BC}) {
            TRawBus bus(sim, probe);
            const bool found = bus.Port_Test(0xA5) && bus.Port_Test(0x5A);
            EXPECT_EQ(found, probe == base) << std::hex << "adapter " << base << " probe " << probe;
        }
    }
}

TEST(SimPort, NoAdapterFloatsAndACardAnswersOnlyAtItsBase)
{
    TSimConfig none;
    none.Present = false;
    TSimAdapter absent(none);
    TSimAdapter card({0x3F8}); // an add-in card: the system lists its port
    for (uint16_t base : {0x278, 0x378, 0x3BC, 0x3F8}) {
        TRawBus bus(absent, base);
        EXPECT_FALSE(bus.Port_Test(0xA5));
        EXPECT_EQ(absent.ReadByte(base + 1), 0xFF); // status lines float high
        if (base != 0x3F8) {
            TRawBus empty(card, base);
            EXPECT_FALSE(empty.Port_Test(0xA5));
        }
    }
    TRawBus bus(card, 0x3F8);
    EXPECT_TRUE(bus.Port_Test(0xA5));
    EXPECT_EQ(card.OtherPorts(), std::vector<uint16_t>{0x3F8});
    EXPECT_TRUE(absent.OtherPorts().empty());
    EXPECT_TRUE(TSimAdapter().OtherPorts().empty()); // at 378: a legacy port
}

TEST(SimPort, EcrIsAPlainRegisterAtBasePlus402)
{
    TSimAdapter sim;
    const int saved = sim.ReadEcr(0x378);
    sim.WriteEcr(0x378, 0x00);
    EXPECT_EQ(sim.ReadEcr(0x378), 0x00);
    sim.WriteEcr(0x378, static_cast<uint8_t>(saved));
    EXPECT_EQ(sim.ReadEcr(0x378), saved);
    EXPECT_EQ(sim.ReadEcr(0x278), 0xFF); // no port there
    EXPECT_EQ(sim.Access_Violations(), 0u);
    sim.SetFastMode(true);
    sim.ReadEcr(0x378);
    EXPECT_EQ(sim.Access_Violations(), 1u); // the slow path wants fast mode off
}

TEST(SimPort, GuardedSystemDropsAccessOutsideEnabledRange)
{
    TSimConfig config;
    config.Win_Nt = true;
    TSimAdapter sim(config);
    EXPECT_TRUE(sim.IsWinNT());
    TRawBus bus(sim);
    EXPECT_FALSE(bus.Port_Test(0xA5));
    EXPECT_GT(sim.Access_Violations(), 0u);
    sim.EnablePorts(0x378);
    EXPECT_TRUE(bus.Port_Test(0xA5));
    sim.DisablePorts(0x378);
    EXPECT_FALSE(bus.Port_Test(0x5A));
}

TEST(SimLatch, EachSelectCodeWritesItsOwnLatchOnly)
{
    const uint8_t codes[] = {Socket_Code, Vpp_Code, L3_Code, Add_Lo_Code, Data_Code, Add_Hi_Code};
    for (uint8_t code : codes) {
        TSimAdapter sim;
        TRawBus bus(sim);
        bus.Latch(code, 0x3C);
        for (uint8_t other : codes) {
            EXPECT_EQ(sim.Latch_Writes(other), other == code ? 1u : 0u);
            if (other == code) {
                EXPECT_EQ(sim.Latch(other), 0x3C);
            }
        }
    }
}

TEST(SimLatch, WrongCodeMissingStrobeOrLateCodeWriteNothing)
{
    TSimAdapter sim;
    const uint8_t before = sim.Latch(Data_Code);
    // Select codes 0x00 and 0x08 address no latch.
    TRawBus bus(sim);
    bus.Latch(0x00, 0x11);
    bus.Latch(0x08, 0x22);
    // No strobe edge: code only.
    sim.WriteByte(0x378, 0x33);
    sim.WriteByte(0x37A, Data_Code);
    sim.WriteByte(0x37A, 0x00);
    // Strobe already high: no rising edge.
    sim.WriteByte(0x37A, 0x04);
    sim.WriteByte(0x37A, Data_Code | 0x04);
    sim.WriteByte(0x37A, 0x00);
    EXPECT_EQ(sim.Latch(Data_Code), before);
    EXPECT_EQ(sim.Setup_Violations(), 0u);
    // Select code arriving together with the edge: no set-up time.
    sim.WriteByte(0x37A, 0x00);
    sim.WriteByte(0x37A, Data_Code | 0x04);
    sim.WriteByte(0x37A, 0x00);
    EXPECT_EQ(sim.Latch(Data_Code), before);
    EXPECT_EQ(sim.Setup_Violations(), 1u);
    for (uint8_t code : {Socket_Code, Vpp_Code, L3_Code, Add_Lo_Code, Data_Code, Add_Hi_Code})
        EXPECT_EQ(sim.Latch_Writes(code), 0u);
}

TEST(SimLatch, CaptureTakesTheDataRegisterAtTheRisingEdge)
{
    TSimAdapter sim;
    sim.WriteByte(0x378, 0x12);
    sim.WriteByte(0x37A, Add_Lo_Code);
    sim.WriteByte(0x37A, Add_Lo_Code | 0x04);
    sim.WriteByte(0x378, 0x34); // changed while the strobe is high: too late
    sim.WriteByte(0x37A, Add_Lo_Code);
    EXPECT_EQ(sim.Latch(Add_Lo_Code), 0x12);
}

TEST(SimReadPath, HighNibbleWithStrobeLowLowNibbleWithStrobeHighBit7Inverted)
{
    TSimAdapter sim;
    TRawBus bus(sim);
    bus.Latch(Vpp_Code, 0xB7); // program mode: Data_Latch drives the lines
    bus.Latch(Data_Code, 0xA5);
    sim.WriteByte(0x37A, 0x00);
    EXPECT_EQ(sim.ReadByte(0x379) & 0xF0, 0x20); // A with bit 7 inverted
    sim.WriteByte(0x37A, 0x04);
    EXPECT_EQ(sim.ReadByte(0x379) & 0xF0, 0xD0); // 5 with bit 7 inverted
    sim.WriteByte(0x37A, 0x00);
    EXPECT_EQ(bus.Read(), 0xA5);
}

TEST(SimRest, PowersUpAtRestAndReportsLeavingIt)
{
    TSimAdapter sim;
    EXPECT_TRUE(sim.At_Rest());
    TRawBus bus(sim);
    bus.Latch(L3_Code, 0x80);
    EXPECT_FALSE(sim.At_Rest());
    bus.Latch(L3_Code, 0x00);
    bus.Latch(Vpp_Code, 0x3F);
    EXPECT_FALSE(sim.At_Rest());
    bus.Latch(Vpp_Code, 0x7F);
    EXPECT_TRUE(sim.At_Rest());
}

TEST(SimCounters, AccessesTimeAndTouchedPorts)
{
    TSimConfig config;
    config.Access_Us = 2.0;
    TSimAdapter sim(config);
    TRawBus bus(sim);
    bus.Latch(Data_Code, 0x01); // 6 accesses
    bus.Read();                 // 5 accesses
    EXPECT_EQ(sim.Port_Accesses(), 11u);
    EXPECT_DOUBLE_EQ(sim.Simulated_Port_Time_Us(), 22.0);
    EXPECT_TRUE(sim.Touched(0x378));
    EXPECT_TRUE(sim.Touched(0x379));
    EXPECT_FALSE(sim.Touched(0x278));
    sim.Clear_Events();
    EXPECT_EQ(sim.Port_Accesses(), 0u);
    EXPECT_FALSE(sim.Touched(0x378));
    EXPECT_DOUBLE_EQ(sim.Simulated_Port_Time_Us(), 22.0); // the clock runs on
}

} // namespace
} // namespace gang::sim::test
