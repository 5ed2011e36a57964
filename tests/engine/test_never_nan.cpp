// Strong hard sync at high notes drives the oscillators hardest; whatever is played, the engine
// must never hand the host a non-finite sample, and a voice must recover for its next note.

#include "EngineKit.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace enginekit;

namespace {

// Hard sync as far as the mod wheel can push it, on top of the knob.
Patch syncPatch(double knob, int modWheelTarget) {
    Patch p;
    p.hardSync = knob;
    p.modWheelTarget = modWheelTarget;
    p.saw = 0.75;
    p.pulse = 0.5;
    p.sub = 0.5;
    p.resonance = 0.2;
    p.drivePost = true;
    p.driveAmount = 0.1;
    return p;
}

// Plays the notes from..to as eight-note chords; true when every sample is finite and no
// sample had to be silenced.
::testing::AssertionResult playsFinite(const Patch& patch, double wheel, double rate, int from,
                                       int to, int samplesPerChord) {
    for (int base = from; base <= to; base += Synthesizer::kMaxVoices) {
        Synthesizer synth;
        apply(synth, patch, rate);
        synth.globalState.modWheel.setModWheelAmount(wheel);
        for (int v = 0; v < Synthesizer::kMaxVoices && base + v <= to; ++v)
            noteOn(synth, v, base + v);
        const std::vector<double> out = render(synth, samplesPerChord);
        for (size_t i = 0; i < out.size(); ++i) {
            if (!std::isfinite(out[i]))
                return ::testing::AssertionFailure()
                       << "sample " << i << " of chord from note " << base << " is " << out[i];
        }
        if (synth.silencedSamples != 0)
            return ::testing::AssertionFailure()
                   << synth.silencedSamples << " samples silenced in chord from note " << base;
    }
    return ::testing::AssertionSuccess();
}

} // namespace

TEST(NeverNaN, FullHardSyncOnEveryNoteAtEveryRate) {
    for (double rate : {44100.0, 48000.0, 96000.0}) {
        EXPECT_TRUE(playsFinite(syncPatch(1.0, ModWheelManager::kOff), 0.0, rate, 0, 127, 6000))
            << rate;
        EXPECT_TRUE(
            playsFinite(syncPatch(0.035, ModWheelManager::kHardSync), 1.0, rate, 0, 127, 6000))
            << rate;
        Patch lfoSync = syncPatch(0.5, ModWheelManager::kOff);
        lfoSync.lfoTarget = LFO::kHardSync;
        lfoSync.lfoAmount = 1.0;
        lfoSync.bpmSync = false;
        lfoSync.lfoSpeed = 0.8;
        EXPECT_TRUE(playsFinite(lfoSync, 0.0, rate, 64, 127, 6000)) << rate;
    }
}

TEST(NeverNaN, DefaultPatchAtNote108WithFullSyncStaysAudible) {
    Patch p;
    p.hardSync = 1.0;
    Synthesizer synth;
    apply(synth, p, 48000.0);
    noteOn(synth, 0, 108);
    const std::vector<double> out = render(synth, 8000);
    EXPECT_EQ(synth.silencedSamples, 0u);
    EXPECT_GT(rms(out, 4000), 1e-3);
}

// A voice whose state has gone bad (as a fault elsewhere could leave it) plays its next note
// cleanly, and meanwhile the host only ever sees finite samples.
TEST(NeverNaN, PoisonedVoiceIsClearedAtItsNextNote) {
    Synthesizer synth;
    apply(synth, Patch{}, 48000.0);
    noteOn(synth, 0, 60);
    render(synth, 1000);
    synth.voices[0].sawCore[3] = std::nan("");
    synth.voices[0].filter.s2 = INFINITY;
    const std::vector<double> poisoned = render(synth, 1000);
    for (double y : poisoned)
        ASSERT_TRUE(std::isfinite(y));
    EXPECT_GT(synth.silencedSamples, 0u);

    noteOff(synth, 0);
    render(synth, 48000);
    noteOn(synth, 0, 60);
    const std::vector<double> next = render(synth, 4800);
    for (double y : next)
        ASSERT_TRUE(std::isfinite(y));
    EXPECT_GT(rms(next, 2400), 0.05) << "the voice sounds again";
}
