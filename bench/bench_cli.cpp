// gang-adapter-cli's cost over the simulated adapter, as a real process.
//
// 1. A 5 x 27C512 verify at 1 us per port access (an ISA parallel port):
//    * the process's CPU time (user + system, from wait4) against the port
//      time it drives, accesses x 1 us; the process holds the simulator too,
//      so the simulator's share (the traced accesses replayed in this
//      process into a fresh simulated adapter) is taken off to give the
//      CLI's own CPU time (goal under 2 %);
//    * port accesses per socket-byte, (gang 5 - gang 1) / (4 x 65536) so the
//      search and the close cancel out, against the window's over the same
//      simulator (same link and device work: the figures must be equal).
// 2. A 27C16 program of 512 bytes of 5A, realistic chips (every byte takes
//    a pulse of 2.67 ms and the over-program pulse of 5.33 ms), gang 1, no
//    verify: the process's CPU share of its wall time, for the whole run
//    (the start-up's speed check counts passes for a second, spinning, by
//    design) and for the programming alone (the run minus the same run of
//    512 bytes of FF, which sends no pulse: same start-up, same walk over
//    the addresses).  Goal: the programming under 10 % of a core.
// 3. Three such programs at once, idle and beside two busy threads: each
//    one's time per byte (its program step from its record, / 512; alone
//    8.0 ms of pulses) and the pulses each byte took (its trace replayed
//    into a simulated 27C16: a pulse cut short would make the chip want
//    more than 2), and the CPU share.
//
// With the path of another gang-adapter-cli as the argument (an earlier
// build: the previous commit's), every figure is measured for both, the
// earlier one beside the one built with the benchmark, in one sitting.
#include "devices/catalogue.h"
#include "sim/sim_adapter.h"
#include "ui/main_form.h"

#include <QApplication>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

constexpr int Socket_Bytes = 0x10000;
constexpr int Program_Bytes = 512;

struct TChildRun {
    int Status = -1;
    double Cpu_S = 0;
    double Wall_S = 0;
    double Share() const { return Wall_S > 0 ? Cpu_S / Wall_S : 0; }
};

double Seconds(const timeval& time)
{
    return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_usec) / 1e6;
}

std::string Cli_Path = GANG_CLI_PATH;

struct TStarted {
    pid_t Pid = -1;
    std::chrono::steady_clock::time_point Start;
};

TStarted Start_Cli(const std::string& path, const std::vector<std::string>& arguments)
{
    std::vector<char*> argv;
    std::string program = path;
    argv.push_back(program.data());
    std::vector<std::string> copy = arguments;
    for (std::string& argument : copy)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    TStarted started;
    started.Start = std::chrono::steady_clock::now();
    started.Pid = ::fork();
    if (started.Pid == 0) {
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    return started;
}

TChildRun Wait_Cli(const TStarted& started)
{
    int status = 0;
    rusage usage{};
    ::wait4(started.Pid, &status, 0, &usage);
    TChildRun run;
    run.Wall_S =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started.Start).count();
    run.Status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.Cpu_S = Seconds(usage.ru_utime) + Seconds(usage.ru_stime);
    return run;
}

TChildRun Run_Cli(const std::string& path, const std::vector<std::string>& arguments)
{
    return Wait_Cli(Start_Cli(path, arguments));
}

TChildRun Run_Cli(const std::vector<std::string>& arguments)
{
    return Run_Cli(Cli_Path, arguments);
}

struct TAccess {
    bool Write;
    uint16_t Port;
    uint8_t Value;
};

std::vector<TAccess> Read_Trace(const std::string& path)
{
    std::vector<TAccess> accesses;
    std::ifstream file(path);
    for (std::string line; std::getline(file, line);) {
        char kind = 0;
        unsigned port = 0, value = 0;
        if (std::sscanf(line.c_str(), "%c %x %x", &kind, &port, &value) == 3)
            accesses.push_back(
                {kind == 'W', static_cast<uint16_t>(port), static_cast<uint8_t>(value)});
    }
    return accesses;
}

