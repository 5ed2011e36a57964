// What a voice costs deep in a long release against what it costs while held. A release that
// decays into denormal numbers makes the tail far slower than the note; the target is at most
// 1.5 times the held cost. Each benchmark renders 512-sample blocks of eight voices of the
// default sound with the longest release, the tail ones starting that many seconds after the
// keys were let go (while the voices are still sounding).

#include "Karvelund.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

namespace {

constexpr double kRate = 48000.0;
constexpr int kBlock = 512;

struct EightVoices {
    std::unique_ptr<Karvelund> plug;
    std::vector<double> left = std::vector<double>(kBlock), right = std::vector<double>(kBlock);

    EightVoices() : plug(MakePlug()) {
        for (int i = 0; i < plug->NParams(); ++i)
            plug->GetParam(i)->Set(plug->GetParam(i)->GetDefault());
        plug->GetParam(kRelease)->SetNormalized(1.0);
        plug->GetParam(kSustain)->SetNormalized(1.0);
        plug->Initialize(kRate, kBlock);
        for (int v = 0; v < 8; ++v)
            plug->SendMidiToPlug(IMidiMsg(0, 0x90, static_cast<unsigned char>(48 + 3 * v), 100));
        RenderSeconds(0.5);
    }
    void Release() {
        for (int v = 0; v < 8; ++v)
            plug->SendMidiToPlug(IMidiMsg(0, 0x80, static_cast<unsigned char>(48 + 3 * v), 0));
    }
    void RenderBlock() {
        double* outputs[2] = {left.data(), right.data()};
        plug->Render(outputs, kBlock);
    }
    void RenderSeconds(double seconds) {
        for (int i = 0; i < static_cast<int>(seconds * kRate / kBlock); ++i)
            RenderBlock();
    }
    int BusyVoices() const {
        int busy = 0;
        for (const auto& voice : plug->GetSynth().voices)
            busy += voice.state.isBusy() ? 1 : 0;
        return busy;
    }
};

void Held(benchmark::State& state) {
    EightVoices voices;
    for (auto _ : state) {
        voices.RenderBlock();
        benchmark::DoNotOptimize(voices.left.data());
    }
    state.counters["busy_voices"] = voices.BusyVoices();
    state.SetItemsProcessed(state.iterations() * kBlock);
}

// Arg: tenths of a second after the release began. The tail is rendered on from there, so a
// long run reaches further into it; busy_voices says whether the voices still sounded.
void ReleaseTail(benchmark::State& state) {
    EightVoices voices;
    voices.Release();
    voices.RenderSeconds(static_cast<double>(state.range(0)) / 10.0);
    for (auto _ : state) {
        voices.RenderBlock();
        benchmark::DoNotOptimize(voices.left.data());
    }
    state.counters["busy_voices"] = voices.BusyVoices();
    state.SetItemsProcessed(state.iterations() * kBlock);
}

} // namespace

BENCHMARK(Held)->MinTime(0.5);
BENCHMARK(ReleaseTail)->Arg(1)->Arg(10)->Arg(30)->Arg(60)->MinTime(0.5);

BENCHMARK_MAIN();
