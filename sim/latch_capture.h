// Latch capture: the adapter clocks the data register into the latch whose
// select code sits on control bits 0, 1 and 3 when control bit 2 rises.  The
// select code must already be on the lines in the write before the rising edge
// (the decoder needs its set-up time); a code that appears together with the
// edge clocks nothing and is counted as a set-up violation.
#pragma once

#include "sim/adapter_wiring.h"

#include <cstdint>

namespace gang::sim {

class TLatchCapture {
public:
    // A write to the control register.  Returns the index of the latch that
    // captured data_register, or -1 when nothing was captured.
    int On_Control(uint8_t control, uint8_t data_register, TLatches& latches);

    uint8_t Control() const { return Control_Register; }
    uint64_t Setup_Violations() const { return Violations; }
    void Clear_Counters() { Violations = 0; }

private:
    uint8_t Control_Register = 0x00;
    uint64_t Violations = 0;
};

} // namespace gang::sim
