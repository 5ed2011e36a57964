// Rendering through the AudioUnit component as a host does: fast dispatch, the instance lock
// held for each block, float buffers. Compare with bench_instrument's offline renders.

#include "AUHostBundle.h"
#include "AUHostUnit.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <vector>

namespace {

const AUHostBundle& Bundle() {
    static AUHostBundle* bundle = [] {
        auto* b = new AUHostBundle;
        std::string error;
        if (!b->Load(KV_COMPONENT_BUNDLE, error)) std::fprintf(stderr, "%s\n", error.c_str());
        return b;
    }();
    return *bundle;
}

// Blocks of state.range(0) frames at 48 kHz with four notes held.
void BM_ComponentRender(benchmark::State& state) {
    AUHostUnit unit(Bundle().GetComponent());
    const auto frames = static_cast<UInt32>(state.range(0));
    if (!unit.IsOpen() || unit.Prepare(48000.0, frames) != noErr) {
        state.SkipWithError("the component does not open");
        return;
    }
    for (int note : {48, 55, 60, 64})
        unit.Midi(0x90, note, 100, 0);
    std::vector<float> left(frames), right(frames);
    for (auto _ : state) {
        unit.Render(frames, left.data(), right.data());
        benchmark::DoNotOptimize(left.data());
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(frames));
    state.counters["realtime"] = benchmark::Counter(
        static_cast<double>(state.iterations()) * frames / 48000.0, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ComponentRender)->Arg(64)->Arg(512)->Arg(4096);

// A parameter change through fast dispatch, as automation sends it between blocks.
void BM_ComponentSetParameter(benchmark::State& state) {
    AUHostUnit unit(Bundle().GetComponent());
    unit.Prepare(48000.0, 512);
    float value = 0.0f;
    for (auto _ : state) {
        unit.SetParameter(8, value);
        value = value > 0.9f ? 0.0f : value + 0.01f;
    }
}
BENCHMARK(BM_ComponentSetParameter);

// Saving and restoring the whole state as a host does with its documents.
void BM_ComponentStateRoundTrip(benchmark::State& state) {
    AUHostUnit unit(Bundle().GetComponent());
    unit.Prepare(48000.0, 512);
    for (auto _ : state) {
        const std::vector<uint8_t> xml = unit.SaveState();
        benchmark::DoNotOptimize(unit.LoadState(xml));
    }
}
BENCHMARK(BM_ComponentStateRoundTrip)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
