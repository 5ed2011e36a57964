#include "TestPlug.h"

#include "core/FxFileFormat.h"

#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>

namespace {

uint32_t BE32At(const std::vector<unsigned char>& bytes, size_t pos) {
    return UTIL_GetBE32(bytes.data() + pos);
}

float FloatAt(const std::vector<unsigned char>& bytes, size_t pos) {
    return UTIL_GetBEFloat(bytes.data() + pos);
}

std::string FourCCAt(const std::vector<unsigned char>& bytes, size_t pos) {
    return std::string(bytes.begin() + static_cast<long>(pos),
                       bytes.begin() + static_cast<long>(pos) + 4);
}

std::vector<double> Normalized(const TestPlug& plug) {
    std::vector<double> values;
    for (int i = 0; i < plug.NParams(); ++i)
        values.push_back(plug.GetParam(i)->GetNormalized());
    return values;
}

void ExpectNearValues(const std::vector<double>& a, const std::vector<double>& b) {
    ASSERT_EQ(a.size(), b.size());
    for (size_t i = 0; i < a.size(); ++i)
        EXPECT_NEAR(a[i], b[i], 1e-6) << i;
}

// A plug-in whose 64 presets hold distinct states and names, with a distinct current state.
void FillPresets(TestPlug* plug) {
    for (int p = 0; p < plug->NPresets(); ++p) {
        plug->SetDistinctValues(0.013 * p);
        plug->MakeDefaultPreset(("Bank preset " + std::to_string(p)).c_str(), 1);
    }
    plug->SetDistinctValues(0.77);
}

// Preset p's stored values, normalised by the plug-in's parameters.
std::vector<double> PresetNormalized(const TestPlug& plug, int p) {
    std::vector<double> values;
    const ByteChunk& chunk = plug.Preset(p)->mChunk;
    for (int i = 0; i < plug.NParams(); ++i) {
        double v = 0.0;
        chunk.Get(&v, 8 * i);
        values.push_back(plug.GetParam(i)->GetNormalized(v));
    }
    return values;
}

} // namespace

TEST(ProgramFile, ParameterFlavourBytes) {
    TempFolder folder;
    TestPlug plug;
    plug.MakeDefaultPreset("Warm Pad", 1);
    plug.SetDistinctValues(0.42);
    const std::string path = folder.File("a.kvp");
    ASSERT_TRUE(plug.SaveProgramToFXP(path.c_str()));
    const auto bytes = ReadBytes(path);
    ASSERT_EQ(bytes.size(), 180u);
    const std::vector<unsigned char> head = {'C', 'c', 'n', 'K', 0, 0, 0,    0,
                                             'F', 'x', 'C', 'k', 0, 0, 0,    1,
                                             'K', 'v', 'r', 'n', 0, 0, 0x27, 0x77};
    EXPECT_TRUE(std::equal(head.begin(), head.end(), bytes.begin()));
    EXPECT_EQ(BE32At(bytes, 24), 31u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&bytes[28])), "Warm Pad");
    for (size_t i = 28 + 8; i < 56; ++i)
        EXPECT_EQ(bytes[i], 0) << i;
    for (int i = 0; i < 31; ++i) {
        EXPECT_EQ(FloatAt(bytes, 56 + 4 * static_cast<size_t>(i)),
                  static_cast<float>(plug.GetParam(i)->GetNormalized()));
    }
}

TEST(ProgramFile, LongNamesAreCutTo27Characters) {
    TestPlug plug;
    const std::string name(40, 'q');
    plug.MakeDefaultPreset(name.c_str(), 1);
    ByteChunk file;
    plug.MakeProgramFile(&file);
    const auto bytes = ChunkBytes(file);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&bytes[28]), 27), name.substr(0, 27));
    EXPECT_EQ(bytes[28 + 27], 0);
}

