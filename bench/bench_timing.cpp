// How long the link's waits really are on this machine, and what they cost.
//
//   TimerWait/<ms>       Timer_Wait on the threaded timer: arm, pump events
//                        until the tick.  x_nominal = elapsed / asked time.
//   PulseWait/<units>/<load>
//                        Pulse_Wait of <units> pulse units after a real
//                        Check_Speed (run once, idle, as at start-up).
//                        x_nominal = elapsed / (units x 1/750 s).  repaint
//                        0: idle; 1: a window repainted from a QTimer while
//                        the pulses run.  clock 0: the check reads the local
//                        time through QTime::currentTime() (what the window
//                        does); clock 1: through time(), a vDSO call.
//   Pass/<what>          the cost of one pass of the counting loops' parts.
//
// Then, printed as tables (width / nominal: min, median, 99.9th percentile,
// max; and the CPU the waiting thread used per second of waiting), each
// under three loads: idle; beside two busy threads; and with three programs
// at once (this one and two more processes making the same waits: a
// 27C16's pulse and over-program pulse, over and over):
//
//   1. the wake-up mechanisms for a pulse of 2 units (2.67 ms), the
//      program's and the ones it was chosen against: spinning in the
//      message pump (the code before), sleeping in the event loop woken by
//      a timerfd or by a thread of the wait's own (1 us timer slack) with
//      tails of several lengths, by a precise Qt timer (whole
//      milliseconds), and the event loop's sleep ended by a clock_nanosleep
//      tail instead of a pumping one; with and without the short slice;
//   2. every kind of wait as the program makes it: pulses of 2, 4, 16 and
//      256 units, the EEPROM poll interval, millisecond waits of 1 and
//      10 ms;
//   3. pulses of 2 and 4 units with the run priority raised, where the
//      system grants it (a real-time slot, as the window asks for one).
//
// The waiting thread runs at normal priority in 1 and 2, as
// gang-adapter-cli does (it gives up the right to raise it).
//
// Last, the software-protection disable sequence of a 28C64 / 28C256 (six
// command bytes, each due within 100 to 150 us of the one before): the
// longest gap between two command strobes, idle and beside two busy
// threads with the run's priority, over many sequences.  The port here costs
// nothing, so the gap is the program's own time plus any preemption; a real
// port adds about 1 us per access (30 per byte).  Goal: well under 100 us.
//
// The figures are printed, never judged.  Goals: pulses 1.00 to 1.25 times
// nominal at the 99.9th percentile under every load; a programming run
// under 10 % of a core.  --quick takes a quarter of the samples; --table=N
// prints table N alone.
#include "core/buffer.h"
#include "core/form_model.h"
#include "link/host.h"
#include "link/latches.h"
#include "link/link.h"
#include "link/port.h"
#include "platform/event_wait.h"
#include "platform/thread_priority.h"
#include "timer/threaded_timer.h"
#include "ui/core/form_report.h"

#include <QApplication>
#include <QPainter>
#include <QTime>
#include <QTimer>
#include <QWidget>

#include "bench/bench_port.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <memory>
#include <pthread.h>
#include <string>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr double Pulse_Unit_Seconds = 1.0 / 750.0;
constexpr int Repaint_Period_Ms = 16;

// A port that accepts everything: the benchmark measures time, not traffic.
using NullPort = gang::bench::TBenchPort;

// How a wait that may sleep is made (IHost::ProcessMessages_Until).
enum class TWake {
    Spin,       // no sleep: one message pump per pass (the code before)
    Event_Wait, // the program's: the event loop, woken by a thread of its own
    Wake_Fd,    // the event loop, woken by a timerfd
    Qt_Timer,   // the event loop, woken by a precise QTimer (whole ms)
    Sleep_Tail, // the event loop (timerfd) until Tail_Us before, then clock_nanosleep
};

// The window's side of the link, as the main window provides it: message
// pumps, the threaded timer and the local clock; its sleeping pass made the
// way Wake says.
class BenchHost : public gang::IHost {
public:
    explicit BenchHost(gang::TThreadedTimer& timer) : Timer(timer) {}

