// Eight voices held for ten seconds at 48 kHz in 512-frame blocks: the LV2 module through lilv
// (control ports, event sequence, float outputs) against the offline tool's render of the
// same notes. Compare the CPU times: the machine running them may be shared.

#include "LilvHost.h"

#include "Karvelund.h"
#include "midi_render.h"
#include "param_assignment.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace {

constexpr double kRate = 48000.0;
constexpr int kBlock = 512;
constexpr int kBlocks = static_cast<int>(10 * kRate / kBlock);
constexpr int kStrikeEvery = 188; // blocks: about two seconds
constexpr int kVoices = 8;

uint8_t Note(int voice) {
    return static_cast<uint8_t>(48 + 3 * voice);
}

void SetCounters(benchmark::State& state) {
    const double samples = double(kBlocks) * kBlock * static_cast<double>(state.iterations());
    state.counters["ns_per_sample"] = benchmark::Counter(
        samples * 1e-9, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// Eight notes struck together every strike and released in the strike's last block.
void BM_OfflineEightVoices(benchmark::State& state) {
    std::vector<kv::cli::MidiFileEvent> events;
    for (int b = 0; b < kBlocks; b += kStrikeEvery) {
        for (int v = 0; v < kVoices; ++v)
            events.push_back({b * kBlock / kRate, 0x90, Note(v), 100});
        const double release = (b + kStrikeEvery - 1) * kBlock / kRate;
        for (int v = 0; v < kVoices; ++v)
            events.push_back({release, 0x80, Note(v), 0});
    }
    for (auto _ : state) {
        state.PauseTiming();
        std::unique_ptr<Karvelund> plug(MakePlug());
        kv::cli::applyDefaults(*plug);
        plug->Initialize(kRate, kBlock);
        state.ResumeTiming();
        kv::cli::renderMidiEvents(*plug, events, kRate, kBlock, kv::cli::RenderTail{},
                                  [](const double* l, const double*, int) {
                                      benchmark::DoNotOptimize(l[0]);
                                      return true;
                                  });
    }
    SetCounters(state);
}
BENCHMARK(BM_OfflineEightVoices)->Unit(benchmark::kMillisecond);

void BM_LV2RunEightVoices(benchmark::State& state) {
    IsolatedUserData isolated;
    LilvHost host;
    for (auto _ : state) {
        state.PauseTiming();
        auto rig = std::make_unique<LilvInstanceRig>(host, kRate);
        rig->left.reserve(size_t(kBlocks) * kBlock);
        rig->right.reserve(size_t(kBlocks) * kBlock);
        state.ResumeTiming();
        for (int b = 0; b < kBlocks; ++b) {
            const int phase = b % kStrikeEvery;
            for (int v = 0; v < kVoices; ++v) {
                if (phase == 0) rig->midi(0, 0x90, Note(v), 100);
                if (phase == kStrikeEvery - 1) rig->midi(0, 0x80, Note(v), 0);
            }
            rig->run(kBlock);
        }
        benchmark::DoNotOptimize(rig->left.back());
    }
    SetCounters(state);
}
BENCHMARK(BM_LV2RunEightVoices)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
