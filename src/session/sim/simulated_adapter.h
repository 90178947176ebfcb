// The simulated gang adapter as a session's adapter: its sockets, chips,
// trace and timing from the simulator's options.  Only the programs that
// offer the simulator link it (gang-adapter-sim, gang-adapter-cli's --sim,
// the test rigs).
#pragma once

#include "session/adapter.h"
#include "sim/sim_adapter.h"
#include "sim/sim_options.h"

#include <memory>
#include <string>

namespace gang::session {

class TSimulatedAdapter : public TAdapter {
public:
    // nullptr, error set, when a socket names an unknown type or the trace
    // cannot be written.
    static std::unique_ptr<TSimulatedAdapter> Make(const sim::TSimOptions& options,
                                                   std::string& error);

    ~TSimulatedAdapter() override;
    bool Simulated() const override { return true; }
    void Fresh_Chips(const TDeviceType& type) override;
    void Refill(const TDeviceType& type) override;

    sim::TSimAdapter& Sim() { return Sim_; }

private:
    TSimulatedAdapter(sim::TSimAdapter* sim, const sim::TSimOptions& options);

    // The chips in the sockets put on the tray (--tray), before a refill.
    void Take_Out();

    sim::TSimAdapter& Sim_;
    sim::TSimOptions Options;
    int Refills = 0;
};

} // namespace gang::session
