// The adapter's last line of defence when the program dies of a fault.
//
// While the port is open the adapter may hold the programming voltage or an
// active program strobe.  A fatal fault (SIGSEGV, SIGBUS, SIGFPE, SIGILL,
// SIGABRT) would end the process with the latches as they were, so the
// platform's crash handler (platform/crash_handlers.h) first puts every armed
// adapter at rest through the port that is already open: the latch writes of
// Reset_Latches, then the control lines' rest level.  It runs inside a signal
// handler: no allocation, no lock, no Qt, only register writes and a clock
// read.
#pragma once

#include "link/port.h"

#include <cstdint>

namespace gang {

// Names an open port (data register at base) for the handlers; from a
// successful Port_Enable to the Port_Release.  Each port has a slot of its
// own in a fixed table, so two links in one process are both rested; false
// when every slot is taken.  The port must outlive the arming.  All arming
// happens on the thread that drives the ports.
bool Arm_Emergency_Rest(IPort_Registers& port, uint16_t base);
// That port's slot, if it has one, is freed.
void Disarm_Emergency_Rest(const IPort_Registers& port);

// The rest sequence itself, on the calling thread (the handlers' body;
// async-signal-safe as long as the port's register Write is).
void Emergency_Rest(IPort_Registers& port, uint16_t base) noexcept;

// Every armed port rested, each slot freed first (so a second fault inside
// the rest does not rest it again): the crash handler's body.
void Rest_Armed_Ports() noexcept;

} // namespace gang
