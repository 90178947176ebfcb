#include "link/emergency_rest.h"

#include "link/latch_strobe.h"
#include "link/latches.h"

#include <atomic>
#include <chrono>

namespace gang {

namespace {

constexpr long Rest_Low_Ns = 1000000; // the 1 ms low phase of Bus_Rest

// One slot per open port, so every link of the process keeps its own
// protection.  Fixed: the handler reads it without a lock or allocation.
constexpr int Slot_Count = 8;
struct TArmed {
    std::atomic<IPort_Registers*> Port{nullptr};
    std::atomic<uint16_t> Base{0};
};
TArmed Armed[Slot_Count];
static_assert(std::atomic<IPort_Registers*>::is_always_lock_free, "read from a signal handler");
static_assert(std::atomic<uint16_t>::is_always_lock_free, "read from a signal handler");

void Spin_Ns(long ns) noexcept
{
    // The monotonic clock reads without a lock or a system call that could
    // block: safe inside a signal handler.
    const auto start = std::chrono::steady_clock::now();
    while (std::chrono::steady_clock::now() - start < std::chrono::nanoseconds(ns)) {
    }
}

} // namespace

void Emergency_Rest(IPort_Registers& port, uint16_t base) noexcept
{
    for (const latch::TLatch_Value& l : latch::Reset_Sequence)
        Strobe_Latch(port, base, l.Select, l.Value);
    Spin_Ns(Rest_Low_Ns);
    port.Write(base, TRegister::Control, latch::Control_Rest);
}

void Rest_Armed_Ports() noexcept
{
    for (TArmed& slot : Armed) {
        IPort_Registers* port = slot.Port.exchange(nullptr);
        if (port != nullptr)
            Emergency_Rest(*port, slot.Base.load());
    }
}

bool Arm_Emergency_Rest(IPort_Registers& port, uint16_t base)
{
    // A port armed again (a new search) takes its slot back first.
    Disarm_Emergency_Rest(port);
    for (TArmed& slot : Armed) {
        if (slot.Port.load() != nullptr)
            continue;
        // The base first: the handler reads only slots that name a port.
        slot.Base.store(base);
        slot.Port.store(&port);
        return true;
    }
    return false;
}

void Disarm_Emergency_Rest(const IPort_Registers& port)
{
    for (TArmed& slot : Armed) {
        IPort_Registers* expected = const_cast<IPort_Registers*>(&port);
        slot.Port.compare_exchange_strong(expected, nullptr);
    }
}

} // namespace gang
