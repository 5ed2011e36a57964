// An instance put back to where it started plays exactly as a new one: the fuzz targets keep
// one instrument per process and rely on this to make every finding reproducible on its own.

#include "InstrumentHost.h"

#include "core/ByteChunk.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

std::vector<unsigned char> Bytes(const ByteChunk& chunk) {
    return {chunk.GetBytes(), chunk.GetBytes() + chunk.Size()};
}

std::vector<unsigned char> StateOf(Karvelund& k) {
    ByteChunk state;
    k.SerializeState(&state);
    return Bytes(state);
}

std::vector<unsigned char> PresetsOf(Karvelund& k) {
    ByteChunk presets;
    k.SerializePresets(&presets);
    return Bytes(presets);
}

// A phrase that reaches everything a note leaves behind: a chord with more notes than voices,
// the pedal, bend and wheel, a release under the pedal, a message queued beyond the block, and
// a change of preset while notes sound.
void PlayHistory(InstrumentHost& h, int preset) {
    h.plug().SelectPreset(preset);
    for (int note : {36, 43, 48, 55, 60, 64, 67, 71, 74, 79})
        h.noteOn(note, 90 + note % 30, note % 40);
    h.control(64, 127, 3);
    h.send(0xE0, 0x10, 0x60, 9);
    h.control(1, 100, 17);
    h.renderBlocks(30);
    for (int note : {36, 60, 67})
        h.noteOff(note, 5);
    h.control(64, 0, 20);
    h.renderBlocks(10);
    h.plug().SelectPreset((preset + 7) % h.plug().NPresets());
    h.noteOn(62, 127, 1000); // beyond this block: still queued afterwards
    h.renderBlocks(3);
}

// Loads a program, a bank with a renamed preset and a state, each changing what is stored.
void LoadHistory(Karvelund& k) {
    k.SelectPreset(40);
    ByteChunk program;
    k.MakeProgramFile(&program);
    k.SelectPreset(2);
    ASSERT_TRUE(k.LoadProgramFromChunk(&program));
    k.ModifyCurrentPreset("Renamed By The Test");
    ByteChunk bank;
    k.MakeBankFile(&bank);
    ASSERT_TRUE(k.LoadBankFromChunk(&bank));
    ByteChunk state;
    k.SelectPreset(9);
    k.SerializeState(&state);
    ASSERT_GE(k.UnserializeState(&state, 0), 0);
}

// What the script then plays: notes in each phonic type the presets use, with the pedal, bend
// and wheel again.
void PlayScript(InstrumentHost& h) {
    for (int preset : {0, 12, 31, 50, 63}) {
        h.plug().SelectPreset(preset);
        h.noteOn(48, 100, 2);
        h.noteOn(52, 80, 30);
        h.send(0xE0, 0x00, 0x20, 40);
        h.control(1, 64, 45);
        h.renderBlocks(8);
        h.control(64, 127, 0);
        h.noteOff(48, 10);
        h.noteOn(55, 110, 20);
        h.renderBlocks(8);
        h.noteOff(52, 0);
        h.noteOff(55, 0);
        h.control(64, 0, 30);
        h.renderBlocks(12);
    }
}

} // namespace

TEST(Restart, AfterAnyHistoryTheInstrumentPlaysBitForBitAsANewOne) {
    IsolatedUserData userData;
    for (int preset : {0, 17, 33, 63}) {
        InstrumentHost used(64, 48000.0, /*factoryPreset*/ true);
        Karvelund& k = used.plug();
        PlayHistory(used, preset);
        LoadHistory(k);
        PlayHistory(used, (preset + 20) % k.NPresets());

        // Presets and parameters come back with the factory bank, the rest with the reset.
        ASSERT_TRUE(k.LoadBankFromFXB(k.GetLoadedBankPath()));
        k.ClearPlayingState();

        InstrumentHost fresh(64, 48000.0, /*factoryPreset*/ true);
        ASSERT_EQ(StateOf(k), StateOf(fresh.plug()));
        ASSERT_EQ(PresetsOf(k), PresetsOf(fresh.plug()));
        ASSERT_EQ(k.GetCurrentPresetIdx(), fresh.plug().GetCurrentPresetIdx());

        used.left.clear();
        used.right.clear();
        PlayScript(used);
        PlayScript(fresh);
        ASSERT_EQ(used.left.size(), fresh.left.size());
        EXPECT_TRUE(used.left == fresh.left) << "history " << preset;
        EXPECT_TRUE(used.right == fresh.right) << "history " << preset;
        EXPECT_GT(*std::max_element(fresh.left.begin(), fresh.left.end()), 0.01);
    }
}

TEST(Restart, ClearingThePlayingStateSilencesEveryVoiceAndKeepsWhatIsStored) {
    IsolatedUserData userData;
    InstrumentHost h(64, 48000.0, /*factoryPreset*/ true);
    Karvelund& k = h.plug();
    PlayHistory(h, 5);
    const auto state = StateOf(k);
    const auto presets = PresetsOf(k);
    const int current = k.GetCurrentPresetIdx();
    k.ClearPlayingState();
    EXPECT_EQ(StateOf(k), state);
    EXPECT_EQ(PresetsOf(k), presets);
    EXPECT_EQ(k.GetCurrentPresetIdx(), current);
    EXPECT_EQ(k.GetNumKeys(), 0);
    h.left.clear();
    h.renderBlocks(40); // the note queued beyond the block is gone with the queue
    for (double sample : h.left)
        ASSERT_EQ(sample, 0.0);
}