TEST(ProgramFile, LoadAfterSaveGivesTheSameValues) {
    TestPlug source;
    source.SetDistinctValues(0.31);
    source.MakeDefaultPreset("Lead", 1);
    ByteChunk file;
    source.MakeProgramFile(&file);

    TestPlug plug;
    plug.MakeDefaultPreset("-", 64);
    plug.SetCurrentPresetIdx(5);
    ASSERT_TRUE(plug.LoadProgramFromChunk(&file));
    ExpectNearValues(Normalized(plug), Normalized(source));
    EXPECT_STREQ(plug.GetPresetName(5), "Lead");
    ExpectNearValues(PresetNormalized(plug, 5), Normalized(source));
    EXPECT_EQ(plug.GetCurrentPresetIdx(), 5);
    EXPECT_EQ(plug.mProgramChanges, 1);
    EXPECT_EQ(plug.mChanges.size(), 31u); // applied through the preset restore
    EXPECT_STREQ(plug.GetPresetName(4), "-");
}

TEST(ProgramFile, EmptyNameKeepsThePresetName) {
    TestPlug source;
    ByteChunk file;
    source.MakeProgramFile(&file);
    std::memset(file.GetBytes() + 28, 0, 28);
    TestPlug plug;
    plug.MakeDefaultPreset("Mine", 1);
    ASSERT_TRUE(plug.LoadProgramFromChunk(&file));
    EXPECT_STREQ(plug.GetPresetName(0), "Mine");
}

TEST(ProgramFile, RefusesOtherPlugInsAndLayouts) {
    TestPlug source;
    source.SetDistinctValues(0.5);
    ByteChunk file;
    source.MakeProgramFile(&file);

    TestPlugConfig fewer;
    fewer.mNParams = 30;
    TestPlug smaller(fewer);
    EXPECT_FALSE(smaller.LoadProgramFromChunk(&file));

    TestPlugConfig foreign;
    foreign.mUniqueID = MakeFourCC("Othr");
    TestPlug other(foreign);
    const PlugSnapshot before(other);
    EXPECT_FALSE(other.LoadProgramFromChunk(&file));
    EXPECT_TRUE(PlugSnapshot(other) == before);
    EXPECT_EQ(other.mProgramChanges, 0);

    TestPlug plug;
    ByteChunk version = file;
    version.GetBytes()[15] = 2;
    EXPECT_FALSE(plug.LoadProgramFromChunk(&version));
    ByteChunk kind = file;
    kind.GetBytes()[8] = 'X';
    EXPECT_FALSE(plug.LoadProgramFromChunk(&kind));
    EXPECT_TRUE(plug.mChanges.empty());
}

TEST(ProgramFile, ChunkFlavour) {
    TestPlugConfig config;
    config.mStateChunks = true;
    TestPlug source(config);
    source.SetDistinctValues(0.9);
    source.MakeDefaultPreset("Chunky", 1);
    ByteChunk file;
    source.MakeProgramFile(&file);
    const auto bytes = ChunkBytes(file);
    ASSERT_EQ(bytes.size(), 56u + 4 + 8 + 248);
    EXPECT_EQ(FourCCAt(bytes, 8), "FPCh");
    EXPECT_EQ(BE32At(bytes, 4), bytes.size()); // byteSize is the whole file
    EXPECT_EQ(BE32At(bytes, 24), 31u);
    EXPECT_EQ(BE32At(bytes, 56), 256u);
    EXPECT_EQ(FourCCAt(bytes, 60), "tffp"); // 'pfft' as a little-endian int

    TestPlug plug(config);
    ASSERT_TRUE(plug.LoadProgramFromChunk(&file));
    EXPECT_EQ(plug.Values(), source.Values()); // exact: doubles travel unchanged
    EXPECT_STREQ(plug.GetPresetName(0), "Chunky");

    TestPlug noChunks; // a plug-in without state chunks refuses the chunk flavour
    EXPECT_FALSE(noChunks.LoadProgramFromChunk(&file));

    ByteChunk params; // and a plug-in with state chunks still reads the parameter flavour
    noChunks.SetDistinctValues(0.15);
    noChunks.MakeProgramFile(&params);
    ASSERT_TRUE(plug.LoadProgramFromChunk(&params));
    ExpectNearValues(Normalized(plug), Normalized(noChunks));
}

