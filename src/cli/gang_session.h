// One headless session with the gang adapter: the same link and device work
// the window drives, with a command line's host and report.  The session
// searches as the window's start-up does, chooses the type and gang as the
// device list and gang list do, and runs the window's own operations one
// after another; a socket that failed a step sits out the later ones, as a
// failed socket sits out the rest of a run in the window.
#pragma once

#include "cli/cli_host.h"
#include "cli/cli_report.h"
#include "core/buffer.h"
#include "devices/catalogue.h"
#include "devices/device_work.h"
#include "link/link.h"
#include "link/port.h"
#include "link/report.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace gang::cli {

enum class TStep { Blank, Program, Verify, Read };

// "blank", "program", "verify", "read".
const char* Step_Name(TStep step);

class TGangSession {
public:
    TGangSession(IPort& port, TBuffer& buffer, TProgress& progress);
    TGangSession(const TGangSession&) = delete;
    TGangSession& operator=(const TGangSession&) = delete;

    // The window's search (only at chosen when given); with calibrate, the
    // speed check that sets the pulse unit follows.  True when found.
    bool Find_Adapter(std::optional<uint16_t> chosen, bool calibrate);
    uint16_t Base() const { return Link.DataPort; }
    uint32_t Pulse_Unit() const { return Link.Pulse_Unit; }
    const std::vector<uint16_t>& Ports_In_Use() const { return Link.Ports_In_Use; }

    // The type from the device list, then the gang size; then the voltage
    // as the Vpp button would leave it.
    void Choose(const TDeviceType& type, int gang, int32_t vpp_code);

    // What a program run does about the EEPROMs' write protection.
    void Protection(TSdp_Mode mode) { Selection.Sdp = mode; }

    // A new gang in the sockets: every socket's results cleared, so that
    // each takes part again.
    void New_Run();

    // Runs one operation over the gang.
    void Run(TStep step);

    // One socket read once more over the whole range, for its diagnosis.
    // False when the run is stopped, before or during the read.
    bool Read_Socket_Range(int socket, std::vector<uint8_t>& bytes);

    // The stop button: the operation in hand ends after its address, and no
    // further step runs.
    void Stop();
    bool Stopped() const { return Stop_Seen; }

    // The close steps: latches reset, control lines at rest, port given back.
    void Rest();

    TCliReport Report;

private:
    TSelection Selection;
    TCliHost Host;
    TLink Link;
    TDeviceWork Work;
    bool Stop_Seen = false;
};

} // namespace gang::cli
