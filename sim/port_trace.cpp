#include "sim/port_trace.h"

#include <cerrno>
#include <cstddef>
#include <stdexcept>

#include <fcntl.h>
#include <unistd.h>

namespace gang::sim {

namespace {

constexpr std::size_t Line_Chars = 9; // "W 0378 5A"
constexpr char Hex_Digits[] = "0123456789ABCDEF";

// Fills line[0 .. Line_Chars) without allocating.
void Format_Line(char* line, bool write, uint16_t port, uint8_t value)
{
    line[0] = write ? 'W' : 'R';
    line[1] = ' ';
    for (int i = 0; i < 4; ++i)
        line[2 + i] = Hex_Digits[(port >> (12 - 4 * i)) & 0xF];
    line[6] = ' ';
    line[7] = Hex_Digits[value >> 4];
    line[8] = Hex_Digits[value & 0xF];
}

} // namespace

std::string Trace_Line(bool write, uint16_t port, uint8_t value)
{
    char line[Line_Chars];
    Format_Line(line, write, port, value);
    return std::string(line, Line_Chars);
}

TPortTrace::~TPortTrace()
{
    Close();
}

void TPortTrace::Close()
{
    if (Fd >= 0)
        ::close(Fd);
    Fd = -1;
}

void TPortTrace::Open(const std::string& path)
{
    Close();
    if (path.empty())
        return;
    Fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (Fd < 0)
        throw std::runtime_error("cannot open the port trace file '" + path + "'");
}

void TPortTrace::Record(bool write, uint16_t port, uint8_t value)
{
    if (Fd < 0)
        return;
    char line[Line_Chars + 1];
    Format_Line(line, write, port, value);
    line[Line_Chars] = '\n';
    std::size_t done = 0;
    while (done < sizeof line) {
        const ssize_t n = ::write(Fd, line + done, sizeof line - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return; // a full disk ends the trace, not the simulation
        done += static_cast<std::size_t>(n);
    }
}

} // namespace gang::sim
