// Trace of port accesses, one line each: "W 0378 5A" for a write of 5A to port
// 0378, "R 0379 7F" for a read that returned 7F (upper-case hex, four-digit
// port, two-digit value), each line ended by "\n".
#pragma once

#include <cstdint>
#include <fstream>
#include <string>

namespace gang::sim {

// The trace line of one access, without the line end.
std::string Trace_Line(bool write, uint16_t port, uint8_t value);

class TPortTrace {
public:
    TPortTrace() = default;
    ~TPortTrace();
    TPortTrace(const TPortTrace&) = delete;
    TPortTrace& operator=(const TPortTrace&) = delete;

    // Starts tracing into path (truncated); "" stops tracing.  Throws
    // std::runtime_error when the file cannot be opened.
    void Open(const std::string& path);
    void Record(bool write, uint16_t port, uint8_t value);
    bool Active() const { return Fd >= 0; }

private:
    void Close();
    int Fd = -1;
};

} // namespace gang::sim
