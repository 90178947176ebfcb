#include "link/emergency_rest.h"

#include "link/latch_strobe.h"
#include "link/latches.h"

#include <atomic>
#include <csignal>
#include <ctime>

namespace gang {

namespace {

constexpr int Fatal_Signals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT};
constexpr int Fatal_Count = sizeof Fatal_Signals / sizeof Fatal_Signals[0];
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

std::atomic<bool> Installed{false};
struct sigaction Previous[Fatal_Count];

int Index_Of(int signo)
{
    for (int i = 0; i < Fatal_Count; ++i)
        if (Fatal_Signals[i] == signo)
            return i;
    return -1;
}

void Spin_Ns(long ns) noexcept
{
    timespec start{};
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &start);
    do {
        clock_gettime(CLOCK_MONOTONIC, &now);
    } while ((now.tv_sec - start.tv_sec) * 1000000000L + (now.tv_nsec - start.tv_nsec) < ns);
}

void On_Fatal_Signal(int signo)
{
    // The previous action first: a second fault inside the rest (a port
    // object already destroyed) then ends the process instead of looping.
    const int index = Index_Of(signo);
    if (index >= 0)
        sigaction(signo, &Previous[index], nullptr);
    for (TArmed& slot : Armed) {
        IPort_Registers* port = slot.Port.exchange(nullptr);
        if (port != nullptr)
            Emergency_Rest(*port, slot.Base.load());
    }
    // Blocked while this handler runs: delivered with the restored action as
    // soon as it returns.
    raise(signo);
}

} // namespace

void Emergency_Rest(IPort_Registers& port, uint16_t base) noexcept
{
    for (const latch::TLatch_Value& l : latch::Reset_Sequence)
        Strobe_Latch(port, base, l.Select, l.Value);
    Spin_Ns(Rest_Low_Ns);
    port.Write(base, TRegister::Control, latch::Control_Rest);
}

void Install_Emergency_Rest_Handlers()
{
    if (Installed.exchange(true))
        return;
    for (int i = 0; i < Fatal_Count; ++i) {
        struct sigaction action {};
        action.sa_handler = On_Fatal_Signal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = 0;
        sigaction(Fatal_Signals[i], &action, &Previous[i]);
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
