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

inline void Strobe_Latch(IPort& port, uint16_t data_port, uint8_t select, uint8_t value) noexcept
{
    const auto control = static_cast<uint16_t>(data_port + 2);
    const auto strobed = static_cast<uint8_t>(select | latch::Strobe);
    port.WriteByte(data_port, value);
    port.WriteByte(control, select);
    port.WriteByte(control, strobed);
    port.WriteByte(control, strobed); // held for a second bus cycle
    port.WriteByte(control, select);
    port.WriteByte(control, latch::Control_Idle);
}

} // namespace gang
