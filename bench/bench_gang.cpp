// Figures of the gang operations on the simulated adapter (1 us per port
// access, as on an ISA parallel port):
//   * port accesses per socket-byte of blank check, verify and move against
//     the protocol's own count (ratio, target 1.00);
//   * the program's own wall time for a 5 x 27C512 verify against the port
//     time it drives (target under 10 %), measured on a port that costs
//     nothing so that only the program's work is timed;
//   * programming: simulated time per byte and the pulse-count histogram of
//     default chips (target two pulses per byte: the first width and the
//     over-program pulse).
#include "devices/catalogue.h"
#include "devices/device_work.h"
#include "link/host.h"
#include "link/link.h"
#include "sim/sim_adapter.h"
#include "ui/core/form_report.h"

#include "bench/bench_port.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <map>
#include <memory>
#include <random>
#include <stdexcept>
#include <string>

namespace gang {
namespace {

// The protocol's own costs, in port accesses: a latch write is the data byte
// and five control writes; a byte read is three control writes and two
// status reads.
constexpr double Latch_Write = 6;
constexpr double Byte_Read = 5;
constexpr double Reset_All_Latches = 5 * Latch_Write;
constexpr double Apply_Config = 4 * Latch_Write;

// Pulse widths: 100 pumps of 13.33 us make one unit of 1/750 s.
constexpr uint32_t Pumps_Per_Unit = 100;
constexpr double Us_Per_Pump = 1e6 / 750.0 / Pumps_Per_Unit;

class TBenchHost : public IHost {
public:
    TLink* Link = nullptr;
    double Now_Us = 0;
    bool Armed = false;
    void ProcessMessages() override
    {
        Now_Us += Us_Per_Pump;
        if (Armed && Link != nullptr) {
            Armed = false;
            Link->ThreadedTimer1Timer();
        }
    }
    void ArmTimer(int) override { Armed = true; }
    void DisarmTimer() override { Armed = false; }
    int SecondsOfDay() override { return static_cast<int>(Now_Us / 1e6) % 60; }
    void ShowInfo(const std::string&) override {}
    void ShowInfoAt(const std::string&, int, int) override {}
    void ShowError(const std::string&) override {}
};

// A port with an adapter that costs nothing: writes vanish, every read
// returns the status byte of an erased chip's nibbles.
class TFreePort : public bench::TBenchPort {
public:
    uint64_t Accesses = 0;
    void Write(uint16_t, TRegister, uint8_t) override { ++Accesses; }
    uint8_t Read(uint16_t, TRegister) override
    {
        ++Accesses;
        return 0x70; // both nibbles F once BUSY is flipped back
    }
};

const TDeviceType& Type_Named(const std::string& name)
{
    for (const TDeviceType& row : Device_Rows())
        if (row.Is_Type() && name == row.Type_Name)
            return row;
    throw std::invalid_argument("no such device type: " + name);
}

struct TProgram {
    TFormModel Form;
    TFormReport Report{Form};
    TSelection Sel;
    TBuffer Buffer;
    TBenchHost Host;
    std::unique_ptr<TLink> Link;
    std::unique_ptr<TDeviceWork> Work;