double Process_Cpu_S()
{
    timespec now{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

// CPU time the simulator spends on these accesses, chips in every socket.
double Simulator_Cpu_S(const std::vector<TAccess>& accesses)
{
    gang::sim::TSimAdapter adapter;
    for (int socket = 1; socket <= 5; ++socket)
        adapter.Insert_Chip(socket, "27C512");
    unsigned sink = 0;
    const double started = Process_Cpu_S();
    for (const TAccess& access : accesses) {
        if (access.Write)
            adapter.WriteByte(access.Port, access.Value);
        else
            sink += adapter.ReadByte(access.Port);
    }
    const double spent = Process_Cpu_S() - started;
    benchmark::DoNotOptimize(sink);
    return spent;
}

// How many program strobes each byte of socket 1 took in a traced run,
// as a histogram: pulses -> bytes.
std::map<int, int> Pulses_Per_Byte(const std::string& trace)
{
    gang::sim::TSimAdapter adapter;
    adapter.Insert_Chip(1, "27C16");
    for (const TAccess& access : Read_Trace(trace)) {
        if (access.Write)
            adapter.WriteByte(access.Port, access.Value);
        else
            adapter.ReadByte(access.Port);
    }
    std::map<uint32_t, int> per_byte;
    for (const gang::sim::TStrobeEvent& e : adapter.Strobes())
        ++per_byte[e.Address];
    std::map<int, int> histogram;
    for (const auto& [address, count] : per_byte)
        ++histogram[count];
    return histogram;
}

std::string Histogram_Text(const std::map<int, int>& histogram)
{
    std::string text;
    for (const auto& [pulses, bytes] : histogram) {
        if (!text.empty())
            text += ", ";
        text += std::to_string(bytes) + " bytes " + std::to_string(pulses) + " pulses";
    }
    return text.empty() ? "no pulse" : text;
}

// The seconds of the program step in a run's record.
double Program_Step_S(const QString& report)
{
    QFile file(report);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    const QJsonObject record = QJsonDocument::fromJson(file.readAll().trimmed()).object();
    for (const auto& value : record["steps"].toArray())
        if (value.toObject()["step"].toString() == "program")
            return value.toObject()["seconds"].toDouble();
    return 0;
}

std::vector<std::string> Verify_Args(const std::string& image, int gang)
{
    return {"--sim",  "--access-us",        "1",  "--quiet", "verify", "--type", "27C512",
            "--gang", std::to_string(gang), image};
}

// Port accesses of one verify in the window over the simulator.
uint64_t Window_Verify_Accesses(int gang)
{
    gang::sim::TSimAdapter adapter;
    gang::TMainForm form(adapter);
    form.Link().Find_Programmer();
    const gang::TDeviceType* type = nullptr;
    for (const gang::TDeviceType& row : gang::Device_Rows())
        if (row.Is_Type() && std::string(row.Type_Name) == "27C512")
            type = &row;
    for (int socket = 1; socket <= 5; ++socket)
        adapter.Insert_Chip(socket, "27C512");
    form.Work().Select(*type, gang);
    for (int address = 0; address < Socket_Bytes; ++address)
        form.Work().Buffer.Data[static_cast<std::size_t>(address)] = 0xFF;
    const uint64_t before = adapter.Port_Accesses();
    form.Work().Verify_EpromClick();
    return adapter.Port_Accesses() - before;
}

// 1. The verify, for one gang-adapter-cli.
bool Print_Verify(const std::string& path, const QTemporaryDir& dir, const std::string& image,
                  double& sim_s)
{
    Cli_Path = path;
    // Port accesses of the whole run, and of gang 1 for the per-socket-byte figure.
    const std::string trace = dir.filePath("trace.txt").toStdString();
    std::vector<TAccess> traced[6];
    for (int gang : {1, 5}) {
        std::vector<std::string> arguments = Verify_Args(image, gang);
        arguments.insert(arguments.begin() + 1, {"--trace", trace});
        if (Run_Cli(arguments).Status != 0) {
            std::fprintf(stderr, "bench_cli: the verify run of %s failed\n", path.c_str());
            return false;
        }
        traced[gang] = Read_Trace(trace);
    }
    const double port_s = static_cast<double>(traced[5].size()) * 1e-6;
    // The least of three replays: the simulator's cost without the noise of
    // a busy machine, so the CLI's share is never understated.
    if (sim_s <= 0) {
        sim_s = Simulator_Cpu_S(traced[5]);
        for (int replay = 0; replay < 2; ++replay)
            sim_s = std::min(sim_s, Simulator_Cpu_S(traced[5]));
    }

    std::printf("5 x 27C512 verify through %s (1 us per port access)\n", path.c_str());
    std::printf("  port accesses %zu, simulated port time %.3f s, simulator CPU %.3f s\n",
                traced[5].size(), port_s, sim_s);
    for (int round = 1; round <= 3; ++round) {
        const TChildRun run = Run_Cli(Verify_Args(image, 5));
        std::printf("  run %d: process CPU %.3f s, CLI's own %.3f s = %.2f %% of port time "
                    "(goal < 2 %%), wall %.3f s\n",
                    round, run.Cpu_S, run.Cpu_S - sim_s, 100.0 * (run.Cpu_S - sim_s) / port_s,
                    run.Wall_S);
    }
    const double cli_per_socket_byte =
        static_cast<double>(traced[5].size() - traced[1].size()) / (4.0 * Socket_Bytes);
    const double window_per_socket_byte = (static_cast<double>(Window_Verify_Accesses(5)) -
                                           static_cast<double>(Window_Verify_Accesses(1))) /
                                          (4.0 * Socket_Bytes);
    std::printf("  port accesses per socket-byte: cli %.4f, window %.4f (%s)\n",
                cli_per_socket_byte, window_per_socket_byte,
                cli_per_socket_byte == window_per_socket_byte ? "equal" : "DIFFERENT");
    std::fflush(stdout);
    return true;
}

std::vector<std::string> Program_Args(const std::string& image, const std::string& report,
                                      const std::string& trace)
{
    std::vector<std::string> arguments = {"--sim", "program", "--type",      "27C16",    "--gang",
                                          "1",     "--quiet", "--no-verify", "--report", report};
    if (!trace.empty())
        arguments.insert(arguments.begin() + 1, {"--trace", trace});
    arguments.push_back(image);
    return arguments;
}

// 2. One program run at a time: the whole run's CPU share, and the
// programming's alone (the run minus the same run of FF).
void Print_Program_Alone(const std::vector<std::string>& paths, const QTemporaryDir& dir,
                         const std::string& five_a, const std::string& erased)
{
    std::printf("\n27C16 program of %d bytes of 5A, realistic chips, gang 1, --no-verify, one "
                "at a time (the least of 3 runs; FF: the same run of %d bytes of FF, no pulse)\n",
                Program_Bytes, Program_Bytes);
    std::printf("  %-58s %8s %8s %8s %8s %8s %12s\n", "gang-adapter-cli", "wall", "CPU", "share",
                "FF wall", "FF CPU", "programming");
    for (const std::string& path : paths) {
        const std::string report = dir.filePath("alone.jsonl").toStdString();
        TChildRun best, best_ff;
        for (int round = 0; round < 3; ++round) {
            QFile::remove(QString::fromStdString(report));
            const TChildRun run = Run_Cli(path, Program_Args(five_a, report, ""));
            const TChildRun ff = Run_Cli(path, Program_Args(erased, report, ""));
            if (run.Status != 0 || ff.Status != 0) {
                std::printf("  %s: the run failed (status %d, %d)\n", path.c_str(), run.Status,
                            ff.Status);
                return;
            }
            if (round == 0 || run.Cpu_S < best.Cpu_S)
                best = run;
            if (round == 0 || ff.Cpu_S < best_ff.Cpu_S)
                best_ff = ff;
        }
        const double programming =
            (best.Cpu_S - best_ff.Cpu_S) / std::max(1e-3, best.Wall_S - best_ff.Wall_S);
        std::printf("  %-58s %7.2fs %7.2fs %7.1f%% %7.2fs %7.2fs %10.1f %%\n", path.c_str(),
                    best.Wall_S, best.Cpu_S, 100.0 * best.Share(), best_ff.Wall_S, best_ff.Cpu_S,
                    100.0 * programming);
        std::fflush(stdout);
    }
}

// Threads that keep the CPUs busy while they live.
class TBusy_Loops {
public:
    explicit TBusy_Loops(int count)
    {
        for (int i = 0; i < count; ++i)
            Threads.emplace_back([this] {
                volatile unsigned long spins = 0;
                while (!Stop.load(std::memory_order_relaxed))
                    spins = spins + 1;
            });
    }
    ~TBusy_Loops()
    {
        Stop = true;
        for (std::thread& t : Threads)
            t.join();
    }
    TBusy_Loops(const TBusy_Loops&) = delete;
    TBusy_Loops& operator=(const TBusy_Loops&) = delete;

private:
    std::atomic<bool> Stop{false};
    std::vector<std::thread> Threads;
};

// 3. Three program runs at once.
void Print_Three_At_Once(const std::vector<std::string>& paths, const QTemporaryDir& dir,
                         const std::string& five_a)
{
    constexpr int Programs = 3;
    std::printf("\nThree 27C16 programs of %d bytes of 5A at once on %u CPUs (alone: 8.0 ms of "
                "pulses a byte)\n",
                Program_Bytes, std::thread::hardware_concurrency());
    for (int busy = 0; busy <= 2; busy += 2) {
        for (const std::string& path : paths) {
            std::unique_ptr<TBusy_Loops> load;
            if (busy > 0)
                load = std::make_unique<TBusy_Loops>(busy);
            std::vector<std::string> reports, traces;
            std::vector<TStarted> started;
            for (int i = 0; i < Programs; ++i) {
                reports.push_back(dir.filePath(QString("three%1.jsonl").arg(i)).toStdString());
                traces.push_back(dir.filePath(QString("three%1.txt").arg(i)).toStdString());
                QFile::remove(QString::fromStdString(reports.back()));
            }
            for (int i = 0; i < Programs; ++i)
                started.push_back(Start_Cli(path, Program_Args(five_a, reports[i], traces[i])));
            std::vector<TChildRun> runs;
            for (const TStarted& s : started)
                runs.push_back(Wait_Cli(s));
            load.reset();
            std::printf("  %s%s\n", path.c_str(), busy ? ", beside 2 busy threads" : "");
            for (int i = 0; i < Programs; ++i) {
                const double step = Program_Step_S(QString::fromStdString(reports[i]));
                std::printf("    program %d: status %d, %.2f ms a byte, CPU %.1f %% of its wall "
                            "%.2f s, %s\n",
                            i + 1, runs[i].Status, 1000.0 * step / Program_Bytes,
                            100.0 * runs[i].Share(), runs[i].Wall_S,
                            Histogram_Text(Pulses_Per_Byte(traces[i])).c_str());
            }
            std::fflush(stdout);
        }
    }
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    std::vector<std::string> paths = {GANG_CLI_PATH};
    if (argc > 1)
        paths.push_back(argv[1]);
    QTemporaryDir dir;
    const std::string image = dir.filePath("blank.bin").toStdString();
    std::ofstream(image, std::ios::binary) << std::string(Socket_Bytes, '\xFF');
    const std::string five_a = dir.filePath("five_a.bin").toStdString();
    std::ofstream(five_a, std::ios::binary) << std::string(Program_Bytes, '\x5A');
    const std::string erased = dir.filePath("erased.bin").toStdString();
    std::ofstream(erased, std::ios::binary) << std::string(Program_Bytes, '\xFF');

    double sim_s = 0;
    for (const std::string& path : paths) {
        if (!Print_Verify(path, dir, image, sim_s))
            return 1;
    }
    Print_Program_Alone(paths, dir, five_a, erased);
    Print_Three_At_Once(paths, dir, five_a);
    return 0;
}
