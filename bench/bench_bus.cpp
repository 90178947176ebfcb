// The program's own cost per adapter bus access: Write_Latch and Read_Bus on
// a port whose register accesses do nothing.  A real ISA parallel-port access
// takes about 1 us; the program should add well under 20 ns per call.
#include "core/buffer.h"
#include "core/form_model.h"
#include "link/host.h"
#include "link/link.h"
#include "link/port.h"
#include "ui/core/form_report.h"

#include "bench/bench_port.h"

#include <benchmark/benchmark.h>

namespace {

using namespace gang;

class TNullPort : public bench::TBenchPort {
public:
    void Write(uint16_t, TRegister, uint8_t value) override { benchmark::DoNotOptimize(value); }
    uint8_t Read(uint16_t, TRegister) override { return 0x5A; }
};

class TNullHost : public IHost {
public:
    void ProcessMessages() override {}
    void ArmTimer(int) override {}
    void DisarmTimer() override {}
    int SecondsOfDay() override { return 0; }
    void ShowInfo(const std::string&) override {}
    void ShowInfoAt(const std::string&, int, int) override {}
    void ShowError(const std::string&) override {}
};

struct TBench {
    TNullPort Port;
    TNullHost Host;
    TFormModel Form;
    TFormReport Report{Form};
    TSelection Sel;
    TBuffer Buffer;
    TLink Link{Port, Host, Report, Sel, Buffer};
    TBench()
    {
        Link.DataPort = 0x378;
        Link.Port_Enable();
    }
};

// Six register writes per latch write, five accesses per read.
void Add_Counters(benchmark::State& state, int accesses)
{
    state.counters["per_access"] = benchmark::Counter(
        accesses, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_Write_Latch(benchmark::State& state)
{
    TBench b;
    uint16_t value = 0;
    for (auto _ : state) {
        b.Link.Latch_Byte = value++;
        b.Link.Write_Data_Latch();
    }
    Add_Counters(state, 6);
}
BENCHMARK(BM_Write_Latch);

void BM_Read_Bus(benchmark::State& state)
{
    TBench b;
    b.Link.Nibble_Delay = static_cast<int32_t>(state.range(0));
    for (auto _ : state) {
        b.Link.Read_Bus();
        benchmark::DoNotOptimize(b.Link.Read_Value);
    }
    Add_Counters(state, 5);
}
BENCHMARK(BM_Read_Bus)->Arg(0)->Arg(3)->Arg(5);

} // namespace

BENCHMARK_MAIN();
