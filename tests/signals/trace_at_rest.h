// The end of a port trace ("W 0378 5A" lines) checked on the simulated
// adapter: the traced writes replayed into a fresh one must have raised the
// programming voltage at some point and left every latch and the control
// lines at rest.
#pragma once

#include "link/latches.h"
#include "sim/sim_adapter.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>

namespace gang {

// Replays the traced writes into a second simulated adapter and checks where
// the latches and the control lines were left.
inline void Expect_Trace_Ends_At_Rest(const std::string& trace, uint16_t base)
{
    sim::TSimConfig config;
    config.Base = base; // the replay answers where the traced adapter did
    sim::TSimAdapter replay(config);
    std::ifstream in(trace);
    std::string line;
    bool energised = false;
    int control = -1;
    while (std::getline(in, line)) {
        char kind = 0;
        unsigned port = 0, value = 0;
        if (std::sscanf(line.c_str(), "%c %x %x", &kind, &port, &value) != 3 || kind != 'W')
            continue;
        replay.WriteByte(static_cast<uint16_t>(port), static_cast<uint8_t>(value));
        energised = energised || !replay.At_Rest();
        if (port == base + 2u)
            control = static_cast<int>(value);
    }
    EXPECT_TRUE(energised) << "the trace never shows the programming voltage";
    EXPECT_EQ(replay.Latch(latch::Latch_3), latch::Reset_Latch_3);
    EXPECT_EQ(replay.Latch(latch::Vpp_Latch), latch::Reset_Vpp);
    EXPECT_EQ(replay.Latch(latch::Socket_Latch), latch::Reset_Socket);
    EXPECT_EQ(replay.Latch(latch::Add_Hi_Latch), latch::Reset_Add_Hi);
    EXPECT_EQ(replay.Latch(latch::Add_Lo_Latch), latch::Reset_Add_Lo);
    EXPECT_EQ(control, latch::Control_Rest);
}

} // namespace gang