TEST(BankFile, ParameterFlavourBytes) {
    TestPlug plug;
    FillPresets(&plug);
    plug.SetCurrentPresetIdx(9);
    ByteChunk file;
    plug.MakeBankFile(&file);
    const auto bytes = ChunkBytes(file);
    ASSERT_EQ(bytes.size(), 11676u);
    EXPECT_EQ(FourCCAt(bytes, 0), "CcnK");
    EXPECT_EQ(BE32At(bytes, 4), 0u);
    EXPECT_EQ(FourCCAt(bytes, 8), "FxBk");
    EXPECT_EQ(BE32At(bytes, 12), 2u);
    EXPECT_EQ(FourCCAt(bytes, 16), "Kvrn");
    EXPECT_EQ(BE32At(bytes, 20), 10103u);
    EXPECT_EQ(BE32At(bytes, 24), 64u);
    EXPECT_EQ(BE32At(bytes, 28), 9u);
    for (size_t i = 32; i < 156; ++i)
        ASSERT_EQ(bytes[i], 0) << i;
    for (int p = 0; p < 64; ++p) {
        const size_t record = 156 + 180 * static_cast<size_t>(p);
        EXPECT_EQ(FourCCAt(bytes, record), "CcnK");
        EXPECT_EQ(BE32At(bytes, record + 4), 0u);
        EXPECT_EQ(FourCCAt(bytes, record + 8), "FxCk");
        EXPECT_EQ(BE32At(bytes, record + 12), 1u);
        EXPECT_EQ(FourCCAt(bytes, record + 16), "Kvrn");
        EXPECT_EQ(BE32At(bytes, record + 20), 10103u);
        EXPECT_EQ(BE32At(bytes, record + 24), 31u);
        EXPECT_STREQ(reinterpret_cast<const char*>(&bytes[record + 28]), plug.GetPresetName(p));
        const auto stored = PresetNormalized(plug, p);
        for (int i = 0; i < 31; ++i) {
            EXPECT_EQ(FloatAt(bytes, record + 56 + 4 * static_cast<size_t>(i)),
                      static_cast<float>(stored[static_cast<size_t>(i)]));
        }
    }
}

TEST(BankFile, UnreadableStoredValuesAreWrittenAsZero) {
    TestPlugConfig config;
    config.mNPresets = 1;
    TestPlug plug(config);
    ByteChunk shortState;
    const double value = 3.0;
    shortState.Put(&value);
    plug.MakePresetFromChunk("Short", &shortState);
    ByteChunk file;
    plug.MakeBankFile(&file);
    const auto bytes = ChunkBytes(file);
    EXPECT_EQ(FloatAt(bytes, 156 + 56), 1.0f); // param 0: 0 .. 1, value 3 clamped
    EXPECT_EQ(FloatAt(bytes, 156 + 60), static_cast<float>(plug.GetParam(1)->GetNormalized(0.0)));
}

TEST(BankFile, LoadSetsEveryPresetAndSelectsTheCurrentProgram) {
    TestPlug source;
    FillPresets(&source);
    source.SetCurrentPresetIdx(17);
    ByteChunk file;
    source.MakeBankFile(&file);

    TestPlug plug;
    plug.MakeDefaultPreset("-", 64);
    ASSERT_TRUE(plug.LoadBankFromChunk(&file));
    for (int p = 0; p < 64; ++p) {
        EXPECT_STREQ(plug.GetPresetName(p), source.GetPresetName(p));
        ExpectNearValues(PresetNormalized(plug, p), PresetNormalized(source, p));
    }
    EXPECT_EQ(plug.GetCurrentPresetIdx(), 17);
    ExpectNearValues(Normalized(plug), PresetNormalized(source, 17));
    EXPECT_EQ(plug.mProgramChanges, 1);

    // Saving right after loading writes the same values within single-precision rounding.
    ByteChunk again;
    plug.MakeBankFile(&again);
    ASSERT_EQ(again.Size(), file.Size());
    const auto a = ChunkBytes(file);
    const auto b = ChunkBytes(again);
    for (size_t pos = 0; pos < a.size(); pos += 4) {
        const size_t inRecord = (pos - 156) % 180;
        if (pos >= 156 && inRecord >= 56) {
            EXPECT_NEAR(FloatAt(a, pos), FloatAt(b, pos), 1e-6) << pos;
        } else {
            EXPECT_EQ(BE32At(a, pos), BE32At(b, pos)) << pos;
        }
    }
}

