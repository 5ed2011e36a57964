// The SIMD voice bank against the scalar reference engine: the same scenes rendered by both
// agree within 1e-7 (the only differences come from the bank's exp2 and tanf), and the bank's
// output does not depend on how a render is split into blocks.

#include "EngineKit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

using namespace enginekit;

namespace {

constexpr double kRate = 48000.0;

struct Scene {
    std::string name;
    Patch patch;
    // Plays the scene on a synthesizer, rendering through render(samples) as it goes.
    std::function<void(Synthesizer&, const std::function<void(int)>&)> play;
};

// A poly phrase: a chord, a ninth note that steals, releases, a repeated note, a pedal.
void polyPhrase(Synthesizer& s, const std::function<void(int)>& render) {
    bool phrase = false;
    for (int n : {48, 52, 55, 59, 62, 65, 69, 72}) {
        const int v = s.findFreeVoice();
        s.startVoice(v, n, 100, phrase);
        s.assignNote(v, n);
        render(700);
    }
    const int stolen = s.findFreeVoice();
    s.startVoice(stolen, 84, 90, phrase);
    s.assignNote(stolen, 84);
    render(3000);
    s.globalState.setPitchWheelDelta(0.7);
    s.globalState.modWheel.setModWheelAmount(0.6);
    s.releaseNote(52);
    s.releaseNote(62);
    render(2000);
    s.globalState.setSustainPedalOnoff(1.0);
    s.releaseNote(55);
    s.releaseNote(69);
    render(2000);
    const int again = s.findVoicePlaying(72);
    s.startVoice(again, 72, 40, phrase);
    render(2000);
    s.globalState.setSustainPedalOnoff(0.0);
    s.releaseSustained();
    render(2000);
    s.releaseAll();
    render(6000);
}

// One voice moving between notes, as mono and legato play use voice 0.
void monoPhrase(Synthesizer& s, const std::function<void(int)>& render) {
    bool phrase = false;
    s.startVoice(0, 45, 127, phrase);
    s.assignNote(0, 45);
    s.jumpToNote(0, 45);
    render(3000);
    s.setTargetNote(0, 57);
    render(3000);
    s.startVoice(0, 52, 64, phrase);
    s.assignNote(0, 52);
    render(3000);
    s.setTargetNote(0, 40);
    render(3000);
    s.releaseNote(52);
    render(6000);
}

std::vector<Scene> scenes() {
    std::vector<Scene> all;
    auto add = [&](std::string name, Patch p, bool mono = false) {
        all.push_back({std::move(name), p, mono ? monoPhrase : polyPhrase});
    };
    Patch base;
    base.saw = 0.7;
    base.pulse = 0.4;
    base.sub = 0.5;
    base.noise = 0.1;
    base.sawDetune = 0.2;
    base.pulseWidth = 0.3;
    base.cutoff = 0.55;
    base.resonance = 0.5;
    base.kbdTrk = 0.3;
    base.envAmount = 0.75;
    base.attack = 0.2;
    base.decay = 0.3;
    base.sustain = 0.6;
    base.release = 0.25;
    base.velocityTarget = 2;
    base.pitchBendRange = 3;
    add("poly", base);

    // Every waveform, and every target, each at least once.
    for (int type = LFO::kSine; type <= LFO::kRampOneShot; ++type) {
        for (int target = LFO::kPitch; target <= LFO::kHardSync; ++target) {
            const bool covers = target == type % 5 || (type == LFO::kSineOneShot && target != 4);
            if (!covers) continue;
            Patch p = base;
            p.lfoType = type;
            p.lfoTarget = target;
            p.lfoAmount = target == LFO::kPitch ? 0.62 : 0.9;
            p.bpmSync = false;
            p.lfoSpeed = 0.35;
            add("lfo type " + std::to_string(type) + " target " + std::to_string(target), p);
        }
    }
    for (int type : {Filter::kHighPass, Filter::kBandPass}) {
        Patch p = base;
        p.filterType = type;
        add("filter " + std::to_string(type), p);
    }
    Patch sync = base;
    sync.hardSync = 0.4;
    sync.modWheelTarget = ModWheelManager::kHardSync;
    add("sync", sync);
    Patch drive = base;
    drive.driveAmount = 0.5;
    add("drive pre", drive);
    drive.drivePost = true;
    add("drive post", drive);
    Patch gate = base;
    gate.ampEnvType = 1;
    gate.modWheelTarget = ModWheelManager::kCutoff;
    gate.pulseWidth = 0.8; // automatic pulse-width modulation
    add("gate amp", gate);
    Patch mono = base;
    mono.phonicType = GlobalState::kMono;
    mono.portaSpeed = 0.35;
    add("mono glide", mono, true);
    mono.phonicType = GlobalState::kLegato;
    mono.lfoType = LFO::kSineOneShot;
    mono.lfoTarget = LFO::kFilter;
    mono.lfoAmount = 1.0;
    add("legato one-shot", mono, true);
    return all;
}

std::vector<double> renderScene(const Scene& scene, Synthesizer::Engine engine, int block = 256,
                                const char* instructionSet = nullptr) {
    Synthesizer synth;
    synth.setEngine(engine);
    if (instructionSet && !synth.useInstructionSet(instructionSet)) return {};
    apply(synth, scene.patch, kRate);
    std::vector<double> out;
    scene.play(synth, [&](int n) {
        const size_t start = out.size();
        out.resize(start + n);
        for (int done = 0; done < n; done += block)
            synth.render(out.data() + start + done, std::min(block, n - done));
    });
    return out;
}

} // namespace

