// Where the simulated adapter is plugged in.
#pragma once

#include "sim/sim_adapter.h"

#include <cstdint>

namespace gang::test {

inline sim::TSimConfig Adapter_At(uint16_t base)
{
    sim::TSimConfig config;
    config.Base = base;
    return config;
}

// No adapter behind any port.
inline sim::TSimConfig No_Adapter()
{
    sim::TSimConfig config;
    config.Present = false;
    return config;
}

} // namespace gang::test