    // The seconds field of local time equals that of UTC in every zone whose
    // offset is whole minutes, so time() serves as the cheap clock.
    bool Cheap_Clock = false;
    TWake Wake = TWake::Event_Wait;
    int64_t Tail_Us = 0; // Sleep_Tail: the part slept with clock_nanosleep

    void ProcessMessages() override { QCoreApplication::processEvents(); }
    void ProcessMessages_Until(int64_t until_us) override
    {
        const bool timed = until_us != Until_Next_Message;
        switch (Wake) {
        case TWake::Spin:
            QCoreApplication::processEvents();
            return;
        case TWake::Event_Wait:
            Event_Wait.Process_Events_Until(until_us);
            return;
        case TWake::Wake_Fd:
            Fd_Wait.Process_Events_Until(until_us);
            return;
        case TWake::Qt_Timer: {
            const int64_t ms = timed ? (until_us - gang::Monotonic_Clock_Us()) / 1000 : 0;
            if (timed && ms <= 0) {
                QCoreApplication::processEvents();
                return;
            }
            if (timed)
                Qt_Timer().start(static_cast<int>(ms));
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
            Qt_Timer().stop();
            return;
        }
        case TWake::Sleep_Tail:
            if (!timed) {
                Fd_Wait.Process_Events_Until(until_us);
                return;
            }
            Fd_Wait.Process_Events_Until(until_us - Tail_Us);
            if (gang::Monotonic_Clock_Us() >= until_us - Tail_Us)
                gang::Sleep_Until_Us(until_us);
            return;
        }
    }
    void ArmTimer(int interval_ms) override
    {
        Timer.SetInterval(static_cast<uint16_t>(interval_ms));
        Timer.SetEnabled(true);
    }
    void DisarmTimer() override { Timer.SetEnabled(false); }
    int SecondsOfDay() override
    {
        return Cheap_Clock ? static_cast<int>(std::time(nullptr) % 60)
                           : QTime::currentTime().second();
    }
    // As the window raises its thread for a programming run.
    void Raise_Run_Priority() override
    {
        Run = gang::RaiseRunPriority();
        Event_Wait.Set_Realtime(Run.Realtime);
    }
    void Restore_Run_Priority() override
    {
        gang::DropRunPriority(Run);
        Event_Wait.Set_Realtime(false);
    }
    void ShowInfo(const std::string&) override {}
    void ShowInfoAt(const std::string&, int, int) override {}
    void ShowError(const std::string&) override {}

    gang::TRunPriority Run;

private:
    QTimer& Qt_Timer()
    {
        if (!Precise_Timer) {
            Precise_Timer = std::make_unique<QTimer>();
            Precise_Timer->setTimerType(Qt::PreciseTimer);
            Precise_Timer->setSingleShot(true);
            QObject::connect(Precise_Timer.get(), &QTimer::timeout, Precise_Timer.get(), [] {});
        }
        return *Precise_Timer;
    }
    gang::TThreadedTimer& Timer;
    gang::TEvent_Wait Event_Wait;
    gang::TEvent_Wait Fd_Wait{gang::TEvent_Wait::TWake::Fd};
    std::unique_ptr<QTimer> Precise_Timer;
};

// Threads that keep the CPUs busy while they live.
class BusyLoops {
public:
    explicit BusyLoops(int count)
    {
        for (int i = 0; i < count; ++i) {
            Threads.emplace_back([this] {
                volatile unsigned long spins = 0;
                while (!Stop.load(std::memory_order_relaxed)) {
                    spins = spins + 1;
                }
            });
        }
    }
    // The CPU time the loops have used, in us.
    int64_t Cpu_Us()
    {
        int64_t sum = 0;
        for (std::thread& t : Threads) {
            clockid_t clock{};
            timespec used{};
            if (pthread_getcpuclockid(t.native_handle(), &clock) == 0 &&
                clock_gettime(clock, &used) == 0)
                sum += static_cast<int64_t>(used.tv_sec) * 1000000 + used.tv_nsec / 1000;
        }
        return sum;
    }
    ~BusyLoops()
    {
        Stop = true;
        for (std::thread& t : Threads) {
            t.join();
        }
    }
    BusyLoops(const BusyLoops&) = delete;
    BusyLoops& operator=(const BusyLoops&) = delete;

private:
    std::atomic<bool> Stop{false};
    std::vector<std::thread> Threads;
};

