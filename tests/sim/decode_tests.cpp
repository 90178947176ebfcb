// Socket enables, address mapping per family, programming voltage and the
// data-line sources, decoded by the adapter from the latch bits.
#include "raw_bus.h"
#include "sim/adapter_wiring.h"
#include "sim/socket_lines.h"
#include "sim/voltage.h"

#include <gtest/gtest.h>

namespace gang::sim::test {
namespace {

uint32_t Address_Seen(int family, uint8_t add_hi, uint8_t add_lo, uint32_t size)
{
    TLatches latches;
    latches.Add_Hi = add_hi;
    latches.Add_Lo = add_lo;
    return Decode_Address(latches, family, size);
}

TEST(SimDecode, HighAddressBitsPerFamily)
{
    // Values the program writes into Add_Hi_Latch for known addresses.
    EXPECT_EQ(Address_Seen(3, 0xC3, 0x45, 0x4000), 0x2345u); // inverted A13
    EXPECT_EQ(Address_Seen(8, 0xE1, 0x23, 0x8000), 0x4123u); // A14 on bit 7
    EXPECT_EQ(Address_Seen(8, 0x61, 0x23, 0x8000), 0x0123u);
    EXPECT_EQ(Address_Seen(5, 0xDF, 0xFF, 0x10000), 0xFFFFu);
    EXPECT_EQ(Address_Seen(4, 0xDF, 0xFF, 0x8000), 0x7FFFu);
    EXPECT_EQ(Address_Seen(2, 0x0F, 0xFF, 0x1000), 0x0FFFu);
    EXPECT_EQ(Address_Seen(1, 0x0F, 0xFF, 0x0800), 0x07FFu); // bit 3 is no address
    EXPECT_EQ(Address_Seen(6, 0x0D, 0x10, 0x0800), 0x0510u);
    // Families 3, 4, 5 and 8 carry A13 inverted: a plain A13 lands elsewhere.
    EXPECT_EQ(Address_Seen(4, 0xA0, 0x00, 0x8000), 0x0000u);
    EXPECT_EQ(Address_Seen(4, 0x80, 0x00, 0x8000), 0x2000u);
    // A 2764 has no A13 pin; the 27128 on the same wiring has.
    EXPECT_EQ(Address_Seen(3, 0xC0, 0x00, 0x2000), 0x0000u);
    EXPECT_EQ(Address_Seen(3, 0xC0, 0x00, 0x4000), 0x2000u);
}

TEST(SimDecode, ProgrammingVoltageFromLatch3AndVppCode)
{
    EXPECT_DOUBLE_EQ(Vpp_Setting_Volts(0x80, 0x0F), 25.0);
    EXPECT_DOUBLE_EQ(Vpp_Setting_Volts(0x80, 0x1F), 21.0);
    EXPECT_DOUBLE_EQ(Vpp_Setting_Volts(0x80, 0xBF), 12.5);
    EXPECT_DOUBLE_EQ(Vpp_Setting_Volts(0x80, 0x3F), 12.0);
    // The 12 V and 5 V settings leave Latch_3 clear: no programming voltage.
    EXPECT_DOUBLE_EQ(Vpp_Setting_Volts(0x00, 0x3F), No_Vpp);
    EXPECT_DOUBLE_EQ(Vpp_Setting_Volts(0x00, 0x0F), No_Vpp);
    // Only program mode (Vpp_Latch bit 3 low) puts it on the chips.
    EXPECT_DOUBLE_EQ(Applied_Vpp_Volts(0x80, 0x03), 25.0);
    EXPECT_DOUBLE_EQ(Applied_Vpp_Volts(0x80, 0x0B), No_Vpp);
    EXPECT_DOUBLE_EQ(Applied_Vpp_Volts(0x80, 0xB3), 12.5);
}

TEST(SimDecode, SocketEnablesAndTheirSense)
{
    TLatches latches;
    latches.Socket = 0xFF;
    latches.Vpp = 0x00;
    for (int socket = 1; socket <= 5; ++socket)
        EXPECT_FALSE(Enable_Selected(latches, socket)) << socket;
    const uint8_t low_enable[] = {0xF7, 0xFE, 0x7F, 0xFB};
    for (int socket = 1; socket <= 4; ++socket) {
        latches.Socket = low_enable[socket - 1];
        for (int other = 1; other <= 5; ++other)
            EXPECT_EQ(Enable_Selected(latches, other), other == socket) << socket << other;
    }
    latches.Socket = 0xFF;
    latches.Vpp = 0x04; // socket 5 is active high
    for (int other = 1; other <= 5; ++other)
        EXPECT_EQ(Enable_Selected(latches, other), other == 5);
}

// Read configuration of a 28-pin family at 5 V with one socket selected.
void Select_For_Read(TRawBus& bus, uint8_t socket_latch, uint8_t vpp_latch, uint8_t add_hi,
                     uint8_t add_lo)
{
    bus.Latch(L3_Code, 0x00);
    bus.Latch(Add_Hi_Code, add_hi);
    bus.Latch(Add_Lo_Code, add_lo);
    bus.Latch(Socket_Code, socket_latch);
    bus.Latch(Vpp_Code, vpp_latch);
}

TEST(SimReadPath, SelectedSocketDrivesTheBusThroughItsFamilyMapping)
{
    TSimAdapter sim;
    sim.Insert_Chip(1, "28C256");
    sim.Insert_Chip(5, "27C512");
    sim.Set_Chip_Byte(1, 0x4123, 0x77);
    sim.Set_Chip_Byte(5, 0xDFFF, 0x42);
    TRawBus bus(sim);
    Select_For_Read(bus, 0xE5, 0x3B, 0xE1, 0x23); // socket 1, family 8 at 0x4123
    EXPECT_EQ(bus.Read(), 0x77);
    // Socket 5: enable is Vpp_Latch bit 2 high; sockets 1-4 deselected.
    Select_For_Read(bus, 0xED, 0x3F, 0xFF, 0xFF); // family 5: bit 5 high = A13 low
    EXPECT_EQ(bus.Read(), 0x42);
    bus.Latch(Vpp_Code, 0x3B); // socket 5 deselected: nothing drives
    EXPECT_EQ(bus.Read(), 0xFF);
    // Outputs disabled (Socket_Latch bit 4) or read mode off: no chip answers.
    Select_For_Read(bus, 0xF5, 0x3B, 0xE1, 0x23);
    EXPECT_EQ(bus.Read(), 0xFF);
    Select_For_Read(bus, 0xE5, 0x33, 0xE1, 0x23);
    bus.Latch(Data_Code, 0x5A);
    EXPECT_EQ(bus.Read(), 0x5A); // program mode: the data latch drives
    EXPECT_EQ(sim.Bus_Conflicts(), 0u);
    EXPECT_EQ(sim.Wiring_Faults(), 0u);
}

TEST(SimReadPath, TwoSelectedSocketsConflict)
{
    TSimAdapter sim;
    sim.Insert_Chip(1, "27C64");
    sim.Insert_Chip(2, "27C64");
    sim.Set_Chip_Byte(1, 0, 0xF0);
    sim.Set_Chip_Byte(2, 0, 0x3C);
    TRawBus bus(sim);
    Select_For_Read(bus, 0xE4, 0x3B, 0xE0, 0x00); // sockets 1 and 2 selected
    EXPECT_EQ(bus.Read(), 0x30);
    EXPECT_EQ(sim.Bus_Conflicts(), 1u);
    bus.Latch(Socket_Code, 0xE5); // socket 1 only
    EXPECT_EQ(bus.Read(), 0xF0);
    EXPECT_EQ(sim.Bus_Conflicts(), 1u);
    // Empty sockets selected alongside do not drive.
    bus.Latch(Socket_Code, 0x61); // sockets 1, 3, 4 selected; 3 and 4 empty
    EXPECT_EQ(bus.Read(), 0xF0);
    EXPECT_EQ(sim.Bus_Conflicts(), 1u);
}

TEST(SimReadPath, WrongPackageBitOrFixedLevelReadsGarbageAndIsCounted)
{
    TSimAdapter sim;
    sim.Insert_Chip(1, "27C256"); // 28-pin: Socket_Latch bit 1 must be 0
    sim.Insert_Chip(2, "2716");   // Add_Hi bit 3 is its Vpp pin: must rest at 1
    TRawBus bus(sim);
    Select_For_Read(bus, 0xE7, 0x3B, 0xA0, 0x00); // bit 1 set: 24-pin wiring
    EXPECT_NE(bus.Read(), 0xFF);
    EXPECT_EQ(sim.Wiring_Faults(), 1u);
    Select_For_Read(bus, 0xEE, 0x3B, 0x00, 0x00); // socket 2, 24-pin, Vpp pin low
    EXPECT_NE(bus.Read(), 0xFF);
    EXPECT_EQ(sim.Wiring_Faults(), 2u);
    bus.Latch(Add_Hi_Code, 0x08);
    EXPECT_EQ(bus.Read(), 0xFF); // right: an erased 2716
    EXPECT_EQ(sim.Wiring_Faults(), 2u);
}

} // namespace
} // namespace gang::sim::test
