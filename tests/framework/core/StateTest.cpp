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

// A refused restore changes nothing: not the values, not the engine (no OnParamChange).
TEST(State, ShortOrDamagedChunkIsRefusedWhole) {
    TestPlug source;
    source.SetDistinctValues(0.1);
    ByteChunk chunk;
    source.SerializeState(&chunk);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();

    TestPlug plug;
    plug.SetDistinctValues(0.7);
    const auto before = plug.Values();
    ByteChunk shortChunk;
    shortChunk.PutChunk(&chunk);
    shortChunk.Resize(240);
    EXPECT_EQ(plug.UnserializeParams(&shortChunk, 0), -1);
    EXPECT_EQ(plug.UnserializeParams(&chunk, 8), -1); // starts one value late
    EXPECT_EQ(plug.UnserializeParams(&chunk, -1), -1);
    for (double bad : {nan, inf}) {
        ByteChunk damaged;
        damaged.PutChunk(&chunk);
        std::memcpy(damaged.GetBytes() + 8 * 4, &bad, 8);
        EXPECT_EQ(plug.UnserializeParams(&damaged, 0), -1);
        EXPECT_EQ(plug.CheckState(&damaged, 0), -1);
    }
    EXPECT_EQ(plug.Values(), before);
    EXPECT_TRUE(plug.mChanges.empty());

    EXPECT_EQ(plug.UnserializeParams(&chunk, 0), 248); // the whole chunk still loads
    EXPECT_EQ(plug.Values(), source.Values());
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

namespace {

// Parameters 0..2 are enumerated, on/off and integer; the rest are continuous.
struct SteppedPlug : TestPlug {
    SteppedPlug() : TestPlug(Uninitialised()) {
        GetParam(0)->InitEnum("PhonicType", 2, 3, "", "");
        GetParam(1)->InitBool("BPM Sync On/Off", true, "", "");
        GetParam(2)->InitInt("Steps", 0, 0, 8, "", "");
        for (int i = 3; i < NParams(); ++i)
            GetParam(i)->InitDouble("Level", 0.5, 0.0, 1.0, 0.01, "", "");
        MakeDefaultPreset("-", 1);
    }
    static TestPlugConfig Uninitialised() {
        TestPlugConfig config;
        config.mInitParams = false;
        return config;
    }
};

} // namespace

// A state written by another program may hold a value between the steps of an on/off or
// enumerated parameter; the plug-in, the display and a program file made from it agree.
TEST(State, OffGridValuesOfStepKindsSnapOnRestoreAndSurviveExport) {
    SteppedPlug plug;
    ByteChunk chunk;
    plug.SerializeState(&chunk);
    const double stored[3] = {0.6, 0.3, 6.5};
    std::memcpy(chunk.GetBytes(), stored, sizeof(stored));

    ASSERT_EQ(plug.UnserializeState(&chunk, 0), 248);
    EXPECT_EQ(plug.GetParam(0)->Value(), 1.0);
    EXPECT_EQ(plug.GetParam(0)->Int(), 1);
    EXPECT_EQ(plug.GetParam(1)->Value(), 0.0);
    EXPECT_FALSE(plug.GetParam(1)->Bool());
    char display[32];
    plug.GetParam(1)->GetDisplayForHost(display);
    EXPECT_STREQ(display, "off");
    EXPECT_EQ(plug.GetParam(2)->Value(), 7.0);

    ByteChunk saved;
    plug.SerializeState(&saved);
    double written[3];
    std::memcpy(written, saved.GetBytes(), sizeof(written));
    EXPECT_EQ(written[0], 1.0);
    EXPECT_EQ(written[1], 0.0);
    EXPECT_EQ(written[2], 7.0);

    ByteChunk program;
    plug.MakeProgramFile(&program);
    SteppedPlug other;
    ASSERT_TRUE(other.LoadProgramFromChunk(&program));
    EXPECT_EQ(other.GetParam(0)->Value(), 1.0);
    EXPECT_EQ(other.GetParam(1)->Value(), 0.0);
    EXPECT_EQ(other.GetParam(2)->Value(), 7.0);
}