// Something like the main window with its hex view: text in a grid.
class BusyWidget : public QWidget {
protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), Qt::white);
        for (int row = 0; row < 16; ++row) {
            painter.drawText(4, 14 + row * 16,
                             QStringLiteral("%1  00 11 22 33 44 55 66 77 88 99 AA BB CC DD EE FF")
                                 .arg(row * 16 + Frames, 4, 16, QLatin1Char('0')));
        }
        ++Frames;
    }

public:
    int Frames = 0;
};

struct Rig {
    gang::TThreadedTimer Timer;
    NullPort Port;
    BenchHost Host{Timer};
    gang::TFormModel Form;
    gang::TFormReport Report{Form};
    gang::TSelection Sel;
    gang::TBuffer Buffer;
    gang::TLink Link{Port, Host, Report, Sel, Buffer};
    BusyWidget Window;
    QTimer Repaint;
    uint32_t Pulse_Unit_By_Clock[2] = {0, 0};

    Rig()
    {
        // As the main window stores its timer.
        Timer.SetEnabled(false);
        Timer.SetInterval(1);
        Timer.SetThreadPriority(gang::TThreadPriority::tpTimeCritical);
        Timer.OnTimer = [this](gang::TThreadedTimer*) { Link.ThreadedTimer1Timer(); };
        Window.resize(640, 300);
        Window.show();
        Repaint.setInterval(Repaint_Period_Ms);
        QObject::connect(&Repaint, &QTimer::timeout, &Window, [this] { Window.update(); });
    }
};

Rig* The_Rig = nullptr;

void AddExtremes(benchmark::internal::Benchmark* b)
{
    b->ComputeStatistics(
        "min", [](const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); });
    b->ComputeStatistics(
        "max", [](const std::vector<double>& v) { return *std::max_element(v.begin(), v.end()); });
}

void BM_TimerWait(benchmark::State& state)
{
    gang::TLink& link = The_Rig->Link;
    const int ms = static_cast<int>(state.range(0));
    double ratio = 0;
    for (auto _ : state) {
        const auto start = Clock::now();
        link.Wait_Ms = ms;
        link.Timer_Wait();
        const std::chrono::duration<double> elapsed = Clock::now() - start;
        state.SetIterationTime(elapsed.count());
        ratio = elapsed.count() / (ms / 1000.0);
    }
    state.counters["x_nominal"] = ratio;
}
BENCHMARK(BM_TimerWait)
    ->Name("TimerWait")
    ->Arg(1)
    ->Arg(10)
    ->UseManualTime()
    ->Iterations(1)
    ->Repetitions(60)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond)
    ->Apply(AddExtremes);

void BM_PulseWait(benchmark::State& state)
{
    Rig& rig = *The_Rig;
    const auto units = static_cast<uint16_t>(state.range(0));
    const bool repainting = state.range(1) != 0;
    rig.Link.Pulse_Unit = rig.Pulse_Unit_By_Clock[state.range(2)];
    if (repainting) {
        rig.Repaint.start();
    }
    rig.Link.Reset_Link(); // the operation's copy of Pulse_Unit
    rig.Link.Pulse_Width = units;
    double ratio = 0;
    for (auto _ : state) {
        const auto start = Clock::now();
        rig.Link.Pulse_Wait();
        const std::chrono::duration<double> elapsed = Clock::now() - start;
        state.SetIterationTime(elapsed.count());
        ratio = elapsed.count() / (units * Pulse_Unit_Seconds);
    }
    rig.Repaint.stop();
    state.counters["x_nominal"] = ratio;
}
BENCHMARK(BM_PulseWait)
    ->Name("PulseWait")
    ->ArgsProduct({{2, 16, 256}, {0, 1}, {0, 1}})
    ->ArgNames({"units", "repaint", "clock"})
    ->UseManualTime()
    ->Iterations(1)
    ->Repetitions(30)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond)
    ->Apply(AddExtremes);

void BM_PassProcessEvents(benchmark::State& state)
{
    for (auto _ : state) {
        QCoreApplication::processEvents();
    }
}
BENCHMARK(BM_PassProcessEvents)->Name("Pass/processEvents");