// The editor is shown the selected program only, not every program the load passes through
// (64 full updates of every control made loading the factory bank slow).
TEST(BankFile, EditorIsShownTheSelectedProgramOnce) {
    TestPlug source;
    FillPresets(&source);
    source.SetCurrentPresetIdx(17);
    ByteChunk file;
    source.MakeBankFile(&file);

    TestPlug plug;
    plug.MakeDefaultPreset("-", 64);
    FakeGraphics* graphics = plug.AttachFakeGraphics();
    graphics->mFromPlug.clear();
    ASSERT_TRUE(plug.LoadBankFromChunk(&file));
    ASSERT_EQ(graphics->mFromPlug.size(), 31u);
    for (int i = 0; i < 31; ++i) {
        EXPECT_EQ(graphics->mFromPlug[static_cast<size_t>(i)].mParamIdx, i);
        EXPECT_EQ(graphics->mFromPlug[static_cast<size_t>(i)].mValue, plug.GetParam(i)->Value());
    }
}

TEST(BankFile, UninitialisedPresetsAreFilledByTheLoad) {
    TestPlug source;
    FillPresets(&source);
    ByteChunk file;
    source.MakeBankFile(&file);
    TestPlug plug; // all presets uninitialised
    ASSERT_TRUE(plug.LoadBankFromChunk(&file));
    for (int p = 0; p < 64; ++p)
        EXPECT_TRUE(plug.Preset(p)->mInitialized);
    EXPECT_STREQ(plug.GetPresetName(63), "Bank preset 63");
}

TEST(BankFile, ExtraProgramsAreIgnored) {
    TestPlug source;
    FillPresets(&source);
    ByteChunk file;
    source.MakeBankFile(&file);

    TestPlugConfig config;
    config.mNPresets = 4;
    TestPlug plug(config);
    ASSERT_TRUE(plug.LoadBankFromChunk(&file));
    EXPECT_STREQ(plug.GetPresetName(3), "Bank preset 3"); // not overwritten by 4 .. 63
    ExpectNearValues(PresetNormalized(plug, 3), PresetNormalized(source, 3));
    EXPECT_EQ(plug.GetCurrentPresetIdx(), 0); // the bank's current program
}

TEST(BankFile, FewerProgramsLeaveTheOtherPresetsAlone) {
    TestPlugConfig small;
    small.mNPresets = 3;
    TestPlug source(small);
    FillPresets(&source);
    source.SetCurrentPresetIdx(1);
    ByteChunk file;
    source.MakeBankFile(&file);

    TestPlug plug;
    plug.MakeDefaultPreset("Keep", 64);
    ASSERT_TRUE(plug.LoadBankFromChunk(&file));
    EXPECT_STREQ(plug.GetPresetName(2), "Bank preset 2");
    EXPECT_STREQ(plug.GetPresetName(3), "Keep");
    EXPECT_EQ(plug.GetCurrentPresetIdx(), 1);
}

TEST(BankFile, CurrentProgramOutsideThePresetsKeepsTheLastLoadedOne) {
    TestPlug source;
    FillPresets(&source);
    ByteChunk file;
    source.MakeBankFile(&file);
    UTIL_PutBE32(file.GetBytes() + 28, 500);
    TestPlug plug;
    ASSERT_TRUE(plug.LoadBankFromChunk(&file));
    EXPECT_EQ(plug.GetCurrentPresetIdx(), 63);
    ExpectNearValues(Normalized(plug), PresetNormalized(source, 63));
}

TEST(BankFile, PresetWithABrokenStoredStateIsStillReplaced) {
    TestPlug source;
    FillPresets(&source);
    ByteChunk file;
    source.MakeBankFile(&file);

    TestPlug plug;
    ByteChunk broken;
    broken.Resize(3);
    plug.MakePresetFromChunk("Broken", &broken);
    ASSERT_TRUE(plug.LoadBankFromChunk(&file));
    EXPECT_STREQ(plug.GetPresetName(0), "Bank preset 0");
    EXPECT_EQ(plug.Preset(0)->mChunk.Size(), 248);
    ExpectNearValues(PresetNormalized(plug, 0), PresetNormalized(source, 0));
}

