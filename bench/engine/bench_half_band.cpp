// Cost of the half-band decimator per output sample (one channel), next to what the engine
// spends on a sample: it should be a small part of an oversampled render's doubled work.

#include "HalfBandDecimator.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

namespace {

constexpr int kBlock = 512; // output samples per iteration

void BM_HalfBandDecimator(benchmark::State& state) {
    std::vector<double> in(2 * kBlock), out(kBlock);
    for (size_t i = 0; i < in.size(); ++i)
        in[i] = std::sin(0.01 * static_cast<double>(i));
    HalfBandDecimator decimator;
    for (auto _ : state) {
        decimator.process(in.data(), out.data(), kBlock);
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.counters["ns_per_output_sample"] =
        benchmark::Counter(double(state.iterations()) * kBlock * 1e-9,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_HalfBandDecimator);

} // namespace

BENCHMARK_MAIN();
