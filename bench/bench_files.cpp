// Load and save of a full 64 KiB image in each file format, in process, and
// for reference the whole-process time of srec_cat converting the same file.
// Figures: the median of the repetitions, and the image throughput in MB/s
// (65,536 bytes per operation; "file_bytes" gives the size on disk).
#include "core/buffer.h"
#include "files/file_commands.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

using gang::TBuffer;

// One folder for the whole run, removed at exit.
class TBenchDir {
public:
    TBenchDir()
    {
        char pattern[] = "/tmp/gang_bench_files_XXXXXX";
        if (mkdtemp(pattern) != nullptr)
            Path_ = pattern;
    }
    ~TBenchDir()
    {
        if (!Path_.empty()) [[maybe_unused]]
            int rc = std::system(("rm -rf '" + Path_ + "'").c_str());
    }
    std::string File(const std::string& name) const { return Path_ + "/" + name; }
    bool Ok() const { return !Path_.empty(); }

private:
    std::string Path_;
};

TBenchDir& Dir()
{
    static TBenchDir dir;
    return dir;
}

std::unique_ptr<TBuffer> Full_Image()
{
    auto b = std::make_unique<TBuffer>();
    std::mt19937 rng(64);
    for (auto& byte : b->Data)
        byte = static_cast<uint8_t>(rng());
    b->End_Of_Eprom = 0xFFFF; // a 64 KiB device type
    return b;
}

const char* Format_Name(int type)
{
    static const char* names[] = {"binary", "intel", "motorola", "ascii"};
    return names[type];
}

std::string Path_Of(int type)
{
    return Dir().File(std::string("image.") + Format_Name(type));
}

void Save(int type, const TBuffer& b)
{
    if (type == 0)
        gang::Save_Binary_File(Path_Of(type), b);
    else
        gang::Save_Hex_File(Path_Of(type), type, b);
}

long File_Size(const std::string& path)
{
    struct stat st {};
    return stat(path.c_str(), &st) == 0 ? static_cast<long>(st.st_size) : 0;
}

void Report(benchmark::State& state, int type)
{
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * gang::Buffer_Size);
    state.counters["file_bytes"] = static_cast<double>(File_Size(Path_Of(type)));
    state.SetLabel(Format_Name(type));
}

void BM_Save_64K(benchmark::State& state)
{
    int type = static_cast<int>(state.range(0));
    auto b = Full_Image();
    for (auto _ : state)
        Save(type, *b);
    Report(state, type);
}

// The same save onto a name that does not exist yet.  Emptying an existing
// file and writing it again makes ext4 start the write-back at close (its
// protection for files replaced by truncation), which BM_Save_64K includes.
void BM_Save_64K_New_File(benchmark::State& state)
{
    int type = static_cast<int>(state.range(0));
    auto b = Full_Image();
    for (auto _ : state) {
        state.PauseTiming();
        unlink(Path_Of(type).c_str());
        state.ResumeTiming();
        Save(type, *b);
    }
    Report(state, type);
}

void BM_Load_64K(benchmark::State& state)
{
    int type = static_cast<int>(state.range(0));
    auto source = Full_Image();
    Save(type, *source);
    auto b = std::make_unique<TBuffer>();
    b->End_Of_Eprom = 0xFFFF;
    for (auto _ : state) {
        if (type == 0)
            gang::Load_Binary_File(Path_Of(type), *b);
        else
            gang::Load_Hex_File(Path_Of(type), *b);
        benchmark::DoNotOptimize(b->Data.data());
    }
    if (b->Data != source->Data)
        state.SkipWithError("the loaded image differs from the saved one");
    Report(state, type);
}

// Whole process: start srec_cat, read the file, write a binary image, exit.
void BM_Srec_Cat_To_Binary(benchmark::State& state)
{
    int type = static_cast<int>(state.range(0));
    if (std::system("command -v srec_cat >/dev/null 2>&1") != 0) {
        state.SkipWithError("srec_cat is not installed");
        return;
    }
    Save(type, *Full_Image());
    std::string command = "srec_cat " + Path_Of(type) + (type == 1 ? " -intel" : " -motorola") +
                          " -o " + Dir().File("srec_cat.bin") + " -binary >/dev/null 2>&1";
    for (auto _ : state) {
        if (std::system(command.c_str()) != 0) {
            state.SkipWithError("srec_cat failed");
            break;
        }
    }
    Report(state, type);
}

constexpr int Repetitions = 5;

BENCHMARK(BM_Save_64K)
    ->DenseRange(0, 3)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Repetitions(Repetitions)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_Save_64K_New_File)
    ->DenseRange(0, 3)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Repetitions(Repetitions)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_Load_64K)
    ->DenseRange(0, 3)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Repetitions(Repetitions)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_Srec_Cat_To_Binary)
    ->DenseRange(1, 2)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(10)
    ->Repetitions(Repetitions)
    ->ReportAggregatesOnly(true);

} // namespace

BENCHMARK_MAIN();
