#include "InstrumentHost.h"

#include "EngineKit.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

class BlockProcessing : public ::testing::Test {
protected:
    IsolatedUserData userData;
};

// A phrase of timed events played through a host with the given block size.
std::vector<double> playPhrase(int blockSize) {
    struct Event {
        int sample, status, data1, data2;
    };
    const Event events[] = {{0, 0xB0, 1, 0},       {700, 0x90, 60, 100}, {701, 0x90, 64, 90},
                            {2000, 0xE0, 0, 80},   {2500, 0x90, 67, 70}, {4000, 0x80, 60, 0},
                            {4001, 0xB0, 64, 127}, {4500, 0x80, 64, 0},  {6000, 0xB0, 64, 0},
                            {7000, 0x80, 67, 0}};
    InstrumentHost h(blockSize);
    const int total = 12000;
    size_t next = 0;
    for (int start = 0; start < total; start += blockSize) {
        while (next < std::size(events) && events[next].sample < start + blockSize) {
            const Event& e = events[next++];
            h.send(e.status, e.data1, e.data2, e.sample - start);
        }
        h.renderBlocks(1);
    }
    h.left.resize(total);
    return h.left;
}

} // namespace

TEST_F(BlockProcessing, OutputDoesNotDependOnTheBlockSize) {
    const auto reference = playPhrase(64);
    ASSERT_GT(enginekit::peak(reference), 0.05);
    EXPECT_EQ(playPhrase(1), reference);
    EXPECT_EQ(playPhrase(512), reference);
    EXPECT_EQ(playPhrase(37), reference);
}

TEST_F(BlockProcessing, SilentBeforeTheFirstNoteAndBothChannelsAlike) {
    InstrumentHost h;
    h.renderBlocks(4);
    for (double s : h.left)
        ASSERT_EQ(s, 0.0) << "blocks before any note are written as silence";
    h.noteOn(60, 100, 10);
    h.renderBlocks(40);
    EXPECT_GT(enginekit::peak(h.left), 0.05);
    EXPECT_EQ(h.left, h.right);
}

TEST_F(BlockProcessing, NoteStartsAtItsOffset) {
    InstrumentHost h;
    h.noteOn(60, 100, 10);
    h.renderBlocks(2);
    for (int s = 0; s <= 10; ++s)
        EXPECT_EQ(h.left[s], 0.0) << s;
    EXPECT_NE(h.left[12], 0.0);
}

TEST_F(BlockProcessing, PlaysAtConcertPitchWithTheDefaultBendRangeOfOneSemitone) {
    auto frequency = [](int bend14) {
        InstrumentHost h(256);
        h.setParam(kPulse, 0.0);
        h.setParam(kSub, 0.0);
        h.send(0xE0, bend14 & 0x7F, bend14 >> 7);
        h.noteOn(69, 127);
        h.renderSeconds(0.5);
        return enginekit::estimateFrequency(h.left, 48000.0, 300.0, 600.0, 4800);
    };
    EXPECT_NEAR(frequency(8192), 440.0, 0.5);
    EXPECT_NEAR(frequency(0), 440.0 * std::pow(2.0, -1.0 / 12.0), 0.5) << "full bend down";
}

TEST_F(BlockProcessing, HostTempoSetsTheSynchronisedLfoRateEveryBlock) {
    InstrumentHost h;
    h.setParam(kLFOSpeed, 6.5 / 27.0); // one beat ratio
    ITimeInfo transport;
    transport.mTempo = 120.0;
    h.plug().SetTransport(transport);
    h.noteOn(60, 100);
    h.renderBlocks(1);
    EXPECT_DOUBLE_EQ(h.synth().lfo.speed, 120.0 / 60.0 / 48000.0);
    transport.mTempo = 90.0;
    h.plug().SetTransport(transport);
    h.renderBlocks(1);
    EXPECT_DOUBLE_EQ(h.synth().lfo.speed, 90.0 / 60.0 / 48000.0);
}

TEST_F(BlockProcessing, DenormalFlushingDoesNotLeakIntoTheCaller) {
    InstrumentHost h;
    h.noteOn(60, 100);
    h.renderBlocks(2);
    volatile double tiny = 1e-310;
    EXPECT_NE(tiny * 0.5, 0.0) << "the caller's floating-point mode is restored";
}