// On every instruction set the processor offers, not only the one chosen by default. Each lane
// performs the same operations whatever the set, so all of them render the same samples: the
// choice the processor makes never changes a render.
class EngineEquivalenceOn : public testing::TestWithParam<const char*> {};

TEST_P(EngineEquivalenceOn, SimdMatchesTheScalarReferenceWithinOneTenMillionth) {
    const char* isa = GetParam();
    const char* widest = VoiceBank::supportedInstructionSets().front();
    for (const Scene& scene : scenes()) {
        const auto scalar = renderScene(scene, Synthesizer::Engine::kScalar);
        EXPECT_GT(rms(scalar), 1e-3) << scene.name << " must make a sound to compare";
        const auto simd = renderScene(scene, Synthesizer::Engine::kSimd, 256, isa);
        ASSERT_EQ(scalar.size(), simd.size()) << isa;
        double maxDiff = 0.0;
        for (size_t i = 0; i < scalar.size(); ++i)
            maxDiff = std::max(maxDiff, std::abs(scalar[i] - simd[i]));
        EXPECT_LT(maxDiff, 1e-7) << scene.name << " on " << isa;
        if (std::string_view(isa) != widest) {
            EXPECT_EQ(simd, renderScene(scene, Synthesizer::Engine::kSimd, 256, widest))
                << scene.name << " on " << isa << " and " << widest;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(EveryOfferedInstructionSet, EngineEquivalenceOn,
                         testing::ValuesIn(VoiceBank::supportedInstructionSets()),
                         [](const testing::TestParamInfo<const char*>& info) {
                             return std::string(info.param);
                         });

TEST(EngineEquivalence, OnlyOfferedInstructionSetsCanBeChosen) {
    Synthesizer synth;
    const auto offered = VoiceBank::supportedInstructionSets();
    EXPECT_STREQ(synth.instructionSet(), offered.front()) << "the widest is the default";
    EXPECT_FALSE(synth.useInstructionSet("avx1024"));
    EXPECT_STREQ(synth.instructionSet(), offered.front()) << "a refused choice changes nothing";
    EXPECT_TRUE(synth.useInstructionSet(offered.back()));
    EXPECT_STREQ(synth.instructionSet(), offered.back());
}

TEST(EngineEquivalence, BlockSizeDoesNotChangeTheSound) {
    for (const Scene& scene : scenes()) {
        if (scene.name != "poly" && scene.name != "legato one-shot" &&
            scene.name != "lfo type 3 target 3")
            continue;
        // The bank moves the voices into lanes and back at every call; none of that may show.
        const auto engine = Synthesizer::Engine::kSimd;
        const auto whole = renderScene(scene, engine, 1 << 20);
        EXPECT_EQ(renderScene(scene, engine, 1), whole) << scene.name;
        EXPECT_EQ(renderScene(scene, engine, 37), whole) << scene.name;
    }
}