void BM_PassQTimeSecond(benchmark::State& state)
{
    for (auto _ : state) {
        benchmark::DoNotOptimize(QTime::currentTime().second());
    }
}
BENCHMARK(BM_PassQTimeSecond)->Name("Pass/QTime::currentTime().second()");

void BM_PassTimeSecond(benchmark::State& state)
{
    for (auto _ : state) {
        benchmark::DoNotOptimize(std::time(nullptr) % 60);
    }
}
BENCHMARK(BM_PassTimeSecond)->Name("Pass/time()%60");

// ---- The waits' widths and CPU under three loads ---------------------------

int Quick_Divisor = 1;         // --quick: a quarter of the samples
int Only_Table = 0;            // --table=N: that table alone, no benchmark before it
uint64_t Default_Slack_Ns = 0; // the main thread's timer slack at the start

int Samples(int full)
{
    return std::max(10, full / Quick_Divisor);
}

int64_t Now_Us()
{
    return gang::Monotonic_Clock_Us();
}

int64_t Process_Cpu_Us()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return (static_cast<int64_t>(usage.ru_utime.tv_sec) + usage.ru_stime.tv_sec) * 1000000 +
           usage.ru_utime.tv_usec + usage.ru_stime.tv_usec;
}

std::string Cpu_Model()
{
    std::ifstream info("/proc/cpuinfo");
    for (std::string line; std::getline(info, line);)
        if (line.rfind("model name", 0) == 0 && line.find(':') != std::string::npos)
            return line.substr(line.find(':') + 2);
    return "unknown CPU";
}

std::string Load_Average()
{
    std::ifstream load("/proc/loadavg");
    std::string one, five, fifteen;
    load >> one >> five >> fifteen;
    return one + " " + five + " " + fifteen;
}

enum class TLoad { Idle, Busy, Programs };
constexpr TLoad Loads[] = {TLoad::Idle, TLoad::Busy, TLoad::Programs};

const char* Load_Name(TLoad load)
{
    switch (load) {
    case TLoad::Idle:
        return "idle";
    case TLoad::Busy:
        return "2 busy threads";
    case TLoad::Programs:
        return "3 programs";
    }
    return "";
}

// How a program's waits are made (this one's, and the other two programs'
// of the Programs load).  The default: as gang-adapter-cli makes them.
struct TProgram_Waits {
    TWake Wake = TWake::Event_Wait;
    int64_t Link_Tail_Us = gang::TLink::Default_Pulse_Tail_Us;
    int64_t Sleep_Tail_Us = 0;
    uint64_t Slack_Ns = 0;                 // 0: the system's default
    int64_t Slice_Us = gang::Run_Slice_Us; // the run's short slice; 0: the default
    bool Raised = false;                   // the run priority raised (as root: real time)
};

// A load for as long as it lives: two busy threads in this process, or two
// more processes (this program again, --program-load) making a 27C16's
// pulses over and over.
class TLoad_Scope {
public:
    TLoad_Scope(TLoad load, const TProgram_Waits& waits)
    {
        if (load == TLoad::Busy)
            Busy = std::make_unique<BusyLoops>(2);
        if (load != TLoad::Programs)
            return;
        const std::string wake = std::to_string(static_cast<int>(waits.Wake));
        const std::string link_tail = std::to_string(waits.Link_Tail_Us);
        const std::string sleep_tail = std::to_string(waits.Sleep_Tail_Us);
        const std::string slack = std::to_string(waits.Slack_Ns);
        const std::string raised = waits.Raised ? "1" : "0";
        const std::string slice = std::to_string(waits.Slice_Us);
        for (int i = 0; i < 2; ++i) {
            const pid_t parent = getpid();
            const pid_t pid = fork();
            if (pid == 0) {
                // Never left running when the benchmark dies.
                prctl(PR_SET_PDEATHSIG, SIGTERM);
                if (getppid() != parent)
                    _exit(0);
                execl("/proc/self/exe", "bench_timing", "--program-load", wake.c_str(),
                      link_tail.c_str(), sleep_tail.c_str(), slack.c_str(), raised.c_str(),
                      slice.c_str(), static_cast<char*>(nullptr));
                _exit(127);
            }
            if (pid > 0)
                Children.push_back(pid);
        }
        // Their start-up (Qt, the first pulses) is not part of the load.
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
    }
    ~TLoad_Scope()
    {
        for (const pid_t pid : Children)
            kill(pid, SIGTERM);
        for (const pid_t pid : Children)
            waitpid(pid, nullptr, 0);
    }
    TLoad_Scope(const TLoad_Scope&) = delete;
    TLoad_Scope& operator=(const TLoad_Scope&) = delete;

