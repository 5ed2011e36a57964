// Reference renders and editor pictures, pinned by their hashes. Restructuring the code must
// not change a single sample or pixel; a change that is meant to alter the sound or the picture
// updates the hash it changes, in the same commit, and says why.
//
// The renders use one-sample blocks: every MIDI message then takes effect at its own sample,
// which is what every block size must reproduce.

#include "InstrumentHost.h"

#include "raster/raster.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <utility>
#include <vector>

namespace {

uint64_t fnv1a(const void* data, size_t bytes, uint64_t h = 1469598103934665603ull) {
    const auto* p = static_cast<const unsigned char*>(data);
    for (size_t i = 0; i < bytes; ++i) {
        h ^= p[i];
        h *= 1099511628211ull;
    }
    return h;
}

struct TimedMsg {
    int sample;
    int status, data1, data2;
};

// A phrase that exercises what note handling distinguishes: overlapping chords, a key released
// and pressed again at once, a legato line, the pedal holding released keys, bends and the wheel.
std::vector<TimedMsg> phrase() {
    return {
        {0, 0x90, 48, 100},      {0, 0x90, 55, 90},      {0, 0x90, 60, 80},
        {4000, 0xB0, 1, 64},     {6000, 0xE0, 0, 80},    {9000, 0x80, 55, 0},
        {9000, 0x90, 55, 110},   {12000, 0x80, 48, 0},   {12001, 0x90, 64, 70},
        {15000, 0xE0, 0, 64},    {16000, 0xB0, 64, 127}, {17000, 0x80, 60, 0},
        {17500, 0x80, 64, 0},    {18000, 0x90, 67, 127}, {19000, 0x80, 67, 0},
        {21000, 0xB0, 64, 0},    {21010, 0x90, 72, 60},  {24000, 0x90, 74, 60},
        {24500, 0x80, 72, 0},    {27000, 0x90, 76, 60},  {27000, 0x80, 74, 0},
        {30000, 0xB0, 1, 127},   {33000, 0x80, 76, 0},   {33000, 0x80, 55, 0},
        {34000, 0x90, 36, 127},  {34100, 0x90, 43, 20},  {34200, 0x90, 50, 127},
        {34300, 0x90, 57, 40},   {34400, 0x90, 62, 127}, {34500, 0x90, 69, 90},
        {34600, 0x90, 74, 100},  {34700, 0x90, 79, 127}, {34800, 0x90, 84, 127},
        {38000, 0xE0, 127, 127}, {42000, 0x80, 36, 0},   {42000, 0x80, 43, 0},
        {42000, 0x80, 50, 0},    {42000, 0x80, 57, 0},   {42000, 0x80, 62, 0},
        {42000, 0x80, 69, 0},    {42000, 0x80, 74, 0},   {42000, 0x80, 79, 0},
        {42000, 0x80, 84, 0},
    };
}

constexpr int kPhraseSamples = 54000;

struct Scenario {
    const char* name;
    int factoryProgram; // -1: the declared defaults
    std::vector<std::pair<int, double>> settings;
    uint64_t hash;
};

uint64_t renderHash(const Scenario& s) {
    InstrumentHost host(1, 48000.0, s.factoryProgram >= 0);
    if (s.factoryProgram >= 0) host.plug().RestorePreset(s.factoryProgram);
    for (auto [idx, value] : s.settings)
        host.setParam(idx, value);
    const std::vector<TimedMsg> msgs = phrase();
    size_t next = 0;
    double l = 0.0, r = 0.0;
    double* outputs[2] = {&l, &r};
    uint64_t h = fnv1a(nullptr, 0);
    for (int i = 0; i < kPhraseSamples; ++i) {
        for (; next < msgs.size() && msgs[next].sample == i; ++next)
            host.send(msgs[next].status, msgs[next].data1, msgs[next].data2, 0);
        host.plug().Render(outputs, 1);
        h = fnv1a(&l, sizeof l, h);
    }
    return h;
}

const std::vector<Scenario>& scenarios() {
    static const std::vector<Scenario> all = {
        {"defaults, poly", -1, {}, 0x4389748af3322505ull},
        {"mono with glide", -1, {{kPhonicType, 0}, {kPortaSpeed, 0.3}}, 0xa65ba53498af2f48ull},
        {"legato with glide", -1, {{kPhonicType, 2}, {kPortaSpeed, 0.35}}, 0x4ca031804c7f83aaull},
        {"sine LFO to pitch, free",
         -1,
         {{kBPMSync, 0}, {kLFOType, 0}, {kLFOTarget, 0}, {kLFOSpeed, 0.4}, {kLFOAmount, 0.8}},
         0x456a5013c40c0a49ull},
        {"ramp LFO to pulse width, synced",
         -1,
         {{kLFOType, 1}, {kLFOTarget, 1}, {kLFOSpeed, 0.35}, {kPulse, 1.0}, {kLFOAmount, 0.1}},
         0x260a93914d8f1f80ull},
        {"square LFO to filter",
         -1,
         {{kLFOType, 2}, {kLFOTarget, 2}, {kLFOSpeed, 0.45}, {kCutoff, 0.6}, {kLFOAmount, 0.9}},
         0x1d3d083e879d84d0ull},
        {"random LFO to amp, free",
         -1,
         {{kBPMSync, 0}, {kLFOType, 3}, {kLFOTarget, 3}, {kLFOSpeed, 0.5}, {kLFOAmount, 1.0}},
         0x2e4cae7e677de561ull},
        {"one-shot sine to hard sync",
         -1,
         {{kLFOType, 4}, {kLFOTarget, 4}, {kLFOAmount, 0.9}, {kLFOSpeed, 0.3}},
         0xf00b4c602c227640ull},
        {"one-shot ramp to pitch, mono",
         -1,
         {{kLFOType, 5},
          {kLFOTarget, 0},
          {kPhonicType, 0},
          {kBPMSync, 0},
          {kLFOSpeed, 0.3},
          {kLFOAmount, 0.75}},
         0x1717ab7a7faafe7ull},
        {"high-pass with resonance",
         -1,
         {{kFilterType, 1}, {kCutoff, 0.55}, {kResonance, 0.8}, {kEnvAmount, 0.7}},
         0x287edfeb08b1a2dcull},
        {"band-pass, tracking",
         -1,
         {{kFilterType, 2}, {kCutoff, 0.5}, {kResonance, 0.5}, {kKbdTrk, 0.6}},
         0xd33eef98bad00013ull},
        {"hard sync and detune",
         -1,
         {{kHardSync, 0.5}, {kSawDetune, 0.4}, {kSaw, 1.0}, {kSub, 0.2}, {kNoise, 0.2}},
         0x49d2b0bd71b605e1ull},
        {"drive before the filter",
         -1,
         {{kDriveAmount, 0.7}, {kCutoff, 0.7}},
         0x4fcdb806b65ecd73ull},
        {"drive after the filter, gate amp",
         -1,
         {{kDrivePrePost, 1}, {kDriveAmount, 0.9}, {kAmpEnvSelect, 1}},
         0x275b4b842af6638aull},
        {"envelope shapes and velocity",
         -1,
         {{kAttack, 0.3},
          {kDecay, 0.35},
          {kSustain, 0.4},
          {kRelease, 0.4},
          {kVelocityTarget, 1},
          {kModWheelTarget, 2},
          {kPitchBendRange, 12}},
         0xc2651c67c6171d37ull},
        {"velocity to amp, wheel to hard sync",
         -1,
         {{kVelocityTarget, 2}, {kModWheelTarget, 3}, {kSubOscWave, 0.9}, {kPulseWidth, 0.2}},
         0xf6d45d191209e788ull},
        {"factory 1", 0, {}, 0xc33fe1a51c15881cull},
        {"factory 9", 8, {}, 0x32260c2f5a84fa93ull},
        {"factory 23", 22, {}, 0x47b8fdb71424b240ull},
        {"factory 37", 36, {}, 0x9b5dd994bcd71c17ull},
        {"factory 50", 49, {}, 0x30c3249f551d8443ull},
        {"factory 64", 63, {}, 0xff576de6e3b4d486ull},
    };
    return all;
}

TEST(ReferenceRenders, EveryScenarioRendersAsPinned) {
    IsolatedUserData userData;
    for (const Scenario& s : scenarios()) {
        const uint64_t h = renderHash(s);
        EXPECT_EQ(h, s.hash) << s.name << ": 0x" << std::hex << h << "ull";
    }
}

uint64_t pictureHash(InstrumentHost& host) {
    host.syncEditor();
    host.editor().DrawAll();
    RAST_IBitmap* b = host.editor().GetDrawBitmap();
    uint64_t h = fnv1a(nullptr, 0);
    for (int y = 0; y < b->getHeight(); ++y)
        h = fnv1a(b->getBits() + y * b->getRowSpan(), sizeof(RAST_pixel) * b->getWidth(), h);
    return h;
}

TEST(ReferencePictures, EditorStatesDrawAsPinned) {
    IsolatedUserData userData;
    InstrumentHost defaults;
    EXPECT_EQ(pictureHash(defaults), 0xabab3e844f2c33aull)
        << "defaults: 0x" << std::hex << pictureHash(defaults);

    InstrumentHost factory(64, 48000.0, true);
    factory.plug().RestorePreset(12);
    EXPECT_EQ(pictureHash(factory), 0xc4203e165b45d3f3ull)
        << "factory 13: 0x" << std::hex << pictureHash(factory);

    InstrumentHost extremes;
    for (int i = 0; i < kNumParams; ++i) {
        double lo, hi;
        extremes.plug().GetParam(i)->GetBounds(lo, hi);
        extremes.setParam(i, hi);
    }
    extremes.noteOn(60, 100);
    extremes.noteOn(67, 100);
    extremes.renderBlocks(1);
    EXPECT_EQ(pictureHash(extremes), 0x72dbbefb4bf16183ull)
        << "maxima, keys: 0x" << std::hex << pictureHash(extremes);
}

} // namespace
