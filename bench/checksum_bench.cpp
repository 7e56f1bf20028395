// CRC-32 throughput next to a byte-at-a-time table loop and memcpy of the
// same buffer, with a closing summary in MB/s (10^6 bytes per second; the
// table's own figures are binary: M/s = MiB/s, G/s = GiB/s).
// Run: build/native/bench/checksum_bench
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "checksum.h"

namespace {

const size_t kBufferSize = size_t(64) << 20;

const std::vector<unsigned char> &Buffer()
{
    static std::vector<unsigned char> data = [] {
        std::vector<unsigned char> bytes(kBufferSize);
        uint32_t seed = 12345;
        for (unsigned char &b : bytes) {
            seed = seed * 1103515245u + 12345u;
            b = (unsigned char)(seed >> 16);
        }
        return bytes;
    }();
    return data;
}

uint32_t BytewiseCrc(uint32_t state, const unsigned char *data, size_t length)
{
    for (size_t i = 0; i < length; i++) state = kCrcTable[(state ^ data[i]) & 0xFF] ^ (state >> 8);
    return state;
}

void BM_UpdateCrc(benchmark::State &state)
{
    const std::vector<unsigned char> &data = Buffer();
    for (auto _ : state) benchmark::DoNotOptimize(UpdateCrc(0xFFFFFFFFu, data.data(), data.size()));
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(data.size()));
}

void BM_BytewiseTable(benchmark::State &state)
{
    const std::vector<unsigned char> &data = Buffer();
    for (auto _ : state) benchmark::DoNotOptimize(BytewiseCrc(0xFFFFFFFFu, data.data(), data.size()));
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(data.size()));
}

// With the cancel probe once per mebibyte, as the split and join run it.
void BM_ComputeBufferChecksum(benchmark::State &state)
{
    const std::vector<unsigned char> &data = Buffer();
    for (auto _ : state) benchmark::DoNotOptimize(ComputeBufferChecksum(data.data(), int64_t(data.size())));
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(data.size()));
}

void BM_Memcpy(benchmark::State &state)
{
    const std::vector<unsigned char> &data = Buffer();
    std::vector<unsigned char> copy(data.size());
    for (auto _ : state) {
        std::memcpy(copy.data(), data.data(), data.size());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(data.size()));
}

}  // namespace

BENCHMARK(BM_UpdateCrc)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BytewiseTable)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ComputeBufferChecksum)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Memcpy)->Unit(benchmark::kMillisecond);

namespace {

// Passes everything to the console and keeps each benchmark's throughput:
// the last plain run's, or the median when there are repetitions.
class SummaryReporter : public benchmark::ConsoleReporter {
public:
    std::map<std::string, double> bytesPerSecond;

    SummaryReporter() : ConsoleReporter(OO_Tabular) {}  // no colours: the figures get pasted

    void ReportRuns(const std::vector<Run> &runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run &run : runs) {
            bool plain = run.run_type == Run::RT_Iteration;
            if (run.error_occurred || !(plain || run.aggregate_name == "median")) continue;
            auto counter = run.counters.find("bytes_per_second");
            if (counter != run.counters.end()) bytesPerSecond[run.run_name.function_name] = counter->second;
        }
    }
};

}  // namespace

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 2;
    SummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    std::map<std::string, double> &rate = reporter.bytesPerSecond;
    std::printf("\nMB/s:");
    for (const auto &entry : rate) std::printf("  %s %.0f", entry.first.c_str() + 3, entry.second / 1e6);
    if (rate["BM_BytewiseTable"] > 0)
        std::printf("\nUpdateCrc / byte-at-a-time: %.1fx (target >= 10)", rate["BM_UpdateCrc"] / rate["BM_BytewiseTable"]);
    if (rate["BM_Memcpy"] > 0)
        std::printf("; UpdateCrc / memcpy: %.2fx", rate["BM_UpdateCrc"] / rate["BM_Memcpy"]);
    std::printf("\n");
    return 0;
}