    // CPU time of this process' own waiting, in us (the busy threads' taken
    // off).
    int64_t Own_Cpu_Us() { return Process_Cpu_Us() - (Busy ? Busy->Cpu_Us() : 0); }

private:
    std::unique_ptr<BusyLoops> Busy;
    std::vector<pid_t> Children;
};

enum class TKind { Pulse, Poll, Timer };

struct TWait_Kind {
    const char* Name;
    TKind Kind;
    int Value; // pulse units, or milliseconds
    int Samples;
    double Nominal_Us() const
    {
        switch (Kind) {
        case TKind::Pulse:
            return Value * 1e6 / 750.0;
        case TKind::Poll:
            return static_cast<double>(gang::TLink::EE_Poll_Interval_Us);
        case TKind::Timer:
            return Value * 1000.0;
        }
        return 1;
    }
};

struct TFigures {
    std::size_t N = 0;
    double Min = 0, Median = 0, P999 = 0, Max = 0;
    double Cpu_Per_S = 0; // CPU seconds per second of waiting
};

// samples waits of one kind, the way the rig's host makes them now.
TFigures Measure(Rig& rig, const TWait_Kind& kind, int samples, TLoad_Scope& load)
{
    std::vector<double> ratios;
    ratios.reserve(static_cast<std::size_t>(samples));
    const double nominal = kind.Nominal_Us();
    const int64_t cpu = load.Own_Cpu_Us();
    int64_t waited = 0;
    for (int i = 0; i < samples; ++i) {
        const int64_t start = Now_Us();
        switch (kind.Kind) {
        case TKind::Pulse:
            rig.Link.Pulse_Width = static_cast<uint16_t>(kind.Value);
            rig.Link.Pulse_Wait();
            break;
        case TKind::Poll: // the pass after each read of the data poll
            rig.Host.ProcessMessages_Until(rig.Host.Monotonic_Us() +
                                           gang::TLink::EE_Poll_Interval_Us);
            break;
        case TKind::Timer:
            rig.Link.Wait_Ms = kind.Value;
            rig.Link.Timer_Wait();
            break;
        }
        const int64_t lasted = Now_Us() - start;
        waited += lasted;
        ratios.push_back(static_cast<double>(lasted) / nominal);
    }
    const int64_t used = load.Own_Cpu_Us() - cpu;
    std::sort(ratios.begin(), ratios.end());
    TFigures f;
    f.N = ratios.size();
    f.Min = ratios.front();
    f.Median = ratios[ratios.size() / 2];
    f.P999 = ratios[std::min(ratios.size() - 1, ratios.size() * 999 / 1000)];
    f.Max = ratios.back();
    f.Cpu_Per_S = waited > 0 ? static_cast<double>(used) / static_cast<double>(waited) : 0;
    return f;
}

void Print_Row(const char* first, const char* load, const TFigures& f)
{
    char p999[16];
    if (f.N >= 1000)
        std::snprintf(p999, sizeof p999, "%7.3f", f.P999);
    else
        std::snprintf(p999, sizeof p999, "%7s", "-");
    std::printf("%-46s %-15s %5zu %7.3f %7.3f %s %7.3f %7.1f %%\n", first, load, f.N, f.Min,
                f.Median, p999, f.Max, 100.0 * f.Cpu_Per_S);
    std::fflush(stdout);
}

void Print_Table_Head(const char* first)
{
    std::printf("%-46s %-15s %5s %7s %7s %7s %7s %9s\n", first, "load", "n", "min", "median",
                "p99.9", "max", "CPU");
}

// The machine and how busy it was before a table (other programs' load
// shows in every figure).
void Print_Machine()
{
    std::printf("machine: %s, %u CPUs; load average before: %s\n", Cpu_Model().c_str(),
                std::thread::hardware_concurrency(), Load_Average().c_str());
}

