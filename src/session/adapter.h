// How every program starts a session with the gang adapter, written once:
// the port the user chose (--port, or the ordinary search), or the simulated
// adapter with its options; the crash-time rest armed for whichever it is;
// and the search with its speed check.  gang-adapter, gang-adapter-sim,
// gang-adapter-cli and the test rigs all start here.
#pragma once

#include "devices/catalogue.h"
#include "link/link.h"
#include "link/port.h"
#include "sim/sim_adapter.h"
#include "sim/sim_options.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace gang::session {

class TAdapter {
public:
    // The PC's parallel port chosen by a --port text ("" or "auto": the
    // ordinary search).  nullptr, error set for the user, when the text
    // names no port.
    static std::unique_ptr<TAdapter> Hardware(const std::string& port_text, std::string& error);
    // The simulated adapter with its chips, trace and timing.  nullptr,
    // error set, when a socket names an unknown type or the trace cannot
    // be written.
    static std::unique_ptr<TAdapter> Simulated(const sim::TSimOptions& options, std::string& error);

    ~TAdapter();
    TAdapter(const TAdapter&) = delete;
    TAdapter& operator=(const TAdapter&) = delete;

    IPort& Port() { return *Port_; }
    // The one port the search probes; nothing for the ordinary search.
    std::optional<uint16_t> Chosen() const { return Chosen_; }
    // The simulated adapter; nullptr on the real port.
    sim::TSimAdapter* Sim() { return Sim_; }

    // As a user inserts chips for a new type: every socket not given with
    // --socket gets a fresh blank chip of it.  Nothing on the real port.
    void Fresh_Chips(const TDeviceType& type);
    // As an operator refills the whole gang between runs: Fresh_Chips, and
    // every socket given with --socket gets a fresh chip of its own type
    // with its fault again.
    void Refill(const TDeviceType& type);

private:
    TAdapter() = default;

    std::unique_ptr<IPort> Owned;
    IPort* Port_ = nullptr;
    sim::TSimAdapter* Sim_ = nullptr;
    std::optional<uint16_t> Chosen_;
    sim::TSimOptions Sim_Options;
};

// The search as every program runs it (TLink::Search): at the chosen port
// only when one is given, else the ordinary search.  True when found.
bool Search(TLink& link, std::optional<uint16_t> chosen, bool calibrate);

} // namespace gang::session
