// CRC-32 throughput next to a byte-at-a-time table loop and memcpy of the
// same buffer. Run: build/native/bench/checksum_bench
#include <benchmark/benchmark.h>

#include <cstring>
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

// Quiet reporting for ComputeBufferChecksum: nothing shown, never cancelled.
void SetStatus(const char *) {}
void ErrorBeep() {}
bool CancelProbe() { return false; }
void *ShowWaitCursor() { return nullptr; }
void RestoreCursor(void *) {}