struct TMechanism {
    const char* Name;
    TProgram_Waits Waits;
};

// This thread makes its waits that way (but for the raised priority,
// which Print_Raised raises once its load runs).
void Use(Rig& rig, const TProgram_Waits& waits)
{
    rig.Host.Wake = waits.Wake;
    rig.Host.Tail_Us = waits.Sleep_Tail_Us;
    rig.Link.Pulse_Tail_Us = waits.Link_Tail_Us;
    gang::Set_Timer_Slack_Ns(waits.Slack_Ns == 0 ? Default_Slack_Ns : waits.Slack_Ns);
    gang::Set_Thread_Slice_Us(waits.Slice_Us);
}

// 1. The mechanisms, for the programming pulse of 2 units.
void Print_Mechanisms(Rig& rig)
{
    constexpr auto Tail = gang::TLink::Default_Pulse_Tail_Us;
    constexpr auto Slice = gang::Run_Slice_Us;
    const std::string program = "wake thread, tail " + std::to_string(Tail) + " us, slice " +
                                std::to_string(Slice) + " us (program)";
    const TMechanism mechanisms[] = {
        {"spin in the message pump (the code before)", {TWake::Spin, 0, 0, 0, 0}},
        {"timerfd, no tail", {TWake::Wake_Fd, 0, 0, 0, 0}},
        {"timerfd, tail 50 us", {TWake::Wake_Fd, 50, 0, 0, 0}},
        {"timerfd, tail 150 us", {TWake::Wake_Fd, 150, 0, 0, 0}},
        {"timerfd, tail 400 us", {TWake::Wake_Fd, 400, 0, 0, 0}},
        {"timerfd, tail 150 us, slice 100 us", {TWake::Wake_Fd, 150, 0, 0, Slice}},
        {"timerfd, then nanosleep 150 us, slack 1 us", {TWake::Sleep_Tail, 0, 150, 1000, 0}},
        {"precise Qt timer (ms), tail 150 us, slack 1 us", {TWake::Qt_Timer, 150, 0, 1000, 0}},
        {"wake thread, no tail", {TWake::Event_Wait, 0, 0, 0, 0}},
        {"wake thread, tail 50 us", {TWake::Event_Wait, 50, 0, 0, 0}},
        {"wake thread, tail 150 us", {TWake::Event_Wait, 150, 0, 0, 0}},
        {"wake thread, tail 50 us, slice 100 us", {TWake::Event_Wait, 50, 0, 0, Slice}},
        {program.c_str(), {TWake::Event_Wait, Tail, 0, 0, Slice}},
    };
    const TWait_Kind pulse{"", TKind::Pulse, 2, Samples(2000)};
    std::printf("\n1. Pulse_Wait of 2 units (2.667 ms): the wake-ups compared, nice 0.  Sleeping "
                "waits sleep\n   in the event loop until the tail, then pump without sleeping; "
                "\"slice\": the thread asks\n   the scheduler for a short time slice.  The three "
                "programs all wait the row's way.\n");
    Print_Machine();
    Print_Table_Head("wake-up");
    for (const TMechanism& m : mechanisms) {
        Use(rig, m.Waits);
        for (const TLoad load : Loads) {
            TLoad_Scope scope(load, m.Waits);
            Print_Row(m.Name, Load_Name(load), Measure(rig, pulse, pulse.Samples, scope));
        }
    }
    Use(rig, TProgram_Waits{});
}

// 2. Every wait as the program makes it.
void Print_Wait_Kinds(Rig& rig)
{
    const TWait_Kind kinds[] = {
        {"Pulse_Wait 2 units (2.667 ms)", TKind::Pulse, 2, Samples(2000)},
        {"Pulse_Wait 4 units (5.333 ms)", TKind::Pulse, 4, Samples(1000)},
        {"Pulse_Wait 16 units (21.3 ms)", TKind::Pulse, 16, Samples(250)},
        {"Pulse_Wait 256 units (341 ms)", TKind::Pulse, 256, Samples(20)},
        {"EEPROM poll interval (200 us)", TKind::Poll, 0, Samples(2000)},
        {"Timer_Wait 1 ms", TKind::Timer, 1, Samples(1000)},
        {"Timer_Wait 10 ms", TKind::Timer, 10, Samples(200)},
    };
    std::printf("\n2. Every kind of wait as the program makes it without the right to raise its "
                "priority\n   (as gang-adapter-cli, which gives it up): nice 0, a slice of %lld "
                "us asked for.\n",
                static_cast<long long>(gang::Run_Slice_Us));
    Print_Machine();
    Print_Table_Head("wait");
    const TProgram_Waits program;
    Use(rig, program);
    for (const TLoad load : Loads) {
        TLoad_Scope scope(load, program);
        for (const TWait_Kind& kind : kinds)
            Print_Row(kind.Name, Load_Name(load), Measure(rig, kind, kind.Samples, scope));
    }
}

