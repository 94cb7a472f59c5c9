// Micro-benchmarks of the two pieces of work the generator does itself:
// building the one-second table on every start, and copying it out in the
// render callback.

#include "sine_callback.h"
#include "sine_table.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

namespace {

// The highest rate the dialog offers gives the largest table, so this is
// the worst case a start pays before the stream even opens.
void BM_BuildSineTable_96k(benchmark::State& state)
{
    g_sampleRate = 96000;
    for (auto _ : state) {
        BuildSineTable(1000);
        benchmark::DoNotOptimize(g_sineTable);
        benchmark::ClobberMemory();
        FreeSineTable();
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(g_sampleRate));
}
BENCHMARK(BM_BuildSineTable_96k)->Unit(benchmark::kMicrosecond);

// The stream is opened with one frame per buffer, so the callback is
// called once per frame (by the adapter, over each of the library's
// buffers); the 4096-frame case shows what the copy itself costs once the
// per-call overhead is spread out. "ns/frame" is the figure to compare.
void BM_SineCallback_96k(benchmark::State& state)
{
    const auto frames = static_cast<std::uint32_t>(state.range(0));
    g_sampleRate = 96000;
    BuildSineTable(1000);
    g_tableIndex = 0;
    std::vector<float> out(frames);
    for (auto _ : state) {
        SineCallback(nullptr, out.data(), frames, 0.0, nullptr);
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(frames));
    // Inverted rate: seconds per frame, printed with an SI prefix (n = ns).
    state.counters["s/frame"] = benchmark::Counter(
        static_cast<double>(frames), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    FreeSineTable();
}
BENCHMARK(BM_SineCallback_96k)->ArgName("frames_per_call")->Arg(1)->Arg(4096);

} // namespace
