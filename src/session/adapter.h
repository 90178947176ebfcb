// How every program starts a session with the gang adapter, written once:
// the port the user chose (--port, or the ordinary search) or the simulated
// adapter (session/sim/simulated_adapter.h); the crash-time rest armed for
// whichever it is; and the search with its speed check.  gang-adapter,
// gang-adapter-sim, gang-adapter-cli and the test rigs all start here.
#pragma once

#include "devices/catalogue.h"
#include "link/link.h"
#include "link/port.h"
#include "session/port_request.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace gang::session {

class TAdapter {
public:
    // The PC's parallel port of the request.  nullptr, error set for the
    // user, when the request names no port.
    static std::unique_ptr<TAdapter> Hardware(const TPortRequest& request, std::string& error);

    virtual ~TAdapter();
    TAdapter(const TAdapter&) = delete;
    TAdapter& operator=(const TAdapter&) = delete;

    IPort& Port() { return *Port_; }
    // The one port the search probes; nothing for the ordinary search.
    std::optional<uint16_t> Chosen() const { return Chosen_; }
    // True for the simulated adapter.
    virtual bool Simulated() const { return false; }

    // As a user inserts chips for a new type: every socket not given with
    // --socket gets a fresh blank chip of it.  Nothing on the real port.
    virtual void Fresh_Chips(const TDeviceType& /*type*/) {}
    // As an operator refills the whole gang between runs: Fresh_Chips, and
    // every socket given with --socket gets a fresh chip of its own type
    // with its fault again.  Nothing on the real port.
    virtual void Refill(const TDeviceType& /*type*/) {}

protected:
    // The port is owned by the adapter (or, for a derived one, by the
    // object that derives it).
    TAdapter(std::unique_ptr<IPort> owned, IPort& port, std::optional<uint16_t> chosen);

private:
    std::unique_ptr<IPort> Owned;
    IPort* Port_ = nullptr;
    std::optional<uint16_t> Chosen_;
};

// The search as every program runs it (TLink::Search): at the chosen port
// only when one is given, else the ordinary search.  True when found.
bool Search(TLink& link, std::optional<uint16_t> chosen, bool calibrate);

} // namespace gang::session
