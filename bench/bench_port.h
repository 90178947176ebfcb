// A port for the benchmarks: the port-access library calls all succeed and
// do nothing, so a benchmark measures only the program's own work.  Each
// benchmark decides what its registers do by overriding Write/Read.
#pragma once

#include "link/port.h"

#include <cstdint>
#include <string>

namespace gang::bench {

class TBenchPort : public IPort {
public:
    bool IsWinNT() override { return false; }
    void SetFastMode(bool) override {}
    void EnablePorts(uint16_t) override {}
    void DisablePorts(uint16_t) override {}
    uint8_t ReadEcr(uint16_t) override { return 0xFF; }
    void WriteEcr(uint16_t, uint8_t) override {}
    int GetLastState(std::string&) override { return 0; }
    void Write(uint16_t, TRegister, uint8_t) override {}
    uint8_t Read(uint16_t, TRegister) override { return 0xFF; }
};

} // namespace gang::bench