TEST(BankFile, ChunkFlavour) {
    TestPlugConfig config;
    config.mStateChunks = true;
    TestPlug source(config);
    FillPresets(&source);
    source.SetCurrentPresetIdx(2);
    ByteChunk file;
    source.MakeBankFile(&file);
    const auto bytes = ChunkBytes(file);
    ByteChunk list;
    source.SerializePresets(&list);
    ASSERT_EQ(bytes.size(), 160u + 8 + static_cast<size_t>(list.Size()));
    EXPECT_EQ(FourCCAt(bytes, 8), "FBCh");
    EXPECT_EQ(BE32At(bytes, 4), bytes.size());
    EXPECT_EQ(BE32At(bytes, 28), 2u);
    EXPECT_EQ(BE32At(bytes, 156), 8u + static_cast<uint32_t>(list.Size()));

    TestPlug plug(config);
    ASSERT_TRUE(plug.LoadBankFromChunk(&file));
    for (int p = 0; p < 64; ++p) {
        EXPECT_TRUE(plug.Preset(p)->mChunk.IsEqual(source.Preset(p)->mChunk)) << p;
        EXPECT_STREQ(plug.GetPresetName(p), source.GetPresetName(p));
    }
    EXPECT_EQ(plug.GetCurrentPresetIdx(), 2);
    EXPECT_EQ(plug.mProgramChanges, 1);

    TestPlug noChunks;
    EXPECT_FALSE(noChunks.LoadBankFromChunk(&file));
}

TEST(BankFile, ForeignIdIsRefusedBeforeAnyChange) {
    TestPlug source;
    FillPresets(&source);
    ByteChunk file;
    source.MakeBankFile(&file);
    TestPlugConfig foreign;
    foreign.mUniqueID = MakeFourCC("Othr");
    TestPlug plug(foreign);
    plug.MakeDefaultPreset("Mine", 64);
    const PlugSnapshot before(plug);
    EXPECT_FALSE(plug.LoadBankFromChunk(&file));
    EXPECT_TRUE(PlugSnapshot(plug) == before);
    EXPECT_TRUE(plug.mChanges.empty());
}

TEST(Files, OperationsThroughTheEditorNeedOne) {
    TempFolder folder;
    TestPlug plug;
    const std::string path = folder.File("x.kvb");
    UTIL_String name(path.c_str());
    EXPECT_FALSE(plug.SaveProgramAsFXP("x"));
    EXPECT_FALSE(plug.SaveBankAsFXB("x"));
    EXPECT_FALSE(plug.LoadProgramFromFXP());
    EXPECT_FALSE(plug.LoadBankFromFXB());
    EXPECT_FALSE(plug.LoadBankFromFXB(&name));
    EXPECT_FALSE(plug.SaveBankToFXB(&name));
    EXPECT_FALSE(std::filesystem::exists(path));
    ASSERT_TRUE(plug.SaveBankToFXB(path.c_str())); // the by-name forms need none
    EXPECT_FALSE(plug.LoadBankFromFXB(UTIL_String(path.c_str())));
    EXPECT_TRUE(plug.LoadBankFromFXB(path.c_str()));
}

