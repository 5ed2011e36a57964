#include "TestPlug.h"

#include <cstring>
#include <gtest/gtest.h>
#include <limits>

TEST(State, SerializeParamsWritesOneDoublePerParameter) {
    TestPlug plug;
    plug.SetDistinctValues(0.3);
    ByteChunk chunk;
    EXPECT_TRUE(plug.SerializeState(&chunk));
    ASSERT_EQ(chunk.Size(), 248);
    for (int i = 0; i < 31; ++i) {
        double value;
        std::memcpy(&value, chunk.GetBytes() + 8 * i, 8);
        EXPECT_EQ(value, plug.GetParam(i)->Value());
    }
}

TEST(State, UnserializeRestoresValuesAndAppliesThem) {
    TestPlug source;
    source.SetDistinctValues(0.6);
    ByteChunk chunk;
    source.SerializeState(&chunk);

    TestPlug plug;
    EXPECT_EQ(plug.UnserializeState(&chunk, 0), 248);
    EXPECT_EQ(plug.Values(), source.Values());
    EXPECT_EQ(plug.mChanges.size(), 31u);
}

TEST(State, ShortChunkSetsTheFirstMissingParameterToZeroClamped) {
    TestPlug source;
    source.SetDistinctValues(0.1);
    ByteChunk chunk;
    source.SerializeState(&chunk);
    chunk.Resize(240);

    TestPlug plug;
    plug.GetParam(30)->Set(12.0);
    EXPECT_EQ(plug.UnserializeParams(&chunk, 0), -1);
    EXPECT_EQ(plug.GetParam(29)->Value(), source.GetParam(29)->Value());
    EXPECT_EQ(plug.GetParam(30)->Value(), 0.0); // range -30 .. 61: 0 is inside
    EXPECT_EQ(plug.mChanges.size(), 31u);       // applied all the same

    chunk.Resize(16); // parameter 2 is missing: range -2 .. 5
    plug.GetParam(3)->Set(1.0);
    EXPECT_EQ(plug.UnserializeParams(&chunk, 0), -1);
    EXPECT_EQ(plug.GetParam(2)->Value(), 0.0);
    EXPECT_EQ(plug.GetParam(3)->Value(), 1.0); // left alone
}

TEST(State, NonFiniteValuesCountAsFailedReads) {
    TestPlug plug;
    plug.SetDistinctValues(0.2);
    ByteChunk chunk;
    plug.SerializeState(&chunk);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    std::memcpy(chunk.GetBytes() + 8 * 4, &nan, 8);

    TestPlug target;
    target.GetParam(5)->Set(2.5);
    EXPECT_EQ(target.UnserializeParams(&chunk, 0), -1);
    EXPECT_EQ(target.GetParam(3)->Value(), plug.GetParam(3)->Value());
    EXPECT_EQ(target.GetParam(4)->Value(), 0.0);
    EXPECT_EQ(target.GetParam(5)->Value(), 2.5);
    EXPECT_EQ(target.CheckState(&chunk, 0), -1);

    std::memcpy(chunk.GetBytes() + 8 * 4, &inf, 8);
    EXPECT_EQ(target.UnserializeParams(&chunk, 0), -1);
    EXPECT_EQ(target.GetParam(4)->Value(), 0.0);
}

TEST(State, CheckStateChangesNothing) {
    TestPlug plug;
    ByteChunk chunk;
    plug.SerializeState(&chunk);
    plug.SetDistinctValues(0.9);
    const auto before = plug.Values();
    EXPECT_EQ(plug.CheckState(&chunk, 0), 248);
    chunk.Resize(247);
    EXPECT_EQ(plug.CheckState(&chunk, 0), -1);
    EXPECT_EQ(plug.CheckState(&chunk, -1), -1);
    EXPECT_EQ(plug.Values(), before);
    EXPECT_TRUE(plug.mChanges.empty());
}

TEST(State, CompareStateInSinglePrecision) {
    TestPlug plug;
    plug.SetDistinctValues(0.4);
    ByteChunk chunk;
    const double lead = 123.0;
    chunk.Put(&lead); // one double before the state
    plug.SerializeState(&chunk);
    EXPECT_TRUE(plug.CompareState(chunk.GetBytes(), chunk.Size(), 1));
    EXPECT_FALSE(plug.CompareState(chunk.GetBytes(), chunk.Size(), 0));

    double value;
    std::memcpy(&value, chunk.GetBytes() + 8 * 6, 8);
    value += 2e-6; // below single-precision resolution at these magnitudes
    std::memcpy(chunk.GetBytes() + 8 * 6, &value, 8);
    EXPECT_TRUE(plug.CompareState(chunk.GetBytes(), chunk.Size(), 1));
    value += 0.01;
    std::memcpy(chunk.GetBytes() + 8 * 6, &value, 8);
    EXPECT_FALSE(plug.CompareState(chunk.GetBytes(), chunk.Size(), 1));
}

TEST(State, CompareStateReadsOnlyTheDataItIsGiven) {
    TestPlug plug;
    ByteChunk chunk;
    plug.SerializeState(&chunk);
    EXPECT_TRUE(plug.CompareState(chunk.GetBytes(), 248, 0));
    EXPECT_FALSE(plug.CompareState(chunk.GetBytes(), 247, 0));
    EXPECT_FALSE(plug.CompareState(chunk.GetBytes(), 248, 1));
    EXPECT_FALSE(plug.CompareState(chunk.GetBytes(), 248, -1));
    EXPECT_FALSE(plug.CompareState(nullptr, 248, 0));
    const double huge = 1e300;
    std::memcpy(chunk.GetBytes(), &huge, 8);
    EXPECT_FALSE(plug.CompareState(chunk.GetBytes(), 248, 0));
}