// 3. The pulses with the run priority raised (the other programs too).
void Print_Raised(Rig& rig)
{
    const TWait_Kind kinds[] = {
        {"Pulse_Wait 2 units (2.667 ms)", TKind::Pulse, 2, Samples(2000)},
        {"Pulse_Wait 4 units (5.333 ms)", TKind::Pulse, 4, Samples(1000)},
    };
    TProgram_Waits program;
    program.Raised = true;
    Use(rig, program);
    bool headed = false;
    for (const TLoad load : Loads) {
        // The load first: a thread started by a raised one would be raised too.
        TLoad_Scope scope(load, program);
        rig.Host.Raise_Run_Priority();
        const gang::TRunPriority run = rig.Host.Run;
        if (!run.Raised) {
            std::printf("\n3. The run priority: not granted here, no figures.\n");
            rig.Host.Restore_Run_Priority();
            return;
        }
        if (!headed) {
            std::printf("\n3. Pulses with the run priority raised (%s), every program.\n",
                        run.Realtime ? "real-time round robin" : "nice -20");
            Print_Machine();
            Print_Table_Head("wait");
            headed = true;
        }
        for (const TWait_Kind& kind : kinds)
            Print_Row(kind.Name, Load_Name(load), Measure(rig, kind, kind.Samples, scope));
        rig.Host.Restore_Run_Priority();
    }
}

// The other programs of the Programs load: a 27C16's pulse and over-program
// pulse, over and over, until the benchmark ends the process.
int Program_Load(int argc, char** argv)
{
    if (argc < 8)
        return 2;
    QCoreApplication app(argc, argv);
    gang::TThreadedTimer timer;
    BenchHost host(timer);
    NullPort port;
    gang::TFormModel form;
    gang::TFormReport report(form);
    gang::TSelection sel;
    gang::TBuffer buffer;
    gang::TLink link{port, host, report, sel, buffer};
    timer.SetThreadPriority(gang::TThreadPriority::tpTimeCritical);
    timer.OnTimer = [&link](gang::TThreadedTimer*) { link.ThreadedTimer1Timer(); };
    host.Wake = static_cast<TWake>(std::atoi(argv[2]));
    link.Pulse_Tail_Us = std::atoll(argv[3]);
    host.Tail_Us = std::atoll(argv[4]);
    const uint64_t slack = std::strtoull(argv[5], nullptr, 10);
    if (slack != 0)
        gang::Set_Timer_Slack_Ns(slack);
    gang::Set_Thread_Slice_Us(std::atoll(argv[7]));
    if (std::atoi(argv[6]) != 0)
        host.Raise_Run_Priority();
    for (;;) {
        link.Pulse_Width = 2;
        link.Pulse_Wait();
        link.Pulse_Width = 4;
        link.Pulse_Wait();
    }
}

// A port that notes the time of every write strobe of the family 8 page
// write (Add_Hi_Latch strobed with bit 6 low).
class StrobeClockPort : public gang::bench::TBenchPort {
public:
    void Write(uint16_t, gang::TRegister reg, uint8_t value) override
    {
        if (reg == gang::TRegister::Data) {
            Data = value;
        } else if (value == (gang::latch::Add_Hi_Latch | gang::latch::Strobe) && !Strobed &&
                   (Data & gang::latch::Hi_Strobe_Fam3_8) == 0) {
            Strobes.push_back(Clock::now());
        }
        if (reg == gang::TRegister::Control)
            Strobed = value == (gang::latch::Add_Hi_Latch | gang::latch::Strobe);
    }
    std::vector<Clock::time_point> Strobes;

private:
    uint8_t Data = 0;
    bool Strobed = false;
};

