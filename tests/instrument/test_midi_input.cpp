// MIDI as hosts send it: any block size, the controllers hosts send when they stop, and bytes
// that are not MIDI.

#include "InstrumentHost.h"

#include "EngineKit.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

struct TimedMsg {
    int sample;
    int status, data1, data2;
};

// Keys let go and pressed again within a few samples, overlapping notes and the pedal: where
// a host's block begins must not matter.
const std::vector<TimedMsg> kQuickPhrase = {
    {0, 0x90, 60, 100},     {3000, 0x80, 60, 0},  {3002, 0x90, 62, 90},   {3003, 0x90, 60, 80},
    {6000, 0x80, 62, 0},    {6000, 0x80, 60, 0},  {6001, 0x90, 64, 100},  {6500, 0x90, 67, 70},
    {7000, 0x80, 67, 0},    {7001, 0x90, 67, 70}, {9000, 0xB0, 64, 127},  {9500, 0x80, 64, 0},
    {9501, 0x90, 64, 110},  {9700, 0x80, 67, 0},  {11000, 0xB0, 64, 0},   {11001, 0x90, 71, 90},
    {13000, 0x80, 64, 0},   {13001, 0x80, 71, 0}, {13002, 0x90, 72, 100}, {15000, 0x80, 72, 0},
    {15000, 0x90, 48, 100}, {15400, 0x80, 48, 0}, {15401, 0x90, 50, 100}, {17000, 0x80, 50, 0},
};

std::vector<double> render(int blockSize, const std::vector<std::pair<int, double>>& settings,
                           const std::vector<TimedMsg>& msgs, int samples) {
    InstrumentHost host(blockSize);
    for (auto [idx, value] : settings)
        host.setParam(idx, value);
    size_t next = 0;
    for (int start = 0; start < samples; start += blockSize) {
        for (; next < msgs.size() && msgs[next].sample < start + blockSize; ++next)
            host.send(msgs[next].status, msgs[next].data1, msgs[next].data2,
                      msgs[next].sample - start);
        host.renderBlocks(1);
    }
    host.left.resize(static_cast<size_t>(samples));
    return host.left;
}

double rmsOf(const std::vector<double>& x, size_t from, size_t to) {
    return enginekit::rms(x, from, to);
}

class MidiInput : public ::testing::Test {
protected:
    IsolatedUserData userData;
};

} // namespace

TEST_F(MidiInput, QuickRepressesRenderTheSameAtEveryBlockSize) {
    const std::vector<std::vector<std::pair<int, double>>> patches = {
        {},
        {{kPhonicType, 0}},
        {{kPhonicType, 0}, {kPortaSpeed, 0.3}, {kLFOType, 1}, {kLFOAmount, 0.9}},
        {{kPhonicType, 2}, {kPortaSpeed, 0.3}},
        {{kLFOType, 0}, {kLFOTarget, 0}, {kLFOAmount, 0.9}, {kBPMSync, 0}, {kLFOSpeed, 0.5}},
        {{kLFOType, 4}, {kLFOTarget, 2}, {kLFOAmount, 0.1}, {kCutoff, 0.5}},
    };
    constexpr int kSamples = 20000;
    for (size_t p = 0; p < patches.size(); ++p) {
        const std::vector<double> reference = render(1, patches[p], kQuickPhrase, kSamples);
        ASSERT_GT(rmsOf(reference, 0, kSamples), 0.01);
        for (int block : {7, 64, 333, 512, 4096})
            EXPECT_EQ(render(block, patches[p], kQuickPhrase, kSamples), reference)
                << "patch " << p << ", blocks of " << block;
    }
}

TEST_F(MidiInput, AllNotesOffReleasesAndThePedalStillHolds) {
    const std::vector<TimedMsg> chord = {
        {0, 0x90, 60, 100}, {0, 0x90, 64, 100}, {0, 0x90, 67, 100}, {4800, 0xB0, 123, 0}};
    const std::vector<double> off = render(64, {}, chord, 14400);
    EXPECT_GT(rmsOf(off, 2400, 4800), 0.05);
    EXPECT_LT(rmsOf(off, 12000, 14400), 1e-4) << "released, and the release has ended";

    std::vector<TimedMsg> pedal = chord;
    pedal.insert(pedal.begin(), {0, 0xB0, 64, 127});
    const std::vector<double> held = render(64, {}, pedal, 14400);
    EXPECT_GT(rmsOf(held, 12000, 14400), 0.05) << "the pedal keeps them sounding";

    pedal.push_back({14400, 0xB0, 64, 0});
    const std::vector<double> lifted = render(64, {}, pedal, 24000);
    EXPECT_LT(rmsOf(lifted, 21600, 24000), 1e-4) << "until it is released";
}

