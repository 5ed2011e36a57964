#include "FuzzKit.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace kvfuzz {

namespace {

constexpr double kRate = 48000.0;
constexpr int kMaxBlock = 4096;

std::unique_ptr<Karvelund> gPlug;

void Create() {
    // A folder that does not exist: no per-user bank, the installed factory bank is used.
    ::setenv("XDG_DATA_HOME", "/nonexistent/karvelund-fuzz", 1);
    gPlug.reset(MakePlug());
    gPlug->Initialize(kRate, kMaxBlock);
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

Karvelund& Instrument() {
    if (!gPlug) Create();
    return *gPlug;
}

Snapshot Capture(Karvelund& plug) {
    Snapshot snapshot;
    ByteChunk state, presets;
    plug.SerializeState(&state);
    plug.SerializePresets(&presets);
    snapshot.state.assign(state.GetBytes(), state.GetBytes() + state.Size());
    snapshot.presets.assign(presets.GetBytes(), presets.GetBytes() + presets.Size());
    snapshot.current = plug.GetCurrentPresetIdx();
    return snapshot;
}

void Discard() {
    gPlug.reset();
}

void RequireSaneBlock(const double* samples, int n, const char* after) {
    for (int i = 0; i < n; ++i) {
        if (!std::isfinite(samples[i]) || std::fabs(samples[i]) > 1.0)
            Fail("sample %d is %g after %s", i, samples[i], after);
    }
}

void RequireSaneOutput(Karvelund& plug, const char* after) {
    static double left[256], right[256];
    double* outputs[2] = {left, right};
    const int notes[] = {36, 48, 55, 60, 64, 67, 72, 76, 79, 84};
    for (int note : notes)
        plug.SendMidiToPlug(IMidiMsg(0, 0x90, static_cast<unsigned char>(note), 100));
    plug.SendMidiToPlug(IMidiMsg(17, 0xB0, 64, 127));
    plug.SendMidiToPlug(IMidiMsg(40, 0xE0, 0x7F, 0x7F));
    plug.SendMidiToPlug(IMidiMsg(90, 0xB0, 1, 127));
    for (int block = 0; block < 4; ++block) {
        if (block == 2) {
            for (int note : notes)
                plug.SendMidiToPlug(IMidiMsg(5, 0x80, static_cast<unsigned char>(note), 0));
            plug.SendMidiToPlug(IMidiMsg(6, 0xB0, 64, 0));
        }
        plug.Render(outputs, 256);
        RequireSaneBlock(left, 256, after);
    }
}

void RequireUnchanged(Karvelund& plug, const Snapshot& before, const char* after) {
    const Snapshot now = Capture(plug);
    if (now.state != before.state) Fail("the parameter state changed after %s", after);
    if (now.presets != before.presets) Fail("the presets changed after %s", after);
    if (now.current != before.current) Fail("the current preset changed after %s", after);
}

bool LoadFile(Karvelund& plug, const uint8_t* data, size_t size,
              bool (IPluginBase::*load)(const ByteChunk*), const char* refused) {
    const Snapshot before = Capture(plug);
    ByteChunk file;
    file.PutBytes(data, static_cast<int>(size));
    if ((plug.*load)(&file)) return true;
    RequireUnchanged(plug, before, refused);
    return false;
}

} // namespace kvfuzz
