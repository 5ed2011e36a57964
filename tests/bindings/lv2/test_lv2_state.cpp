// Saving and restoring the instance through the LV2 state interface: what a save holds, a
// fresh instance that restores it saves the same bytes, broken states change nothing, and a
// restore while the instance plays lands between two blocks.

#include "LilvSuite.h"
#include "StateProbe.h"

#include "Karvelund.h"

#include <gtest/gtest.h>
#include <lv2/atom/atom.h>

#include <atomic>
#include <cstring>
#include <memory>
#include <thread>

namespace {

const std::string kParams = "https://zerlinda.audio/plugins/karvelund#params";
const std::string kPreset = "https://zerlinda.audio/plugins/karvelund#preset";
const std::string kNames = "https://zerlinda.audio/plugins/karvelund#presetNames";

int32_t PresetOf(const StoredState& s) {
    int32_t v = -1;
    std::memcpy(&v, s.at(kPreset).bytes.data(), sizeof v);
    return v;
}

double ParamOf(const StoredState& s, int idx) {
    double v = 0.0;
    std::memcpy(&v, s.at(kParams).bytes.data() + idx * sizeof(double), sizeof v);
    return v;
}

class State : public LilvSuite {
protected:
    // Recalls factory preset idx in a playing instance and saves it after a block.
    StoredState savedAfterPreset(LilvInstanceRig& rig, int idx) {
        applyPreset(rig, idx);
        rig.run(32);
        StateProbe probe{*sHost, {}};
        return probe.save(rig);
    }
    void applyPreset(LilvInstanceRig& rig, int idx) {
        LilvState* state = sHost->presetState(idx);
        ASSERT_NE(state, nullptr);
        rig.apply(state);
        lilv_state_free(state);
    }
};

TEST_F(State, SaveHoldsParametersCurrentPresetAndNames) {
    LilvInstanceRig rig(*sHost, 48000.0);
    applyPreset(rig, 9);
    rig.run(64);
    rig.setControl("cutoff", 0.25f);
    rig.run(64);
    StateProbe probe{*sHost, {}};
    const StoredState saved = probe.save(rig);
    ASSERT_EQ(saved.count(kParams), 1u);
    EXPECT_EQ(saved.at(kParams).type, LV2_ATOM__Chunk);
    EXPECT_EQ(saved.at(kParams).bytes.size(), 31u * sizeof(double));
    EXPECT_EQ(PresetOf(saved), 9);
    EXPECT_DOUBLE_EQ(ParamOf(saved, kCutoff), 0.25);

    // The other parameters are the preset's exact values, not their single-precision images.
    std::unique_ptr<Karvelund> reference(MakePlug());
    reference->RestorePreset(9);
    for (int i = 0; i < kNumParams; ++i)
        if (i != kCutoff) {
            EXPECT_EQ(ParamOf(saved, i), reference->GetParam(i)->Value()) << i;
        }
    // 64 names as length-prefixed strings.
    size_t pos = 0;
    const auto& names = saved.at(kNames).bytes;
    for (int i = 0; i < 64; ++i) {
        ASSERT_LE(pos + 4, names.size());
        uint32_t length = 0;
        std::memcpy(&length, names.data() + pos, 4);
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(names.data()) + pos + 4, length),
                  reference->GetPresetName(i));
        pos += 4 + length;
    }
    EXPECT_EQ(pos, names.size());
}

TEST_F(State, FreshInstanceRestoringASaveSavesTheSameBytes) {
    LilvInstanceRig first(*sHost, 44100.0);
    applyPreset(first, 21);
    first.setControl("lfo_type", 3.0f);
    first.setControl("resonance", 0.6f);
    first.midi(0, 0x90, 60, 100);
    first.run(256);
    LilvState* saved = first.save();
    ASSERT_NE(saved, nullptr);
    StateProbe probe{*sHost, {}};
    const StoredState firstProps = probe.save(first);

    // Restored before activation, as hosts do when they load a session.
    LilvInstanceRig second(*sHost, 44100.0, /*activate*/ false);
    second.apply(saved);
    second.activate();
    second.run(256);
    LilvState* again = second.save();
    EXPECT_EQ(probe.save(second), firstProps);
    EXPECT_TRUE(lilv_state_equals(saved, again));

    char* firstText = lilv_state_to_string(sHost->world(), sHost->uridMap(), sHost->uridUnmap(),
                                           saved, "urn:karvelund:test", nullptr);
    char* secondText = lilv_state_to_string(sHost->world(), sHost->uridMap(), sHost->uridUnmap(),
                                            again, "urn:karvelund:test", nullptr);
    EXPECT_STREQ(firstText, secondText);
    lilv_free(firstText);
    lilv_free(secondText);
    lilv_state_free(saved);
    lilv_state_free(again);
}

