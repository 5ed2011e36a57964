// Cost of Synthesizer::render on the scalar and the SIMD engine: no, one and eight busy voices at
// 48 kHz, the default patch and a heavier one, with the SIMD/scalar speed ratio; and the cost
// of a tail that has decayed into denormal range with and without flushing denormals.

#include "DenormalGuard.h"
#include "EngineKit.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <ctime>
#include <map>
#include <vector>

using namespace enginekit;

namespace {

constexpr double kRate = 48000.0;
constexpr int kBlock = 4800; // samples per measured iteration

Patch heavyPatch() {
    Patch p;
    p.resonance = 0.7;
    p.sawDetune = 0.3;
    p.hardSync = 0.3;
    return p;
}

void setCounters(benchmark::State& state, int voices) {
    const double samples = double(state.iterations()) * kBlock;
    state.counters["ns_per_sample"] = benchmark::Counter(
        samples * 1e-9, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    if (voices > 0)
        state.counters["ns_per_voice_sample"] = benchmark::Counter(
            samples * voices * 1e-9, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["realtime_x"] = benchmark::Counter(samples / kRate, benchmark::Counter::kIsRate);
}

// CPU ns per voice-sample of the scalar engine for each patch and voice count, measured by the
// scalar runs of this program (which run first), for the SIMD/scalar ratio.
std::map<std::pair<int, int>, double> scalarCost;

// Renders blocks of kBlock samples with voices busy voices, after one block of warm-up.
// Arguments: voices, engine (0 scalar, 1 SIMD). With no voice busy, what remains is the
// synth-wide work of every sample: smoothers, noise, LFOs, master volume.
void renderVoices(benchmark::State& state, const Patch& patch, int patchId) {
    const int voices = int(state.range(0));
    const bool simd = state.range(1) != 0;
    Synthesizer synth;
    synth.setEngine(simd ? Synthesizer::Engine::kSimd : Synthesizer::Engine::kScalar);
    apply(synth, patch, kRate);
    for (int v = 0; v < voices; ++v)
        noteOn(synth, v, 48 + 3 * v);
    std::vector<double> out(kBlock);
    DenormalGuard guard; // as the instrument renders
    synth.render(out.data(), kBlock);
    const std::clock_t start = std::clock();
    for (auto _ : state) {
        synth.render(out.data(), kBlock);
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    const double cpuNs = double(std::clock() - start) / CLOCKS_PER_SEC * 1e9;
    setCounters(state, voices);

    const double nsPerVoiceSample =
        cpuNs / (double(state.iterations()) * kBlock * std::max(voices, 1));
    const auto key = std::make_pair(patchId, voices);
    if (!simd) {
        scalarCost[key] = nsPerVoiceSample;
        state.SetLabel("scalar");
    } else {
        if (scalarCost.count(key) && nsPerVoiceSample > 0.0)
            state.counters["simd_over_scalar"] = scalarCost[key] / nsPerVoiceSample;
        state.SetLabel(synth.instructionSet());
    }
}

void BM_DefaultPatch(benchmark::State& state) {
    renderVoices(state, Patch{}, 0);
}
void BM_HeavyPatch(benchmark::State& state) {
    renderVoices(state, heavyPatch(), 1);
}

// One held voice whose oscillator mix is off: the DC blocker and the filter decay towards
// zero and eventually compute with denormal numbers.
void silentTail(benchmark::State& state, bool flush) {
    Synthesizer synth;
    Patch p;
    apply(synth, p, kRate);
    noteOn(synth, 0, 60);
    for (int i = 0; i < kBlock; ++i)
        synth.process();
    GlobalState& gs = synth.globalState;
    gs.setSawAmount(0.0);
    gs.setPulseAmount(0.0);
    gs.setSubAmount(0.0);
    for (int i = 0; i < int(kRate * 160); ++i) // long enough for the tail to go denormal
        synth.process();
    for (auto _ : state) {
        double sum = 0.0;
        if (flush) {
            DenormalGuard guard;
            for (int i = 0; i < kBlock; ++i)
                sum += synth.process();
        } else {
            for (int i = 0; i < kBlock; ++i)
                sum += synth.process();
        }
        benchmark::DoNotOptimize(sum);
    }
    setCounters(state, 1);
}

void BM_DenormalTail(benchmark::State& state) {
    silentTail(state, false);
}
void BM_DenormalTailFlushed(benchmark::State& state) {
    silentTail(state, true);
}

} // namespace

BENCHMARK(BM_DefaultPatch)->ArgsProduct({{0, 1, 8}, {0, 1}})->ArgNames({"voices", "simd"});
BENCHMARK(BM_HeavyPatch)->ArgsProduct({{1, 8}, {0, 1}})->ArgNames({"voices", "simd"});
BENCHMARK(BM_DenormalTail)->Iterations(200);
BENCHMARK(BM_DenormalTailFlushed)->Iterations(200);
BENCHMARK_MAIN();