TEST_F(MidiInput, AllSoundOffSilencesAtItsSample) {
    const std::vector<TimedMsg> msgs = {{0, 0xB0, 64, 127},
                                        {0, 0x90, 60, 100},
                                        {0, 0x90, 67, 100},
                                        {5003, 0xB0, 120, 0},
                                        {7000, 0x90, 72, 100}};
    const std::vector<double> out = render(64, {{kRelease, 0.8}}, msgs, 9600);
    EXPECT_NE(out[5002], 0.0);
    for (int i = 5003; i < 7000; ++i)
        ASSERT_EQ(out[i], 0.0) << "sample " << i;
    EXPECT_GT(rmsOf(out, 7200, 9600), 0.05) << "a later note plays again";
}

TEST_F(MidiInput, ResetAllControllersCentresTheWheelsAndLiftsThePedal) {
    const std::vector<std::pair<int, double>> plain = {{kPitchBendRange, 12}, {kSub, 0.0}};
    const std::vector<TimedMsg> bent = {
        {0, 0x90, 69, 100}, {100, 0xE0, 0, 127}, {4800, 0xB0, 121, 0}};
    const std::vector<double> out = render(64, plain, bent, 9600);
    const double up = 440.0 * std::pow(2.0, 12 * (127 * 128 - 8192) / 8192.0 / 12);
    EXPECT_NEAR(enginekit::estimateFrequency(out, 48000.0, 600.0, 1200.0, 2400), up, 20.0);
    EXPECT_NEAR(enginekit::estimateFrequency(out, 48000.0, 300.0, 600.0, 7200), 440.0, 3.0);

    const std::vector<TimedMsg> pedal = {
        {0, 0xB0, 64, 127}, {0, 0x90, 69, 100}, {100, 0x80, 69, 0}, {4800, 0xB0, 121, 0}};
    const std::vector<double> lifted = render(64, plain, pedal, 9600);
    EXPECT_GT(rmsOf(lifted, 2400, 4800), 0.05);
    EXPECT_LT(rmsOf(lifted, 7200, 9600), 1e-4) << "the pedal no longer holds the note";
}

TEST_F(MidiInput, MessagesWithDataBytesAbove127AreDropped) {
    const std::vector<TimedMsg> clean = {{0, 0x90, 60, 100}, {3000, 0x80, 60, 0}};
    std::vector<TimedMsg> dirty = clean;
    dirty.push_back({500, 0x90, 64, 255});  // velocity 255
    dirty.push_back({600, 0xB0, 1, 255});   // mod wheel 255
    dirty.push_back({700, 0xE0, 255, 255}); // pitch wheel beyond its range
    dirty.push_back({800, 0x90, 200, 100}); // note 200
    const std::vector<std::pair<int, double>> wheelToCutoff = {{kModWheelTarget, 2},
                                                               {kCutoff, 0.5}};
    EXPECT_EQ(render(64, wheelToCutoff, dirty, 6000), render(64, wheelToCutoff, clean, 6000));
}

TEST_F(MidiInput, HeldKeyCountStaysConsistentWhenThePhonicTypeChanges) {
    for (int mode : {0, 1, 2}) {
        InstrumentHost host;
        host.setParam(kPhonicType, mode);
        host.noteOn(60, 100);
        host.noteOn(64, 100);
        host.renderBlocks(2);
        host.setParam(kPhonicType, mode); // applied again while the keys are down
        EXPECT_EQ(host.plug().GetNumKeys(), 0);
        host.noteOff(60);
        host.noteOff(64);
        host.renderBlocks(2);
        EXPECT_EQ(host.plug().GetNumKeys(), 0) << "mode " << mode;
        host.noteOn(67, 100);
        host.renderBlocks(1);
        EXPECT_EQ(host.plug().GetNumKeys(), 1) << "mode " << mode;
        int lit = 0;
        for (int key = 0; key < 128; ++key)
            lit += host.plug().GetKeyStatus(key) ? 1 : 0;
        EXPECT_EQ(lit, 1) << "mode " << mode;
    }
}
