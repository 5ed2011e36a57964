// The host transport between time:Position updates: it runs on at the last speed and tempo.

#include "LV2Transport.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

LV2Transport::Update Playing(double frame, double bpm, double bar, double barBeat) {
    LV2Transport::Update u;
    u.hasFrame = u.hasSpeed = u.hasTempo = u.hasBar = u.hasBarBeat = true;
    u.hasBeatsPerBar = u.hasBeatUnit = true;
    u.frame = frame;
    u.speed = 1.0;
    u.tempo = bpm;
    u.bar = bar;
    u.barBeat = barBeat;
    u.beatsPerBar = 4.0;
    u.beatUnit = 4.0;
    return u;
}

TEST(Transport, RunsOnBetweenUpdates) {
    LV2Transport t;
    t.SetSampleRate(48000.0);
    t.Apply(Playing(96000.0, 120.0, 1.0, 0.0)); // bar 2, beat 1
    EXPECT_TRUE(t.Info().mTransportIsRunning);
    EXPECT_DOUBLE_EQ(t.Info().mPPQPos, 4.0);
    EXPECT_DOUBLE_EQ(t.Info().mLastBar, 4.0);
    for (int i = 0; i < 100; ++i)
        t.Advance(480); // one second: two beats at 120
    EXPECT_DOUBLE_EQ(t.Info().mSamplePos, 144000.0);
    EXPECT_NEAR(t.Info().mPPQPos, 6.0, 1e-9);
    EXPECT_DOUBLE_EQ(t.Info().mLastBar, 4.0);
    for (int i = 0; i < 100; ++i)
        t.Advance(480);
    EXPECT_NEAR(t.Info().mPPQPos, 8.0, 1e-9);
    EXPECT_NEAR(t.Info().mLastBar, 8.0, 1e-9);
}

TEST(Transport, StandsStillWhenStoppedAndKeepsWhatAnUpdateLeavesOut) {
    LV2Transport t;
    t.SetSampleRate(44100.0);
    t.Apply(Playing(0.0, 90.0, 0.0, 2.0));
    LV2Transport::Update stop;
    stop.hasSpeed = true;
    stop.speed = 0.0;
    t.Apply(stop);
    t.Advance(44100);
    EXPECT_FALSE(t.Info().mTransportIsRunning);
    EXPECT_DOUBLE_EQ(t.Info().mTempo, 90.0);
    EXPECT_DOUBLE_EQ(t.Info().mPPQPos, 2.0);
    EXPECT_DOUBLE_EQ(t.Info().mSamplePos, 0.0);
}

TEST(Transport, RefusesNonsense) {
    LV2Transport t;
    LV2Transport::Update u;
    u.hasTempo = u.hasBeatUnit = u.hasFrame = true;
    u.tempo = -5.0;
    u.beatUnit = 0.0;
    u.frame = std::nan("");
    t.Apply(u);
    EXPECT_DOUBLE_EQ(t.Info().mTempo, 120.0);
    EXPECT_EQ(t.Info().mDenominator, 4);
    EXPECT_LT(t.Info().mSamplePos, 0.0);
}

TEST(Transport, SixEightCountsEighthNotes) {
    LV2Transport t;
    t.SetSampleRate(48000.0);
    LV2Transport::Update u = Playing(0.0, 120.0, 2.0, 3.0);
    u.beatsPerBar = 6.0;
    u.beatUnit = 8.0;
    t.Apply(u);
    EXPECT_EQ(t.Info().mNumerator, 6);
    EXPECT_EQ(t.Info().mDenominator, 8);
    EXPECT_DOUBLE_EQ(t.Info().mPPQPos, (2.0 * 6.0 + 3.0) * 0.5);
    EXPECT_DOUBLE_EQ(t.Info().mLastBar, 6.0);
}

} // namespace
