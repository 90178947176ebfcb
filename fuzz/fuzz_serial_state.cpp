// The serial state's checks over any bytes: what they take holds returned
// serials that are unique and below next.
#include "session/serial.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    uint64_t next = 0;
    std::vector<uint64_t> returned;
    std::string what;
    if (gang::session::Parse_Serial_State(bytes, next, returned, what)) {
        if (!std::is_sorted(returned.begin(), returned.end()) ||
            std::adjacent_find(returned.begin(), returned.end()) != returned.end() ||
            (!returned.empty() && returned.back() >= next))
            std::abort();
        (void)gang::session::Serial_Ranges(returned);
    }
    return 0;
}
