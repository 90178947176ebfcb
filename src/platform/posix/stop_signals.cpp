#include "platform/stop_signals.h"

#include <QSocketNotifier>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace gang {

namespace {

constexpr int Stop_Signals[] = {SIGINT, SIGTERM, SIGHUP};

int Pipe_Read = -1;
std::atomic<int> Pipe_Write{-1};
std::atomic<bool> Installed{false};
std::atomic<bool> Seen{false};

void On_Stop_Signal(int signo)
{
    // Nothing but the write: the event loop does the rest.
    const int saved_errno = errno;
    Seen = true;
    const auto byte = static_cast<unsigned char>(signo);
    const int fd = Pipe_Write.load();
    if (fd >= 0)
        (void)!write(fd, &byte, 1);
    errno = saved_errno;
}

void Set_Action(void (*handler)(int))
{
    for (const int signo : Stop_Signals) {
        struct sigaction action {};
        action.sa_handler = handler;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        sigaction(signo, &action, nullptr);
    }
}

} // namespace

bool Install_Stop_Signals(QObject* parent, std::function<void(int signo)> on_signal)
{
    if (Installed.exchange(true))
        return false;
    int fds[2];
    if (pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) {
        Installed = false;
        return false;
    }
    Pipe_Read = fds[0];
    Pipe_Write = fds[1];

    auto* notifier = new QSocketNotifier(Pipe_Read, QSocketNotifier::Read, parent);
    QObject::connect(notifier, &QSocketNotifier::activated, notifier,
                     [on_signal = std::move(on_signal)] {
                         unsigned char byte = 0;
                         while (read(Pipe_Read, &byte, 1) == 1)
                             on_signal(byte);
                     });
    QObject::connect(notifier, &QObject::destroyed, [] { Set_Action(SIG_DFL); });
    Set_Action(On_Stop_Signal);
    return true;
}

namespace {

sigset_t Stop_Signal_Set()
{
    sigset_t set;
    sigemptyset(&set);
    for (int signo : Stop_Signals)
        sigaddset(&set, signo);
    return set;
}

} // namespace

THeld_Stop_Signals::THeld_Stop_Signals()
{
    const sigset_t set = Stop_Signal_Set();
    Held = pthread_sigmask(SIG_BLOCK, &set, nullptr) == 0;
}

void THeld_Stop_Signals::Release()
{
    if (!Held)
        return;
    Held = false;
    const sigset_t set = Stop_Signal_Set();
    pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
}

bool Stop_Signal_Seen()
{
    return Seen.load();
}

} // namespace gang
