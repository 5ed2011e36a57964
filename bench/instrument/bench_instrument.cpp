// The whole instrument against the bare engine: a minute of eight held voices at 48 kHz,
// rendered through the offline host in 512-sample blocks with MIDI dispatch, with and without
// writing the WAV file, on the scalar engine (argument 0) and the SIMD engine (1), beside the
// engine rendering the same voices directly.

#include "EngineKit.h"
#include "IPluginOffline.h"
#include "Karvelund.h"
#include "midi_render.h"
#include "param_assignment.h"
#include "wav_writer.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <unistd.h>

using namespace kv::cli;

namespace {

constexpr double kRate = 48000.0;
constexpr double kSeconds = 60.0;

// Eight notes struck together every two seconds and released just before the next strike, so
// eight voices sound all the time.
std::vector<MidiFileEvent> eightVoiceMinute() {
    std::vector<MidiFileEvent> events;
    for (double t = 0.0; t < kSeconds; t += 2.0) {
        for (int v = 0; v < 8; ++v)
            events.push_back({t, 0x90, static_cast<uint8_t>(48 + 3 * v), 100});
        for (int v = 0; v < 8; ++v)
            events.push_back({t + 1.99, 0x80, static_cast<uint8_t>(48 + 3 * v), 0});
    }
    return events;
}

// The engine is chosen as the tool's user chooses it, in the environment.
std::unique_ptr<Karvelund> defaultInstrument(const benchmark::State& state) {
    const bool simd = state.range(0) != 0;
    setenv("KARVELUND_ENGINE", simd ? "simd" : "scalar", 1);
    std::unique_ptr<Karvelund> plug(MakePlug());
    applyDefaults(*plug);
    plug->Initialize(kRate, 512);
    return plug;
}

void setCounters(benchmark::State& state, double samplesPerIteration) {
    const double samples = samplesPerIteration * static_cast<double>(state.iterations());
    state.counters["ns_per_sample"] = benchmark::Counter(
        samples * 1e-9, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["realtime_x"] = benchmark::Counter(samples / kRate, benchmark::Counter::kIsRate);
}

void BM_InstrumentMinute(benchmark::State& state) {
    const auto events = eightVoiceMinute();
    int64_t samples = 0;
    for (auto _ : state) {
        auto plug = defaultInstrument(state);
        samples = renderMidiEvents(*plug, events, kRate, 512, RenderTail{},
                                   [](const double* l, const double*, int) {
                                       benchmark::DoNotOptimize(l[0]);
                                       return true;
                                   });
    }
    setCounters(state, static_cast<double>(samples));
}

void BM_InstrumentMinuteToWav(benchmark::State& state) {
    const auto events = eightVoiceMinute();
    const std::string path = "/tmp/karvelund-bench-" + std::to_string(getpid()) + ".wav";
    int64_t samples = 0;
    for (auto _ : state) {
        auto plug = defaultInstrument(state);
        WavWriter wav;
        std::string error;
        if (!wav.open(path, static_cast<int>(kRate), 2, WavSampleFormat::Float32, error)) {
            state.SkipWithError(error.c_str());
            return;
        }
        std::vector<double> frames;
        samples = renderMidiEvents(*plug, events, kRate, 512, RenderTail{},
                                   [&](const double* l, const double* r, int n) {
                                       frames.resize(2 * static_cast<size_t>(n));
                                       for (int i = 0; i < n; ++i) {
                                           frames[2 * i] = l[i];
                                           frames[2 * i + 1] = r[i];
                                       }
                                       return wav.writeFrames(frames.data(), n, error);
                                   });
        wav.finish(error);
    }
    std::remove(path.c_str());
    setCounters(state, static_cast<double>(samples));
}

void BM_EngineMinute(benchmark::State& state) {
    const int samples = static_cast<int>(kRate * kSeconds);
    for (auto _ : state) {
        Synthesizer synth;
        enginekit::apply(synth, enginekit::Patch{}, kRate);
        for (int v = 0; v < 8; ++v)
            enginekit::noteOn(synth, v, 48 + 3 * v, 100);
        double sum = 0.0;
        for (int i = 0; i < samples; ++i)
            sum += synth.process();
        benchmark::DoNotOptimize(sum);
    }
    setCounters(state, samples);
}

} // namespace

BENCHMARK(BM_EngineMinute)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_InstrumentMinute)->ArgName("simd")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_InstrumentMinuteToWav)->ArgName("simd")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
