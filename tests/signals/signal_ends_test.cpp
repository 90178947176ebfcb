// The program's ends that are not clicks, on a real process: a window over
// the simulated adapter in the middle of a 27C512 programming run gets a
// signal.  SIGTERM takes the Quit path (exit status 0); SIGSEGV rests the
// adapter and then kills the process as before.  Either way the port trace
// ends with the adapter at rest.
#include "trace_at_rest.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace gang {
namespace {

using Clock = std::chrono::steady_clock;
constexpr uint16_t Base = 0x378;
constexpr int Start_Deadline_Ms = 120000;
constexpr auto Exit_Deadline = std::chrono::seconds(2);

struct TEnd {
    bool Exited = false;
    int Status = -1; // exit status, or the signal that ended the process
    double Seconds = 0;
};

// The driver's environment.  In an AddressSanitizer build the sanitizer's
// crash handler is the action the emergency rest hands a fatal signal on to:
// it would report and exit with 1.  Without it the driver ends as an ordinary
// build does, killed by the signal.
std::vector<std::string> Driver_Environment()
{
    std::vector<std::string> env;
    std::string asan = "ASAN_OPTIONS=handle_segv=0";
    for (char** e = environ; *e != nullptr; ++e) {
        if (std::strncmp(*e, "ASAN_OPTIONS=", 13) == 0)
            asan = std::string(*e) + ":handle_segv=0";
        else
            env.emplace_back(*e);
    }
    env.push_back(asan);
    return env;
}

// Starts the driver, waits for its run to be under way, sends signo and
// waits for the process to end.
TEnd Signal_Mid_Run(int signo, const std::string& trace)
{
    const std::vector<std::string> env = Driver_Environment();
    std::vector<char*> envp;
    for (const std::string& e : env)
        envp.push_back(const_cast<char*>(e.c_str()));
    envp.push_back(nullptr);
    char* const argv[] = {const_cast<char*>(SIGNAL_ENDS_DRIVER), const_cast<char*>(trace.c_str()),
                          nullptr};
    int out[2];
    EXPECT_EQ(pipe(out), 0);
    const pid_t pid = fork();
    if (pid == 0) {
        const rlimit no_core{0, 0};
        setrlimit(RLIMIT_CORE, &no_core);
        dup2(out[1], STDOUT_FILENO);
        close(out[0]);
        close(out[1]);
        execve(SIGNAL_ENDS_DRIVER, argv, envp.data());
        _exit(127);
    }
    close(out[1]);
    std::string said;
    pollfd p{out[0], POLLIN, 0};
    while (said.find("programming") == std::string::npos && poll(&p, 1, Start_Deadline_Ms) == 1) {
        char buf[64];
        const ssize_t n = read(out[0], buf, sizeof buf);
        if (n <= 0)
            break;
        said.append(buf, static_cast<size_t>(n));
    }
    close(out[0]);
    TEnd end;
    if (said.find("programming") == std::string::npos) {
        ADD_FAILURE() << "the run never got under way";
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
        return end;
    }
    kill(pid, signo);
    const auto sent = Clock::now();
    int status = 0;
    while (waitpid(pid, &status, WNOHANG) == 0) {
        if (Clock::now() - sent > Exit_Deadline) {
            ADD_FAILURE() << "still running 2 s after signal " << signo;
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            return end;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    end.Seconds = std::chrono::duration<double>(Clock::now() - sent).count();
    end.Exited = WIFEXITED(status);
    end.Status = end.Exited ? WEXITSTATUS(status) : WTERMSIG(status);
    std::printf("signal %d: process ended %.3f s after it\n", signo, end.Seconds);
    return end;
}

TEST(SignalEnds, MidRunTheProcessEndsPromptlyWithTheAdapterAtRest)
{
    const std::string dir = ::testing::TempDir();
    {
        SCOPED_TRACE("SIGTERM");
        const std::string trace = dir + "signal_ends_term.txt";
        const TEnd end = Signal_Mid_Run(SIGTERM, trace);
        EXPECT_TRUE(end.Exited) << "ended by signal " << end.Status;
        EXPECT_EQ(end.Status, 0);
        Expect_Trace_Ends_At_Rest(trace, Base);
    }
    {
        SCOPED_TRACE("SIGSEGV");
        const std::string trace = dir + "signal_ends_segv.txt";
        const TEnd end = Signal_Mid_Run(SIGSEGV, trace);
        EXPECT_FALSE(end.Exited);
        EXPECT_EQ(end.Status, SIGSEGV);
        Expect_Trace_Ends_At_Rest(trace, Base);
    }
}

} // namespace
} // namespace gang