TEST_F(State, BrokenStatesAreRefusedAndChangeNothing) {
    LilvInstanceRig rig(*sHost, 48000.0);
    const StoredState before = savedAfterPreset(rig, 3);
    StateProbe probe{*sHost, {}};

    auto broken = [&](auto change) {
        StoredState s = before;
        change(s);
        EXPECT_NE(probe.restore(rig, s), LV2_STATE_SUCCESS);
        rig.run(64);
        EXPECT_EQ(probe.save(rig), before);
    };
    broken([](StoredState& s) { s[kParams].bytes.resize(240); });
    broken([](StoredState& s) {
        const double nan = std::nan("");
        std::memcpy(s[kParams].bytes.data() + 8 * kCutoff, &nan, sizeof nan);
    });
    broken([](StoredState& s) { s[kParams].type = LV2_ATOM__String; });
    broken([](StoredState& s) {
        const int32_t outside = 64;
        std::memcpy(s[kPreset].bytes.data(), &outside, 4);
    });
    broken([](StoredState& s) { s[kPreset].bytes.resize(2); });
    broken([](StoredState& s) { s[kNames].bytes.resize(s[kNames].bytes.size() - 3); });
    broken([](StoredState& s) {
        const uint32_t huge = 0x7FFFFFF0;
        std::memcpy(s[kNames].bytes.data(), &huge, 4);
    });
    broken([](StoredState& s) { s.clear(); });
}

TEST_F(State, PresetRecallMakesThatPresetCurrent) {
    LilvInstanceRig rig(*sHost, 48000.0);
    const StoredState saved = savedAfterPreset(rig, 40);
    EXPECT_EQ(PresetOf(saved), 40);
    std::unique_ptr<Karvelund> reference(MakePlug());
    reference->RestorePreset(40);
    for (int i = 0; i < kNumParams; ++i)
        EXPECT_EQ(ParamOf(saved, i), reference->GetParam(i)->Value()) << i;
}

TEST_F(State, RestoreWhilePlayingLandsBetweenBlocks) {
    LilvInstanceRig source(*sHost, 48000.0);
    applyPreset(source, 12);
    source.setControl("volume", 0.33f);
    source.run(16);
    StateProbe sourceProbe{*sHost, {}};
    const StoredState wanted = sourceProbe.save(source);

    LilvInstanceRig rig(*sHost, 48000.0);
    rig.midi(0, 0x90, 48, 100);
    rig.run(128);
    std::atomic<bool> restored{false};
    std::thread restorer([&] {
        StateProbe probe{*sHost, {}};
        for (int i = 0; i < 20; ++i)
            EXPECT_EQ(probe.restore(rig, wanted), LV2_STATE_SUCCESS);
        restored = true;
    });
    int blocks = 0;
    while (!restored || blocks < 2) {
        rig.run(64);
        ++blocks;
    }
    restorer.join();
    rig.run(64);
    for (float v : rig.left)
        ASSERT_TRUE(std::isfinite(v));
    StateProbe probe{*sHost, {}};
    EXPECT_EQ(probe.save(rig), wanted);
}

TEST_F(State, SaveBeforeTheNextBlockSeesAWaitingRestore) {
    LilvInstanceRig rig(*sHost, 48000.0);
    rig.run(16);
    StateProbe probe{*sHost, {}};
    StoredState wanted = probe.save(rig);
    const int32_t preset = 17;
    std::memcpy(wanted[kPreset].bytes.data(), &preset, 4);
    const double cutoff = 0.125;
    std::memcpy(wanted[kParams].bytes.data() + 8 * kCutoff, &cutoff, 8);
    ASSERT_EQ(probe.restore(rig, wanted), LV2_STATE_SUCCESS);
    EXPECT_EQ(probe.save(rig), wanted); // no block has run yet
    rig.run(16);
    EXPECT_EQ(probe.save(rig), wanted);
}

} // namespace
