// How long the link's waits really are on this machine.
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
// Then, printed as a table: Pulse_Wait of 2, 16 and 256 units with two busy
// threads spinning beside it (started before the speed check, as on a
// machine that was loaded all along) and the thread's priority raised as a
// programming run raises it: min, median and max as multiples of nominal,
// and the share of pulses beyond 1.25 times nominal.
//
// Last, the software-protection disable sequence of a 28C64 / 28C256 (six
// command bytes, each due within 100 to 150 us of the one before): the
// longest gap between two command strobes, idle and beside two busy
// threads with the run's priority, over many sequences.  The port here costs
// nothing, so the gap is the program's own time plus any preemption; a real
// port adds about 1 us per access (30 per byte).  Goal: well under 100 us.
//
// Each repetition is one wait; the aggregates give median, mean, spread and
// the extremes.  The figures are printed, never judged: the targets are a
// Timer_Wait median under 2x, and pulses of at least 1.00x with a median of
// at most 1.10x, idle and under load.
#include "core/buffer.h"
#include "core/form_model.h"
#include "link/host.h"
#include "link/latches.h"
#include "link/link.h"
#include "link/port.h"
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
#include <cstdio>
#include <ctime>
#include <memory>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr double Pulse_Unit_Seconds = 1.0 / 750.0;
constexpr int Repaint_Period_Ms = 16;

// A port that accepts everything: the benchmark measures time, not traffic.
using NullPort = gang::bench::TBenchPort;

// The window's side of the link, as the main window provides it: message
// pumps, the threaded timer and the local clock.
class BenchHost : public gang::IHost {
public:
    explicit BenchHost(gang::TThreadedTimer& timer) : Timer(timer) {}

    // The seconds field of local time equals that of UTC in every zone whose
    // offset is whole minutes, so time() serves as the cheap clock.
    bool Cheap_Clock = false;

    void ProcessMessages() override { QCoreApplication::processEvents(); }
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
    void Raise_Run_Priority() override { Run = gang::RaiseRunPriority(); }
    void Restore_Run_Priority() override { gang::DropRunPriority(Run); }
    void ShowInfo(const std::string&) override {}
    void ShowInfoAt(const std::string&, int, int) override {}
    void ShowError(const std::string&) override {}

    gang::TRunPriority Run;

private:
    gang::TThreadedTimer& Timer;
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

// Pulse widths with two busy loops beside the pump, per width.
void Print_Pulses_Under_Load(Rig& rig)
{
    constexpr int Busy_Threads = 2;
    constexpr double Stretch_Limit = 1.25;
    const struct {
        uint16_t Units;
        int Pulses;
    } widths[] = {{2, 400}, {16, 100}, {256, 12}};

    BusyLoops load(Busy_Threads);
    rig.Link.Check_Speed(); // calibrated under the load, as on a loaded machine
    rig.Link.Derive_Pulse_Unit();
    rig.Link.Reset_Link();
    rig.Host.Raise_Run_Priority();
    std::printf("\nPulse_Wait beside %d busy threads (Pulse_Unit %u, priority %s):\n", Busy_Threads,
                rig.Link.Pulse_Unit,
                !rig.Host.Run.Raised    ? "as it was"
                : rig.Host.Run.Realtime ? "real-time round robin"
                                        : "nice -20");
    std::printf("%8s %8s %8s %8s %8s %10s\n", "units", "pulses", "min", "median", "max", ">1.25x");
    for (const auto& w : widths) {
        rig.Link.Pulse_Width = w.Units;
        std::vector<double> ratios;
        for (int i = 0; i < w.Pulses; ++i) {
            const auto start = Clock::now();
            rig.Link.Pulse_Wait();
            const std::chrono::duration<double> elapsed = Clock::now() - start;
            ratios.push_back(elapsed.count() / (w.Units * Pulse_Unit_Seconds));
        }
        std::sort(ratios.begin(), ratios.end());
        const auto beyond =
            std::count_if(ratios.begin(), ratios.end(), [](double r) { return r > Stretch_Limit; });
        std::printf("%8u %8d %8.3f %8.3f %8.3f %9.1f%%\n", unsigned(w.Units), w.Pulses,
                    ratios.front(), ratios[ratios.size() / 2], ratios.back(),
                    100.0 * static_cast<double>(beyond) / static_cast<double>(ratios.size()));
    }
    rig.Host.Restore_Run_Priority();
    std::fflush(stdout);
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

    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    Print_Pulses_Under_Load(*rig);
    Print_Unlock_Gaps(*rig);
    The_Rig = nullptr;
    return 0;
}
