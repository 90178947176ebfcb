// One session with the gang adapter for a front end that runs steps: the
// same link and device work the main window drives, with the front end's
// host and report.  The session searches as the window's start-up does,
// chooses the type and gang as the device list and gang list do, and runs
// the window's own operations one after another over one gang: a socket
// that failed a step sits out the later ones (the gang's state carries it).
#pragma once

#include "core/buffer.h"
#include "devices/catalogue.h"
#include "devices/device_work.h"
#include "link/host.h"
#include "link/link.h"
#include "link/port.h"
#include "link/report.h"
#include "session/serial.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace gang::session {

// Diagnose: each socket that failed program or verify read once more, after
// the other steps.
enum class TStep { Blank, Program, Verify, Read, Diagnose };

// "blank", "program", "verify", "read", "diagnose".
const char* Step_Name(TStep step);

// The steps of a program run: a blank check first when asked, the program,
// then the verify unless it is left out.
std::vector<TStep> Program_Steps(bool blank_first, bool verify);

class TGangSession {
public:
    // The host's timer ticks must reach Timer_Tick.
    TGangSession(IPort& port, IHost& host, IReport& report, TBuffer& buffer);
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
    int Gang() const { return Selection.Gang_Size; }
    int32_t Vpp_Code() const { return Selection.Vpp_Code; }

    // What a program run does about the EEPROMs' write protection.
    void Protection(TSdp_Mode mode) { Selection.Sdp = mode; }

    // A new gang in the sockets: every socket takes part again.
    void New_Run();

    // Runs one operation over the gang; nothing once stopped.
    void Run(TStep step);
    // After the run's steps: when it was stopped, every socket that has not
    // failed reads Stopped.
    void End_Run();

    // The Buffer the steps program and compare with.
    const TBuffer& Image() const { return Link.Buffer; }

    // Each socket's serial number written into its own bytes for the run's
    // steps (after New_Run); false (error set) when one does not fit.
    bool Give_Serials(const TSerialSettings& settings, const TSerialGrant& grant,
                      std::string& error);
    // The bytes socket k is to hold from the start of the range to end: the
    // Buffer's, with its own bytes in their place.
    std::vector<uint8_t> Socket_Image(int socket, int32_t end) const;

    // Socket k's result in the run (1-5).
    const TSocket_Result& Result(int socket) const { return Link.Gang_State().Result(socket); }

    // One socket read once more over the whole range, for its diagnosis.
    // False when the run is stopped, before or during the read.
    bool Read_Socket_Range(int socket, std::vector<uint8_t>& bytes);

    // The stop button: the operation in hand ends after its address, and no
    // further step runs.
    void Stop();
    bool Stopped() const { return Stop_Seen; }
    // The stop is over: the next run's steps run again.  For a front end
    // whose stop ends one run, not the session (the operator window); the
    // command line never resumes, so a stop ends its station.
    void Resume() { Stop_Seen = false; }

    // The host's timer tick (the link's ThreadedTimer1Timer).
    void Timer_Tick() { Link.ThreadedTimer1Timer(); }

    // The close steps: latches reset, control lines at rest, port given back.
    void Rest();
    // The same rest while the program keeps the port: a station that waits
    // for something other than the operator (the line's store).
    void Rest_Between_Runs();

private:
    TSelection Selection;
    TLink Link;
    TDeviceWork Work;
    bool Stop_Seen = false;
};

} // namespace gang::session