    explicit TProgram(IPort& port, bool search)
    {
        Link = std::make_unique<TLink>(port, Host, Report, Sel, Buffer);
        Work = std::make_unique<TDeviceWork>(*Link);
        Host.Link = Link.get();
        if (search) {
            Link->Find_Programmer();
        } else {
            Link->DataPort = 0x378;
            Link->Port_Enable();
            Link->Set_Found(true);
        }
        Link->Pulse_Unit = Pumps_Per_Unit;
        Link->Nibble_Delay = 5;
        Link->Set_Vpp();
    }
    void Select(const std::string& type, int gang)
    {
        Work->DeviceClick();
        Work->Device_BoxClick(Type_Named(type).Row);
        Work->Num_Of_DevicesClick(gang);
    }
    void Fill_Random()
    {
        std::mt19937 rng(7);
        for (int32_t a = 0; a <= Buffer.End_Of_Eprom; ++a)
            Buffer.Data[static_cast<std::size_t>(a)] = static_cast<uint8_t>(rng() & 0x7F);
    }
};

// The protocol's floor for a read run of n sockets over the whole range:
// the reset that starts it, the read configuration, one low address byte per
// address and a high one per 256, two latch writes and a read per socket and
// address, and the reset that ends it (move resets once more for its
// checksum).
double Read_Floor(int32_t addresses, int sockets_read, int closing_resets)
{
    const double high_bytes = (addresses + 255) / 256;
    return Reset_All_Latches + Apply_Config + closing_resets * Reset_All_Latches +
           addresses * Latch_Write + high_bytes * Latch_Write +
           double(addresses) * sockets_read * (2 * Latch_Write + Byte_Read);
}

enum class TOp { Blank, Verify, Move };

void BM_ReadRunAccesses(benchmark::State& state, TOp op, const char* type, int gang)
{
    double ratio = 0, per_socket_byte = 0;
    for (auto _ : state) {
        sim::TSimAdapter sim;
        TProgram p(sim, true);
        sim.Set_Fast_Chips(true);
        p.Select(type, gang);
        for (int s = 1; s <= gang; ++s)
            sim.Insert_Chip(s, type);
        p.Buffer.Data.fill(0xFF); // erased chips verify against an erased Buffer
        const uint64_t before = sim.Port_Accesses();
        switch (op) {
        case TOp::Blank:
            p.Work->Blank_ChkClick();
            break;
        case TOp::Verify:
            p.Work->Verify_EpromClick();
            break;
        case TOp::Move:
            p.Work->Move_EpromClick();
            break;
        }
        const double used = double(sim.Port_Accesses() - before);
        const int32_t addresses = p.Buffer.End_Of_Eprom + 1;
        const int read = op == TOp::Move ? 1 : gang;
        per_socket_byte = used / (double(addresses) * read);
        ratio = used / Read_Floor(addresses, read, op == TOp::Move ? 2 : 1);
    }
    state.counters["accesses_per_socket_byte"] = per_socket_byte;
    state.counters["ratio_to_protocol"] = ratio;
}

BENCHMARK_CAPTURE(BM_ReadRunAccesses, blank_5x27C512, TOp::Blank, "27C512", 5)->Iterations(1);
BENCHMARK_CAPTURE(BM_ReadRunAccesses, verify_5x27C512, TOp::Verify, "27C512", 5)->Iterations(1);
BENCHMARK_CAPTURE(BM_ReadRunAccesses, verify_1x2716, TOp::Verify, "2716", 1)->Iterations(1);
BENCHMARK_CAPTURE(BM_ReadRunAccesses, move_5x27C512, TOp::Move, "27C512", 5)->Iterations(1);

// The program's own work for a 5 x 27C512 verify on a port that costs
// nothing, against the port time the same accesses take at 1 us each.
void BM_VerifyOwnWork(benchmark::State& state)
{
    TFreePort port;
    TProgram p(port, false);
    p.Select("27C512", 5);
    p.Buffer.Data.fill(0xFF);
    double own_us = 0, port_us = 0;
    for (auto _ : state) {
        const uint64_t before = port.Accesses;
        const auto t0 = std::chrono::steady_clock::now();
        p.Work->Verify_EpromClick();
        const auto t1 = std::chrono::steady_clock::now();
        own_us = std::chrono::duration<double, std::micro>(t1 - t0).count();
        port_us = double(port.Accesses - before) * 1.0;
        if (p.Form.Device_5.Caption() != "5- Verified OK   ")
            state.SkipWithError("verify did not pass on the free port");
    }
    state.counters["own_ms"] = own_us / 1000;
    state.counters["port_ms"] = port_us / 1000;
    state.counters["own_share_pct"] = 100 * own_us / port_us;
}
BENCHMARK(BM_VerifyOwnWork)->Unit(benchmark::kMillisecond)->Iterations(3);

// Programming default (not fast) chips with real pulse timing: simulated
// time per byte (pulses on the host's clock plus 1 us per port access) and
// how many pulses each byte took.
void BM_ProgramDefaultChips(benchmark::State& state, const char* type, int gang)
{
    std::map<int, uint64_t> histogram;
    double us_per_byte = 0;
    for (auto _ : state) {
        sim::TSimAdapter sim;
        TProgram p(sim, true);
        sim.Set_Clock([&p] { return p.Host.Now_Us; });
        p.Select(type, gang);
        for (int s = 1; s <= gang; ++s)
            sim.Insert_Chip(s, type);
        p.Fill_Random();
        sim.Clear_Events();
        const double clock0 = p.Host.Now_Us;
        const double port0 = sim.Simulated_Port_Time_Us();
        p.Work->Program_EpromClick();
        const double total = (p.Host.Now_Us - clock0) + (sim.Simulated_Port_Time_Us() - port0);
        const double bytes = double(p.Buffer.End_Of_Eprom + 1) * gang;
        us_per_byte = total / bytes;
        std::map<std::pair<int, uint32_t>, int> per_byte;
        for (const sim::TStrobeEvent& e : sim.Strobes())
            ++per_byte[{e.Socket, e.Address}];
        histogram.clear();
        for (const auto& kv : per_byte)
            ++histogram[kv.second];
        if (p.Form.Device_1.Caption() != "1-Programmed OK ")
            state.SkipWithError("programming failed");
    }
    state.counters["sim_ms_per_byte"] = us_per_byte / 1000;
    for (const auto& [pulses, count] : histogram)
        state.counters["bytes_with_" + std::to_string(pulses) + "_pulses"] = double(count);
}
BENCHMARK_CAPTURE(BM_ProgramDefaultChips, 5x27C64, "27C64", 5)->Iterations(1);
BENCHMARK_CAPTURE(BM_ProgramDefaultChips, 1x27C512, "27C512", 1)->Iterations(1);
BENCHMARK_CAPTURE(BM_ProgramDefaultChips, 2x2716, "2716", 2)->Iterations(1);
BENCHMARK_CAPTURE(BM_ProgramDefaultChips, 2x28C16, "28C16", 2)->Iterations(1);
BENCHMARK_CAPTURE(BM_ProgramDefaultChips, 2x28C64, "28C64", 2)->Iterations(1);

} // namespace
} // namespace gang

BENCHMARK_MAIN();
