#include "TestPlug.h"

#include "util/UTIL_Base64.h"

#include <cstring>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace {

std::vector<double> ChunkDoubles(const ByteChunk& chunk) {
    std::vector<double> values(static_cast<size_t>(chunk.Size() / 8));
    if (!values.empty()) std::memcpy(values.data(), chunk.GetBytes(), values.size() * 8);
    return values;
}

std::string ReadText(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// A small plug-in with one parameter of each kind.
class KindsPlug : public TestPlug {
public:
    KindsPlug() : TestPlug(Config()) {
        GetParam(0)->InitBool("On", false);
        GetParam(1)->InitInt("Count", 2, 0, 10);
        GetParam(2)->InitEnum("Wave", 1, 6);
        GetParam(3)->InitDouble("Level", 0.5, 0.0, 1.0, 0.001);
    }
    static TestPlugConfig Config() {
        TestPlugConfig config;
        config.mNParams = 4;
        config.mNPresets = 4;
        config.mInitParams = false;
        return config;
    }
};

} // namespace

TEST(Presets, NewPresetsAreEmptyAndUninitialised) {
    TestPlug plug;
    EXPECT_FALSE(plug.Preset(0)->mInitialized);
    EXPECT_STREQ(plug.GetPresetName(63), "empty");
    EXPECT_STREQ(plug.GetPresetName(64), "");
    EXPECT_STREQ(plug.GetPresetName(-1), "");
}

TEST(Presets, MakeDefaultPresetFillsFreeSlotsWithTheCurrentState) {
    TestPlug plug;
    plug.MakeDefaultPreset(nullptr, 2);
    EXPECT_STREQ(plug.GetPresetName(0), "Empty");
    EXPECT_STREQ(plug.GetPresetName(1), "Empty");
    EXPECT_STREQ(plug.GetPresetName(2), "empty");
    EXPECT_EQ(ChunkDoubles(plug.Preset(1)->mChunk), plug.Values());
    plug.MakeDefaultPreset("-", 100); // only as many as are free
    EXPECT_STREQ(plug.GetPresetName(63), "-");
    EXPECT_STREQ(plug.GetPresetName(0), "Empty");
    plug.MakePreset("ignored", 1.0); // every slot is in use
    EXPECT_STREQ(plug.GetPresetName(0), "Empty");
}

TEST(Presets, MakePresetTakesIntegersForIntegerKinds) {
    KindsPlug plug;
    plug.MakePreset("Kinds", true, 7, 3, 0.25);
    EXPECT_TRUE(plug.Preset(0)->mInitialized);
    EXPECT_STREQ(plug.GetPresetName(0), "Kinds");
    EXPECT_EQ(ChunkDoubles(plug.Preset(0)->mChunk), (std::vector<double>{1.0, 7.0, 3.0, 0.25}));

    plug.MakePreset("Truncated", 0, 7.9, 2, 0.5); // an int parameter takes 7
    EXPECT_EQ(ChunkDoubles(plug.Preset(1)->mChunk), (std::vector<double>{0.0, 7.0, 2.0, 0.5}));
    plug.MakePreset("Short", 1); // missing values take the current values
    EXPECT_EQ(ChunkDoubles(plug.Preset(2)->mChunk), (std::vector<double>{1.0, 2.0, 1.0, 0.5}));

    EXPECT_TRUE(plug.RestorePreset(0));
    EXPECT_TRUE(plug.GetParam(0)->Bool());
    EXPECT_EQ(plug.GetParam(1)->Int(), 7);
    EXPECT_EQ(plug.GetParam(3)->Value(), 0.25);
}

enum EKindsParams { kOn = 0, kCount, kWave, kLevel };

TEST(Presets, MakePresetFromNamedParams) {
    KindsPlug plug;
    plug.GetParam(kLevel)->Set(0.75);
    plug.MakePresetFromNamedParams("Named", 2, kWave, 5, kOn, true);
    EXPECT_EQ(ChunkDoubles(plug.Preset(0)->mChunk), (std::vector<double>{1.0, 2.0, 5.0, 0.75}));
    // A named value equal to any special number is kept.
    plug.MakePresetFromNamedParams("Tiny", 1, kLevel, 9.999e-8);
    EXPECT_EQ(ChunkDoubles(plug.Preset(1)->mChunk)[3], 9.999e-8);
}

#ifndef NDEBUG
TEST(PresetsDeathTest, NamedParameterOutsideTheListIsASetUpError) {
    KindsPlug plug;
    EXPECT_DEATH(plug.MakePresetFromNamedParams("Bad", 1, 9, 1.0), "paramIdx >= 0 && paramIdx < n");
}
#else
TEST(Presets, NamedParameterOutsideTheListIsSkippedInRelease) {
    KindsPlug plug;
    plug.MakePresetFromNamedParams("Bad", 2, 9, 1.0, kCount, 4);
    EXPECT_EQ(ChunkDoubles(plug.Preset(0)->mChunk), (std::vector<double>{0.0, 4.0, 1.0, 0.5}));
}
#endif

