// Drives the simulated adapter with raw port sequences, the way the wire
// protocol does: a latch write is the byte on the data register, then the
// select code, the code with the strobe bit (twice), the code, and 0 on the
// control register; a read is control 0, status, control 4, status, control 0.
#pragma once

#include "sim/sim_adapter.h"

#include <cstdint>

namespace gang::sim::test {

constexpr uint8_t Socket_Code = 0x01;
constexpr uint8_t Vpp_Code = 0x02;
constexpr uint8_t L3_Code = 0x03;
constexpr uint8_t Add_Lo_Code = 0x09;
constexpr uint8_t Data_Code = 0x0A;
constexpr uint8_t Add_Hi_Code = 0x0B;

class TRawBus {
public:
    explicit TRawBus(TSimAdapter& sim, uint16_t base = 0x378) : Sim(sim), Base(base) {}

    void Latch(uint8_t code, uint8_t value)
    {
        Sim.WriteByte(Base, value);
        Sim.WriteByte(Control(), code);
        Sim.WriteByte(Control(), code | 0x04);
        Sim.WriteByte(Control(), code | 0x04);
        Sim.WriteByte(Control(), code);
        Sim.WriteByte(Control(), 0x00);
    }

    uint8_t Read()
    {
        Sim.WriteByte(Control(), 0x00);
        const uint8_t high = Sim.ReadByte(Status());
        Sim.WriteByte(Control(), 0x04);
        const uint8_t low = Sim.ReadByte(Status());
        Sim.WriteByte(Control(), 0x00);
        return static_cast<uint8_t>(((high ^ 0x80) & 0xF0) | ((low ^ 0x80) >> 4));
    }

    // Data_Latch written and read back with the data latch driving the bus.
    bool Port_Test(uint8_t pattern)
    {
        Latch(L3_Code, 0x00);
        Latch(Vpp_Code, 0x7F);
        Latch(Socket_Code, 0x62);
        Latch(Add_Hi_Code, 0x20);
        Latch(Add_Lo_Code, 0x00);
        Latch(Vpp_Code, 0xB7);
        Latch(Data_Code, pattern);
        return Read() == pattern;
    }

    // n accesses that do nothing to the adapter (reads of the data register).
    void Idle_Accesses(int n)
    {
        for (int i = 0; i < n; ++i)
            Sim.ReadByte(Base);
    }

    uint16_t Control() const { return static_cast<uint16_t>(Base + 2); }
    uint16_t Status() const { return static_cast<uint16_t>(Base + 1); }

private:
    TSimAdapter& Sim;
    uint16_t Base;
};

// A clock the test moves by hand.
struct TFakeClock {
    double Now_Us = 1000.0;
    void Attach(TSimAdapter& sim)
    {
        sim.Set_Clock([this] { return Now_Us; });
    }
};

} // namespace gang::sim::test
