#include "FuzzCheck.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace kvfuzz {

namespace {

constexpr size_t kMaxPresetsPutBackOneByOne = 4;

// One preset as a preset list stores it.
struct StoredPreset {
    std::string name;
    bool initialized = false;
    std::vector<unsigned char> state;
    bool operator==(const StoredPreset&) const = default;
};

std::vector<StoredPreset> ReadPresetList(const IPluginBase& plug,
                                         const std::vector<unsigned char>& bytes) {
    ByteChunk chunk;
    chunk.PutBytes(bytes.data(), static_cast<int>(bytes.size()));
    std::vector<StoredPreset> presets(static_cast<size_t>(plug.NPresets()));
    int pos = 0;
    for (StoredPreset& preset : presets) {
        UTIL_String name;
        pos = chunk.GetStr(&name, pos);
        pos = chunk.GetBool(&preset.initialized, pos);
        const int end = pos >= 0 && preset.initialized ? plug.CheckState(&chunk, pos) : pos;
        if (end < 0) Fail("the plug-in's own preset list does not read back");
        preset.name = name.Get();
        preset.state.assign(chunk.GetBytes() + pos, chunk.GetBytes() + end);
        pos = end;
    }
    return presets;
}

bool SameBytes(const ByteChunk& chunk, const std::vector<unsigned char>& bytes) {
    return static_cast<size_t>(chunk.Size()) == bytes.size() &&
           (bytes.empty() || std::memcmp(chunk.GetBytes(), bytes.data(), bytes.size()) == 0);
}

} // namespace

void Fail(const char* format, ...) {
    std::va_list args;
    va_start(args, format);
    std::fputs("FINDING: ", stderr);
    std::vfprintf(stderr, format, args);
    std::fputc('\n', stderr);
    va_end(args);
    std::abort();
}

void UseInstalledFactoryBank() {
    // A folder that does not exist: no per-user bank.
    ::setenv("XDG_DATA_HOME", "/nonexistent/karvelund-fuzz", 1);
}

Snapshot Capture(IPluginBase& plug) {
    Snapshot snapshot;
    ByteChunk state, presets;
    plug.SerializeState(&state);
    plug.SerializePresets(&presets);
    snapshot.state.assign(state.GetBytes(), state.GetBytes() + state.Size());
    snapshot.presets.assign(presets.GetBytes(), presets.GetBytes() + presets.Size());
    snapshot.current = plug.GetCurrentPresetIdx();
    return snapshot;
}

const char* Difference(IPluginBase& plug, const Snapshot& snapshot) {
    // Kept between calls: their room stays, so a comparison allocates nothing.
    static ByteChunk state, presets;
    state.Clear();
    presets.Clear();
    plug.SerializeState(&state);
    if (!SameBytes(state, snapshot.state)) return "the parameter state";
    plug.SerializePresets(&presets);
    if (!SameBytes(presets, snapshot.presets)) return "the presets";
    if (plug.GetCurrentPresetIdx() != snapshot.current) return "the current preset";
    return nullptr;
}

void RequireUnchanged(IPluginBase& plug, const Snapshot& before, const char* after) {
    if (const char* changed = Difference(plug, before)) Fail("%s changed after %s", changed, after);
}

void RestoreStored(IPluginBase& plug, const Snapshot& pristine) {
    const char* changed = Difference(plug, pristine);
    if (!changed) return;
    static ByteChunk presets;
    presets.Clear();
    plug.SerializePresets(&presets);
    const bool presetsChanged = !SameBytes(presets, pristine.presets);
    if (presetsChanged) {
        const std::vector<unsigned char> now(presets.GetBytes(),
                                             presets.GetBytes() + presets.Size());
        const std::vector<StoredPreset> changedPresets = ReadPresetList(plug, now);
        const std::vector<StoredPreset> original = ReadPresetList(plug, pristine.presets);
        std::vector<int> differing;
        for (int i = 0; i < plug.NPresets(); ++i) {
            if (!(changedPresets[static_cast<size_t>(i)] == original[static_cast<size_t>(i)]))
                differing.push_back(i);
        }
        if (differing.size() > kMaxPresetsPutBackOneByOne) {
            // A whole bank: the list in one go costs half of putting each preset back.
            ByteChunk list;
            list.PutBytes(pristine.presets.data(), static_cast<int>(pristine.presets.size()));
            if (plug.UnserializePresets(&list, 0) < 0) Fail("the presets cannot be put back");
            differing.clear();
        }
        for (int i : differing) {
            const StoredPreset& preset = original[static_cast<size_t>(i)];
            if (!preset.initialized || preset.name.empty())
                Fail("preset %d cannot be put back: it was empty or unnamed", i);
            ByteChunk state;
            state.PutBytes(preset.state.data(), static_cast<int>(preset.state.size()));
            if (!plug.RestorePreset(i) || plug.UnserializeState(&state, 0) < 0)
                Fail("preset %d cannot be put back", i);
            plug.ModifyCurrentPreset(preset.name.c_str());
        }
    }
    // The parameters come from the current preset, as they did when the plug-in was new.
    if (!plug.RestorePreset(pristine.current)) Fail("the current preset cannot be put back");
    // Selecting an initialised preset stores nothing, so the presets need a second look only
    // when they were written.
    static ByteChunk state;
    state.Clear();
    plug.SerializeState(&state);
    if (!SameBytes(state, pristine.state) || plug.GetCurrentPresetIdx() != pristine.current ||
        (presetsChanged && Difference(plug, pristine)))
        Fail("the stored state did not return to where it started");
}

void RequireSaneBlock(const double* samples, int n, const char* after) {
    for (int i = 0; i < n; ++i) {
        if (!std::isfinite(samples[i]) || std::fabs(samples[i]) > 1.0)
            Fail("sample %d is %g after %s", i, samples[i], after);
    }
}

void RequireSaneOutput(Player& player, const char* after) {
    constexpr int kBlock = 32;
    // Ten notes for eight voices, so two are stolen; the pedal, bend and wheel arrive while
    // they sound, and the notes end under the pedal before it is let go.
    const int notes[] = {36, 48, 55, 60, 64, 67, 72, 76, 79, 84};
    for (int note : notes)
        player.Midi(0, 0x90, note, 100);
    player.Midi(3, 0xB0, 64, 127);
    player.Midi(6, 0xE0, 0x7F, 0x7F);
    player.Midi(9, 0xB0, 1, 127);
    for (int block = 0; block < 4; ++block) {
        if (block == 2) {
            for (int note : notes)
                player.Midi(2, 0x80, note, 0);
            player.Midi(3, 0xB0, 64, 0);
        }
        RequireSaneBlock(player.Render(kBlock), kBlock, after);
    }
}

} // namespace kvfuzz
