#include "sim/port_trace.h"

#include <cstdio>
#include <stdexcept>

namespace gang::sim {

std::string Trace_Line(bool write, uint16_t port, uint8_t value)
{
    char line[16];
    std::snprintf(line, sizeof line, "%c %04X %02X", write ? 'W' : 'R', unsigned(port),
                  unsigned(value));
    return line;
}

void TPortTrace::Open(const std::string& path)
{
    if (File.is_open())
        File.close();
    if (path.empty())
        return;
    File.open(path, std::ios::out | std::ios::trunc | std::ios::binary);
    if (!File)
        throw std::runtime_error("cannot open the port trace file '" + path + "'");
}

void TPortTrace::Record(bool write, uint16_t port, uint8_t value)
{
    if (!File.is_open())
        return;
    File << Trace_Line(write, port, value) << '\n';
}

} // namespace gang::sim