TEST(Presets, MakePresetFromChunkAndBlob) {
    KindsPlug plug;
    ByteChunk chunk;
    for (double v : {1.0, 3.0, 4.0, 0.125})
        chunk.Put(&v);
    plug.MakePresetFromChunk("Chunk", &chunk);
    EXPECT_TRUE(plug.Preset(0)->mChunk.IsEqual(chunk));

    // Base64 of the same 32 bytes, decoded into a chunk of the stated size.
    std::vector<char> text(64);
    base64encode(chunk.GetBytes(), text.data(), chunk.Size());
    plug.MakePresetFromBlob("Blob", text.data(), 32);
    EXPECT_TRUE(plug.Preset(1)->mChunk.IsEqual(chunk));
    plug.MakePresetFromBlob("Padded", text.data(), 40);
    EXPECT_EQ(plug.Preset(2)->mChunk.Size(), 40);
    EXPECT_EQ(plug.Preset(2)->mChunk.GetBytes()[39], 0);
    plug.MakePresetFromBlob("Cut", text.data(), 8);
    EXPECT_EQ(ChunkDoubles(plug.Preset(3)->mChunk), std::vector<double>{1.0});
}

TEST(Presets, RestoringAnUninitialisedSlotNamesItAndStoresTheCurrentState) {
    TestPlug plug;
    plug.SetDistinctValues(0.5);
    const auto values = plug.Values();
    EXPECT_TRUE(plug.RestorePreset(7));
    EXPECT_EQ(plug.GetCurrentPresetIdx(), 7);
    EXPECT_STREQ(plug.GetPresetName(7), "user preset 1");
    EXPECT_TRUE(plug.Preset(7)->mInitialized);
    EXPECT_EQ(plug.mPresetsChanged, 1);
    EXPECT_TRUE(plug.RestorePreset(8));
    EXPECT_STREQ(plug.GetPresetName(8), "user preset 2");

    plug.SetDistinctValues(0.1);
    EXPECT_TRUE(plug.RestorePreset(7)); // now it loads
    EXPECT_EQ(plug.Values(), values);
    EXPECT_EQ(plug.mChanges.size(), 31u);
}

TEST(Presets, RestoreRefusesBadIndicesNamesAndBrokenStates) {
    TestPlug plug;
    FakeGraphics* graphics = plug.AttachFakeGraphics();
    graphics->mFromPlug.clear();
    plug.MakeDefaultPreset("Good", 1);
    plug.SetDistinctValues(0.3);
    ByteChunk broken;
    broken.Resize(100); // too short for 31 parameters
    plug.MakePresetFromChunk("Broken", &broken);
    const PlugSnapshot before(plug);

    EXPECT_FALSE(plug.RestorePreset(64));
    EXPECT_FALSE(plug.RestorePreset(-1));
    EXPECT_FALSE(plug.RestorePreset(1));
    EXPECT_FALSE(plug.RestorePreset("Missing"));
    EXPECT_FALSE(plug.RestorePreset(""));
    EXPECT_FALSE(plug.RestorePreset(static_cast<const char*>(nullptr)));
    EXPECT_TRUE(PlugSnapshot(plug) == before);
    EXPECT_TRUE(plug.mChanges.empty());
    EXPECT_TRUE(graphics->mFromPlug.empty());

    EXPECT_TRUE(plug.RestorePreset("Good"));
    EXPECT_EQ(plug.GetCurrentPresetIdx(), 0);
    EXPECT_EQ(graphics->mFromPlug.size(), 31u); // the editor is redrawn
}

TEST(Presets, ModifyCurrentPresetStoresStateAndRenames) {
    TestPlug plug;
    plug.MakeDefaultPreset("Init", 3);
    plug.RestorePreset(2);
    plug.SetDistinctValues(0.7);
    plug.ModifyCurrentPreset("Brass");
    EXPECT_STREQ(plug.GetPresetName(2), "Brass");
    EXPECT_EQ(ChunkDoubles(plug.Preset(2)->mChunk), plug.Values());
    plug.SetDistinctValues(0.2);
    plug.ModifyCurrentPreset("");
    EXPECT_STREQ(plug.GetPresetName(2), "Brass");
    EXPECT_EQ(ChunkDoubles(plug.Preset(2)->mChunk), plug.Values());

    plug.RestorePreset(5); // uninitialised: named and initialised by the restore
    plug.Preset(5)->mInitialized = false;
    plug.ModifyCurrentPreset("Kept");
    EXPECT_FALSE(plug.Preset(5)->mInitialized); // the flag is not touched
    const std::string longName(300, 'n');
    plug.ModifyCurrentPreset(longName.c_str());
    EXPECT_EQ(std::string(plug.GetPresetName(5)), longName.substr(0, 255));
}

TEST(Presets, EnsureDefaultAndPrune) {
    TestPlug plug;
    plug.MakeDefaultPreset("A", 2);
    plug.RestorePreset(5);
    plug.PruneUninitializedPresets();
    EXPECT_EQ(plug.NPresets(), 3);
    EXPECT_STREQ(plug.GetPresetName(2), "user preset 1");

    TestPlug other;
    other.MakeDefaultPreset("A", 1);
    other.EnsureDefaultPreset();
    EXPECT_STREQ(other.GetPresetName(0), "A");
    EXPECT_STREQ(other.GetPresetName(63), "Empty");
    other.PruneUninitializedPresets();
    EXPECT_EQ(other.NPresets(), 64);
}

