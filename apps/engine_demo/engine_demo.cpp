// Renders a few seconds of a chord through the engine with the instrument's default settings
// and writes it to a WAV file.

#include "DenormalGuard.h"
#include "EngineKit.h"

#include <sndfile.h>

#include <cstdio>
#include <vector>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: engine_demo OUT.wav\n");
        return 2;
    }
    constexpr int kRate = 48000;
    enginekit::Patch patch;
    patch.cutoff = 0.62;
    patch.envAmount = 0.7;
    patch.decay = 0.5;
    patch.sustain = 0.6;
    patch.release = 0.45;
    patch.sawDetune = 0.2;
    patch.volume = 0.5;
    Synthesizer synth;
    enginekit::apply(synth, patch, kRate);

    const int chord[] = {48, 55, 60, 64, 67, 71};
    std::vector<float> samples;
    DenormalGuard guard;
    for (int i = 0; i < 6; ++i)
        enginekit::noteOn(synth, i, chord[i], 100);
    for (int n = 0; n < kRate * 3; ++n)
        samples.push_back(float(synth.process()));
    for (int i = 0; i < 6; ++i)
        enginekit::noteOff(synth, i);
    for (int n = 0; n < kRate * 2; ++n)
        samples.push_back(float(synth.process()));

    SF_INFO info{};
    info.samplerate = kRate;
    info.channels = 1;
    info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    SNDFILE* file = sf_open(argv[1], SFM_WRITE, &info);
    if (!file) {
        std::fprintf(stderr, "engine_demo: cannot write %s: %s\n", argv[1], sf_strerror(nullptr));
        return 1;
    }
    const sf_count_t written = sf_writef_float(file, samples.data(), sf_count_t(samples.size()));
    sf_close(file);
    if (written != sf_count_t(samples.size())) {
        std::fprintf(stderr, "engine_demo: short write to %s\n", argv[1]);
        return 1;
    }
    std::printf("%s\n", argv[1]);
    return 0;
}
