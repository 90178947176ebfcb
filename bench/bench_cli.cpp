// gang-adapter-cli's cost over the simulated adapter at 1 us per port access
// (an ISA parallel port): a 5 x 27C512 verify run as a real process.
//   * the process's CPU time (user + system, from wait4) against the port
//     time it drives, accesses x 1 us; the process holds the simulator too,
//     so the simulator's share (the traced accesses replayed in this process
//     into a fresh simulated adapter) is taken off to give the CLI's own
//     CPU time (goal under 2 %);
//     A path given as the argument measures that gang-adapter-cli instead
//     of the one built with the benchmark (an earlier build, for a figure
//     before and after a change on the same machine);
//   * port accesses per socket-byte, (gang 5 - gang 1) / (4 x 65536) so the
//     search and the close cancel out, against the window's over the same
//     simulator (same link and device work: the figures must be equal).
#include "devices/catalogue.h"
#include "sim/sim_adapter.h"
#include "ui/main_form.h"

#include <QApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int Socket_Bytes = 0x10000;

struct TChildRun {
    int Status = -1;
    double Cpu_S = 0;
    double Wall_S = 0;
};

double Seconds(const timeval& time)
{
    return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_usec) / 1e6;
}

std::string Cli_Path = GANG_CLI_PATH;

TChildRun Run_Cli(const std::vector<std::string>& arguments)
{
    std::vector<char*> argv;
    std::string program = Cli_Path;
    argv.push_back(program.data());
    std::vector<std::string> copy = arguments;
    for (std::string& argument : copy)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    const auto started = std::chrono::steady_clock::now();
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    int status = 0;
    rusage usage{};
    ::wait4(pid, &status, 0, &usage);
    TChildRun run;
    run.Wall_S = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    run.Status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.Cpu_S = Seconds(usage.ru_utime) + Seconds(usage.ru_stime);
    return run;
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

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    if (argc > 1)
        Cli_Path = argv[1];
    QTemporaryDir dir;
    const std::string image = dir.filePath("blank.bin").toStdString();
    std::ofstream(image, std::ios::binary) << std::string(Socket_Bytes, '\xFF');

    // Port accesses of the whole run, and of gang 1 for the per-socket-byte figure.
    const std::string trace = dir.filePath("trace.txt").toStdString();
    std::vector<TAccess> traced[6];
    for (int gang : {1, 5}) {
        std::vector<std::string> arguments = Verify_Args(image, gang);
        arguments.insert(arguments.begin() + 1, {"--trace", trace});
        if (Run_Cli(arguments).Status != 0) {
            std::fprintf(stderr, "bench_cli: the verify run failed\n");
            return 1;
        }
        traced[gang] = Read_Trace(trace);
    }
    const double port_s = static_cast<double>(traced[5].size()) * 1e-6;
    // The least of three replays: the simulator's cost without the noise of
    // a busy machine, so the CLI's share is never understated.
    double sim_s = Simulator_Cpu_S(traced[5]);
    for (int replay = 0; replay < 2; ++replay)
        sim_s = std::min(sim_s, Simulator_Cpu_S(traced[5]));

    std::printf("5 x 27C512 verify through %s (1 us per port access)\n", Cli_Path.c_str());
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
    return 0;
}
