// A chip in a socket: its cells and how it answers reads and strobes.  The
// adapter decodes the pins (socket_lines.h) and hands the chip only what its
// pins see.
#pragma once

#include "sim/chip_types.h"
#include "sim/sim_adapter.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace gang::sim {

// The two clocks at the moment of an access.  The real (injectable) clock is
// read only when a chip needs it.
class TChipTime {
public:
    TChipTime(double access_us, const std::function<double()>& clock)
        : Access(access_us), Clock_Fn(clock)
    {
    }
    double Access_Us() const { return Access; } // simulated port clock
    double Clock_Us() const;                    // injectable clock
private:
    double Access;
    const std::function<double()>& Clock_Fn;
    mutable bool Have_Clock = false;
    mutable double Clock_Value = 0;
};

// One effective program or write strobe as the chip saw it.
struct TChipStrobe {
    uint32_t Address; // at the start of the strobe
    uint8_t Data;     // on the data lines at its end
    double Width_Us;
    double Volts;
};

// What a strobe did to the chip beyond writing it, counted by the adapter.
enum class TStrobe_Harm {
    None,
    Overvoltage, // a voltage above what the chip tolerates: nothing written
    Slow_Unlock, // a software-protection disable whose next byte came too late
};

class TChip {
public:
    TChip(const TChipType& type, const TFault& fault);
    virtual ~TChip() = default;

    const TChipType& Type() const { return Kind; }
    const TFault& Fault() const { return Fault_Spec; }

    // The byte the chip drives for a read of address.  first_nibble marks a new
    // read cycle (the adapter samples the byte twice per read).
    virtual uint8_t Read(uint32_t address, bool first_nibble, const TChipTime& now) = 0;
    // An effective strobe ended.  Returns the harm it did, if any.
    virtual TStrobe_Harm Strobe(const TChipStrobe& strobe, const TChipTime& now) = 0;
    // Time passes (called before every port access).
    virtual void Advance(const TChipTime& now) { (void)now; }
    virtual void Erase();
    virtual void Set_Fast(bool fast) { Fast = fast; }

    // What the chip's pins see through a socket with a line held at a level
    // (the line faults): the address of a read or strobe, and the data
    // lines, both ways.  Unchanged without such a fault.
    uint32_t Pin_Address(uint32_t address) const;
    uint8_t Pin_Data(uint8_t data) const;

    // The cells as stored, with permanently stuck-at-0 bits applied.
    uint8_t Cell(uint32_t address) const;
    void Set_Cell(uint32_t address, uint8_t value);

protected:
    // Stuck-at-0 fault applied to a read of address; counts the read when
    // first_nibble is set.
    uint8_t Apply_Read_Fault(uint32_t address, uint8_t value, bool first_nibble);
    // A stuck-at-1 fault keeps its bit from programming on this try at address.
    bool Stuck_1_Holds(uint32_t address);
    static bool Within_Times(int times, uint64_t count)
    {
        return times < 0 || count <= static_cast<uint64_t>(times);
    }

    const TChipType& Kind;
    TFault Fault_Spec;
    std::vector<uint8_t> Cells;
    bool Fast = false;
    uint64_t Reads_At_Fault = 0;
    uint64_t Tries_At_Fault = 0;
};

} // namespace gang::sim
