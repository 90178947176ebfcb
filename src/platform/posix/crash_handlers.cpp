#include "platform/crash_handlers.h"

#include <atomic>
#include <csignal>

namespace gang {

namespace {

constexpr int Fatal_Signals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT};
constexpr int Fatal_Count = sizeof Fatal_Signals / sizeof Fatal_Signals[0];

std::atomic<bool> Installed{false};
std::atomic<void (*)() noexcept> On_Fault{nullptr};
struct sigaction Previous[Fatal_Count];

int Index_Of(int signo)
{
    for (int i = 0; i < Fatal_Count; ++i)
        if (Fatal_Signals[i] == signo)
            return i;
    return -1;
}

void On_Fatal_Signal(int signo)
{
    // The previous action first: a second fault inside the rest (a port
    // object already destroyed) then ends the process instead of looping.
    const int index = Index_Of(signo);
    if (index >= 0)
        sigaction(signo, &Previous[index], nullptr);
    if (auto rest = On_Fault.load())
        rest();
    // Blocked while this handler runs: delivered with the restored action as
    // soon as it returns.
    raise(signo);
}

} // namespace

void Install_Crash_Handlers(void (*on_fault)() noexcept)
{
    if (Installed.exchange(true))
        return;
    On_Fault.store(on_fault);
    for (int i = 0; i < Fatal_Count; ++i) {
        struct sigaction action {};
        action.sa_handler = On_Fatal_Signal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = 0;
        sigaction(Fatal_Signals[i], &action, &Previous[i]);
    }
}

} // namespace gang