TEST(Presets, PresetListRoundTrip) {
    TestPlug plug;
    for (int i = 0; i < 10; ++i) {
        plug.SetDistinctValues(0.1 * i);
        plug.MakeDefaultPreset(("Preset " + std::to_string(i)).c_str(), 1);
    }
    ByteChunk list;
    EXPECT_TRUE(plug.SerializePresets(&list));
    // 10 initialised presets: name, flag and 248 bytes each; 54 uninitialised: "empty" and flag.
    EXPECT_EQ(list.Size(), 10 * (4 + 8 + 1 + 248) + 54 * (4 + 5 + 1));

    TestPlug copy;
    copy.SetCurrentPresetIdx(3);
    EXPECT_EQ(copy.UnserializePresets(&list, 0), list.Size());
    for (int i = 0; i < 64; ++i) {
        EXPECT_STREQ(copy.GetPresetName(i), plug.GetPresetName(i));
        EXPECT_EQ(copy.Preset(i)->mInitialized, plug.Preset(i)->mInitialized);
        EXPECT_TRUE(copy.Preset(i)->mChunk.IsEqual(plug.Preset(i)->mChunk)) << i;
    }
    EXPECT_EQ(copy.Values(), ChunkDoubles(plug.Preset(3)->mChunk)); // current preset restored
}

TEST(Presets, ZeroLengthNameRepeatsThePreviousName) {
    TestPlugConfig config;
    config.mNParams = 1;
    config.mNPresets = 3;
    TestPlug plug(config);
    ByteChunk list;
    for (const char* name : {"First", "", ""}) {
        list.PutStr(name);
        list.PutBool(false);
    }
    EXPECT_EQ(plug.UnserializePresets(&list, 0), list.Size());
    EXPECT_STREQ(plug.GetPresetName(1), "First");
    EXPECT_STREQ(plug.GetPresetName(2), "First");
}

TEST(Presets, BrokenPresetListChangesNothing) {
    TestPlug plug;
    plug.MakeDefaultPreset("Old", 64);
    ByteChunk list;
    TestPlug source;
    source.SetDistinctValues(0.5);
    source.MakeDefaultPreset("New", 64);
    source.SerializePresets(&list);
    list.Resize(list.Size() - 1);
    const PlugSnapshot before(plug);
    EXPECT_EQ(plug.UnserializePresets(&list, 0), -1);
    EXPECT_TRUE(PlugSnapshot(plug) == before);
    EXPECT_TRUE(plug.mChanges.empty());
}

TEST(Presets, DumpPresetSrcCode) {
    TempFolder folder;
    KindsPlug plug;
    plug.GetParam(kOn)->Set(1.0);
    plug.GetParam(kWave)->Set(4.0);
    plug.GetParam(kLevel)->Set(0.3);
    const char* names[] = {"kOn", "kCount", "kWave", "kLevel"};
    const std::string path = folder.File("preset.txt");
    EXPECT_TRUE(plug.DumpPresetSrcCode(path.c_str(), names));
    EXPECT_EQ(ReadText(path), "  MakePresetFromNamedParams(\"name\", 4,\n    kOn, true,\n"
                              "    kCount, 2,\n    kWave, 4,\n    kLevel, 0.300000);\n");
    EXPECT_FALSE(plug.DumpPresetSrcCode(folder.File("no/such/folder").c_str(), names));

    // The dumped call recreates the state.
    KindsPlug other;
    other.MakePresetFromNamedParams("name", 4, kOn, true, kCount, 2, kWave, 4, kLevel, 0.300000);
    other.RestorePreset(0);
    EXPECT_EQ(other.Values(), plug.Values());
}

TEST(Presets, DumpPresetBlobSizesItsTextToTheChunk) {
    TempFolder folder;
    TestPlugConfig config;
    config.mNParams = 200; // a 1600-byte state: more than a fixed 1024-character text holds
    TestPlug plug(config);
    plug.SetDistinctValues(0.25);
    plug.MakeDefaultPreset("Big", 1);
    const std::string path = folder.File("blob.txt");
    EXPECT_TRUE(plug.DumpPresetBlob(path.c_str()));
    const std::string text = ReadText(path);
    const std::string head = "MakePresetFromBlob(\"name\", \"";
    ASSERT_EQ(text.compare(0, head.size(), head), 0);
    const size_t close = text.find('"', head.size());
    const std::string blob = text.substr(head.size(), close - head.size());
    EXPECT_EQ(blob.size(), 2136u); // 4 * ceil(1600 / 3)
    EXPECT_EQ(text.substr(close), "\", 1600);\n");

    TestPlug copy(config);
    copy.MakePresetFromBlob("name", blob.c_str(), 1600);
    EXPECT_TRUE(copy.Preset(0)->mChunk.IsEqual(plug.Preset(0)->mChunk));
    EXPECT_FALSE(plug.DumpPresetBlob(""));
}
