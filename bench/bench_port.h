// A port for the benchmarks: the port-access library calls all succeed and
// do nothing, so a benchmark measures only the program's own work.  Each
// benchmark decides what its registers do by overriding WriteByte/ReadByte.
#pragma once

#include "link/port.h"

#include <cstdint>
#include <string>

namespace gang::bench {

class TBenchPort : public IPort {
public:
    bool IsWinNT() override { return false; }
    void SetFastMode(bool) override {}
    void EnablePorts(uint16_t, uint16_t) override {}
    void DisablePorts(uint16_t, uint16_t) override {}
    int Inp(uint16_t) override { return 0xFF; }
    void Outp(uint16_t, int) override {}
    int GetLastState(std::string&) override { return 0; }
    void WriteByte(uint16_t, uint8_t) override {}
    uint8_t ReadByte(uint16_t) override { return 0xFF; }
};

} // namespace gang::bench
