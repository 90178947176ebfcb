// The command line's waits on the real clock and the real event loop: a
// pulse and a millisecond wait sleep (little CPU for their time), never end
// before their time, and a stop that comes meanwhile is handled inside the
// pulse, not after it.  The bounds are loose (a loaded machine wakes late):
// only "not before", "inside" and "a small part of a core" are asserted.
#include "cli/cli_host.h"
#include "core/buffer.h"
#include "link/link.h"
#include "link/port.h"
#include "link/report.h"

#include <QCoreApplication>
#include <QTimer>

#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <memory>
#include <string>

namespace gang::cli {
namespace {

int64_t Now_Us()
{
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

int64_t Thread_Cpu_Us()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<int64_t>(now.tv_sec) * 1000000 + now.tv_nsec / 1000;
}

class TNullPort : public IPort {
public:
    bool IsWinNT() override { return false; }
    void SetFastMode(bool) override {}
    void EnablePorts(uint16_t) override {}
    void DisablePorts(uint16_t) override {}
    uint8_t ReadEcr(uint16_t) override { return 0xFF; }
    void WriteEcr(uint16_t, uint8_t) override {}
    int GetLastState(std::string&) override { return 0; }
    void Write(uint16_t, TRegister, uint8_t) override {}
    uint8_t Read(uint16_t, TRegister) override { return 0xFF; }
};

class TNullReport : public IReport {
public:
    void Counter(int32_t) override {}
    void Socket_Text(int, const std::string&) override {}
    void Socket_Failed(int, const TSocket_Result&) override {}
    void Operation(const std::string&) override {}
    void Log_Line(const std::string&) override {}
};

// The command line's host around a link, on this thread's event loop.
struct TWaitRig {
    int Argc = 1;
    char Name[10] = "cli_tests";
    char* Argv[2] = {Name, nullptr};
    QCoreApplication App{Argc, Argv};
    TNullPort Port;
    TNullReport Report;
    TSelection Selection;
    TBuffer Buffer;
    std::unique_ptr<TLink> Link;
    TCliHost Host{[this] { Link->ThreadedTimer1Timer(); }};

    TWaitRig() { Link = std::make_unique<TLink>(Port, Host, Report, Selection, Buffer); }
};

TEST(CliHostWaits, APulseAndAMillisecondWaitSleepAndAStopIsSeenInsideThePulse)
{
    TWaitRig rig;
    rig.Link->Pulse_Width = 256; // 341.3 ms
    constexpr int64_t Nominal_Us = (256 * 1000000 + 749) / 750;
    int64_t stopped_at = 0;
    QTimer::singleShot(30, [&] {
        rig.Link->Request_Stop();
        stopped_at = Now_Us();
    });
    int64_t cpu = Thread_Cpu_Us();
    int64_t start = Now_Us();
    rig.Link->Pulse_Wait();
    int64_t end = Now_Us();
    EXPECT_GE(end - start, Nominal_Us) << "never shorter than its width";
    EXPECT_EQ(rig.Link->Quit_Flag, TLink::Stop_Request);
    ASSERT_NE(stopped_at, 0);
    EXPECT_LT(stopped_at, start + Nominal_Us) << "the stop ran inside the pulse";
    EXPECT_LT(Thread_Cpu_Us() - cpu, (end - start) / 5) << "asleep, not spinning";

    // The tick comes from the timer's worker thread and wakes the sleep.
    cpu = Thread_Cpu_Us();
    start = Now_Us();
    rig.Link->Wait_Ms = 300;
    rig.Link->Timer_Wait();
    end = Now_Us();
    EXPECT_EQ(rig.Link->Wait_Ms, 0);
    EXPECT_GE(end - start, 300000);
    EXPECT_LT(Thread_Cpu_Us() - cpu, (end - start) / 5);
}

} // namespace
} // namespace gang::cli
