// One latch write on the wire: the byte on the data register, then the
// latch's select code on the control register with the strobe raised for two
// bus cycles, and the control register back at idle.  Shared by the link and
// by the emergency rest of a dying process, so it touches nothing but the
// port.
#pragma once

#include "link/latches.h"
#include "link/port.h"

#include <cstdint>

namespace gang {

inline void Strobe_Latch(IPort_Registers& port, uint16_t base, uint8_t select,
                         uint8_t value) noexcept
{
    const auto strobed = static_cast<uint8_t>(select | latch::Strobe);
    port.Write(base, TRegister::Data, value);
    port.Write(base, TRegister::Control, select);
    port.Write(base, TRegister::Control, strobed);
    port.Write(base, TRegister::Control, strobed); // held for a second bus cycle
    port.Write(base, TRegister::Control, select);
    port.Write(base, TRegister::Control, latch::Control_Idle);
}

} // namespace gang
