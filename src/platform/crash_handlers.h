// The handlers of the faults that end a process (a segmentation fault, a bus
// error, an arithmetic or illegal-instruction trap, an abort).  Each first
// calls the rest routine given, then restores the fault's previous action
// (the default one in the programs) and raises it again, so the process ends
// as it would have, with the adapter at rest.
#pragma once

namespace gang {

// Installs the handlers once per process; a later call changes nothing.
// on_fault runs inside a signal handler: it must be async-signal-safe.
void Install_Crash_Handlers(void (*on_fault)() noexcept);

} // namespace gang
