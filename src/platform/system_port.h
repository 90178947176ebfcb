// The PC's own parallel ports, as the system offers them.
//
// The kernel lists its parallel ports under /proc/sys/dev/parport/parportN
// (base-addr: the base address first) and offers each as /dev/parportN.
// Both are looked up under a root directory ("/" on a real system; a test
// lays out a tree of its own).
#pragma once

#include "link/port.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace gang {

// One parallel port the system lists.
struct TParport {
    int Index = 0;     // the N of parportN
    uint16_t Base = 0; // first number of its base-addr
    std::string Node;  // <root>/dev/parportN (it may not exist)
};

// Every port under <root>/proc/sys/dev/parport, by index.
std::vector<TParport> List_Parports(const std::string& root = "/");
// The listed port with that base, or with that index.
std::optional<TParport> Find_Parport_At(uint16_t base, const std::string& root = "/");
std::optional<TParport> Find_Parport_Index(int index, const std::string& root = "/");

// The ports through the system's own access (the kernel's port device, or
// direct access taken at start-up), each locked for this program while used.
std::unique_ptr<IPort> Open_System_Port();

} // namespace gang