// The longest gap between two command bytes of one socket's disable
// sequence, over many sequences into five sockets.
void Print_Unlock_Gaps(Rig& rig)
{
    constexpr int Sequences = 5000;
    constexpr int Command_Bytes = 6;
    for (int busy = 0; busy <= 2; busy += 2) {
        StrobeClockPort port;
        gang::TSelection sel;
        sel.Found = true;
        sel.Family = 8;
        sel.Gang_Size = 5;
        gang::TBuffer buffer;
        gang::TLink link{port, rig.Host, rig.Report, sel, buffer};
        link.Port_Open = true;
        link.DataPort = 0x378;
        link.Fam_Socket = 0xFD; // the program configuration of family 8 at 5 V
        link.Fam_Vpp = 0x33;
        std::unique_ptr<BusyLoops> load;
        if (busy > 0)
            load = std::make_unique<BusyLoops>(busy);
        rig.Host.Raise_Run_Priority();
        std::vector<double> worst;
        for (int i = 0; i < Sequences; ++i) {
            port.Strobes.clear();
            link.Cur_Socket = 1 + i % 5;
            link.Select_Socket();
            link.EE_Unlock();
            double longest = 0;
            for (std::size_t b = 1; b < port.Strobes.size(); ++b) {
                const std::chrono::duration<double, std::micro> gap =
                    port.Strobes[b] - port.Strobes[b - 1];
                longest = std::max(longest, gap.count());
            }
            if (port.Strobes.size() == Command_Bytes)
                worst.push_back(longest);
            QCoreApplication::processEvents(); // the window's pass between sockets
        }
        rig.Host.Restore_Run_Priority();
        link.Port_Open = false;
        std::sort(worst.begin(), worst.end());
        if (worst.empty()) {
            std::printf("\nUnlock sequence: no command strobe seen\n");
            continue;
        }
        std::printf("\nUnlock sequence, %s: longest gap between command bytes over %zu sequences: "
                    "median %.2f us, 99.9%% %.2f us, max %.2f us\n",
                    busy ? "beside 2 busy threads" : "idle", worst.size(), worst[worst.size() / 2],
                    worst[worst.size() * 999 / 1000], worst.back());
    }
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc > 1 && std::strcmp(argv[1], "--program-load") == 0)
        return Program_Load(argc, argv);
    for (int i = 1; i < argc;) {
        if (std::strcmp(argv[i], "--quick") == 0)
            Quick_Divisor = 4;
        else if (std::strncmp(argv[i], "--table=", 8) == 0)
            Only_Table = std::atoi(argv[i] + 8);
        else {
            ++i;
            continue;
        }
        std::copy(argv + i + 1, argv + argc, argv + i);
        --argc;
    }
    Default_Slack_Ns = gang::Timer_Slack_Ns();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);

    auto rig = std::make_unique<Rig>();
    The_Rig = rig.get();
    QCoreApplication::processEvents();

    // The start-up calibration, on an idle window, once with each clock.
    for (int clock = 0; clock < 2; ++clock) {
        rig->Host.Cheap_Clock = clock != 0;
        rig->Link.Check_Speed();
        rig->Link.Derive_Pulse_Unit();
        rig->Pulse_Unit_By_Clock[clock] = rig->Link.Pulse_Unit;
        std::printf("Check_Speed, clock %d: Speed_Count %u passes/s, Pulse_Unit %u passes\n", clock,
                    rig->Link.Speed_Count, rig->Link.Pulse_Unit);
    }
    rig->Host.Cheap_Clock = false;
    std::fflush(stdout);

    if (Only_Table == 0) {
        benchmark::RunSpecifiedBenchmarks();
        benchmark::Shutdown();
    }
    if (Only_Table == 0 || Only_Table == 1)
        Print_Mechanisms(*rig);
    if (Only_Table == 0 || Only_Table == 2)
        Print_Wait_Kinds(*rig);
    if (Only_Table == 0 || Only_Table == 3)
        Print_Raised(*rig);
    if (Only_Table == 0)
        Print_Unlock_Gaps(*rig);
    The_Rig = nullptr;
    return 0;
}