TEST(Files, SaveAndLoadThroughTheDialog) {
    TempFolder folder;
    TestPlug plug;
    FakeGraphics* graphics = plug.AttachFakeGraphics();
    plug.MakeDefaultPreset("Pluck", 1);
    plug.SetDistinctValues(0.66);

    const std::string programPath = folder.File("pluck.kvp");
    graphics->Answer(programPath, folder.Path());
    ASSERT_TRUE(plug.SaveProgramAsFXP("Pluck"));
    ASSERT_EQ(graphics->mPrompts.size(), 1u);
    EXPECT_EQ(graphics->mPrompts[0].mFileBefore, "Pluck");
    EXPECT_EQ(graphics->mPrompts[0].mAction, kFileSave);
    EXPECT_EQ(graphics->mPrompts[0].mDir, "");
    EXPECT_EQ(graphics->mPrompts[0].mExtensions, "kvp");
    EXPECT_EQ(plug.PreviousPath(), folder.Path()); // the dialog's folder is kept
    EXPECT_EQ(ReadBytes(programPath).size(), 180u);

    const std::string bankPath = folder.File("my.kvb");
    graphics->Answer(bankPath);
    ASSERT_TRUE(plug.SaveBankAsFXB("My Preset Bank"));
    EXPECT_EQ(graphics->mPrompts[1].mFileBefore, "My Preset Bank");
    EXPECT_EQ(graphics->mPrompts[1].mDir, folder.Path());
    EXPECT_EQ(graphics->mPrompts[1].mExtensions, "kvb");
    EXPECT_EQ(ReadBytes(bankPath).size(), 11676u);

    TestPlug other;
    FakeGraphics* otherGraphics = other.AttachFakeGraphics();
    otherGraphics->Answer(programPath);
    ASSERT_TRUE(other.LoadProgramFromFXP());
    EXPECT_EQ(otherGraphics->mPrompts[0].mAction, kFileOpen);
    EXPECT_EQ(otherGraphics->mPrompts[0].mExtensions, "kvp");
    ExpectNearValues(Normalized(other), Normalized(plug));

    otherGraphics->Answer(bankPath);
    ASSERT_TRUE(other.LoadBankFromFXB());
    EXPECT_STREQ(other.GetPresetName(0), "Pluck");

    UTIL_String chosen("start.kvb");
    otherGraphics->Answer(bankPath);
    ASSERT_TRUE(other.LoadBankFromFXB(&chosen));
    EXPECT_EQ(otherGraphics->mPrompts.back().mFileBefore, "start.kvb");
    EXPECT_EQ(std::string(chosen.Get()), bankPath);
    EXPECT_TRUE(other.LoadBankFromFXB(UTIL_String(bankPath.c_str())));
    UTIL_String savePath(folder.File("again.kvb").c_str());
    EXPECT_TRUE(other.SaveBankToFXB(&savePath));
    EXPECT_EQ(ReadBytes(savePath.Get()).size(), 11676u);
}

TEST(Files, CancelledDialogChangesNothing) {
    TempFolder folder;
    TestPlug plug;
    FakeGraphics* graphics = plug.AttachFakeGraphics();
    plug.MakeDefaultPreset("-", 64);
    const PlugSnapshot before(plug);
    graphics->Answer("");
    EXPECT_FALSE(plug.SaveProgramAsFXP("x"));
    graphics->Answer("");
    EXPECT_FALSE(plug.LoadProgramFromFXP());
    graphics->Answer("");
    EXPECT_FALSE(plug.LoadBankFromFXB());
    graphics->Answer(folder.File("missing.kvb"));
    EXPECT_FALSE(plug.LoadBankFromFXB());
    UTIL_String empty;
    EXPECT_FALSE(plug.SaveBankToFXB(&empty));
    EXPECT_FALSE(plug.LoadBankFromFXB(UTIL_String()));
    EXPECT_FALSE(plug.SaveBankToFXB(static_cast<const char*>(nullptr)));
    EXPECT_FALSE(plug.LoadProgramFromFXP(""));
    EXPECT_TRUE(PlugSnapshot(plug) == before);
    EXPECT_EQ(plug.mProgramChanges, 0);
    EXPECT_TRUE(std::filesystem::is_empty(folder.Path()));
}

TEST(Files, SavingReplacesAnEarlierFileWhole) {
    TempFolder folder;
    const std::string path = folder.File("p.kvp");
    WriteBytes(path, std::vector<unsigned char>(5000, 0xAA));
    TestPlug plug;
    ASSERT_TRUE(plug.SaveProgramToFXP(path.c_str()));
    EXPECT_EQ(ReadBytes(path).size(), 180u);
    EXPECT_FALSE(plug.SaveProgramToFXP(folder.File("none/p.kvp").c_str()));
    EXPECT_FALSE(plug.SaveBankToFXB(folder.Path().c_str())); // a folder cannot be replaced
    int entries = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(folder.Path())) {
        ++entries;
    }
    EXPECT_EQ(entries, 1); // no temporary files left behind
}
