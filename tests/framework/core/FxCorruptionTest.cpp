// Broken program and bank files: every variant is either loaded or refused with nothing
// changed, and none crashes.
#include "TestPlug.h"

#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <limits>
#include <random>

namespace {

enum class Kind { kProgram, kBank };

constexpr int kPresets = 16;

// A plug-in with named presets and a current state of its own, ready to receive files.
std::unique_ptr<TestPlug> MakeTarget(bool stateChunks) {
    TestPlugConfig config;
    config.mStateChunks = stateChunks;
    config.mNPresets = kPresets;
    auto plug = std::make_unique<TestPlug>(config);
    plug->SetDistinctValues(0.21);
    plug->MakeDefaultPreset("Existing", kPresets);
    plug->SetDistinctValues(0.83);
    plug->SetCurrentPresetIdx(11);
    plug->ClearRecords();
    return plug;
}

std::vector<unsigned char> ValidFile(Kind kind, bool stateChunks) {
    TestPlugConfig config;
    config.mStateChunks = stateChunks;
    config.mNPresets = kPresets;
    TestPlug source(config);
    for (int p = 0; p < kPresets; ++p) {
        source.SetDistinctValues(0.01 * p + 0.5);
        source.MakeDefaultPreset(("Source " + std::to_string(p)).c_str(), 1);
    }
    source.SetCurrentPresetIdx(7);
    ByteChunk file;
    if (kind == Kind::kBank) {
        source.MakeBankFile(&file);
    } else {
        source.MakeProgramFile(&file);
    }
    return ChunkBytes(file);
}

bool Load(TestPlug* plug, Kind kind, const std::vector<unsigned char>& bytes) {
    const ByteChunk file = ChunkOf(bytes);
    return kind == Kind::kBank ? plug->LoadBankFromChunk(&file) : plug->LoadProgramFromChunk(&file);
}

bool AllValuesInRange(const TestPlug& plug) {
    for (int i = 0; i < plug.NParams(); ++i) {
        double lo, hi;
        const IParam* param = plug.GetParam(i);
        param->GetBounds(lo, hi);
        if (!std::isfinite(param->Value()) || param->Value() < lo || param->Value() > hi) {
            return false;
        }
    }
    return true;
}

// Loads variants of one kind of file into a target plug-in. A refusal must leave the target
// exactly as it was and tell nobody anything, so the same target serves the next variant;
// after a load that was accepted a fresh target is made.
class VariantLoader {
public:
    VariantLoader(Kind kind, bool stateChunks) : mKind(kind), mStateChunks(stateChunks) { Renew(); }

    bool Try(const std::vector<unsigned char>& bytes, const std::string& what) {
        const bool loaded = Load(mPlug.get(), mKind, bytes);
        if (loaded) {
            EXPECT_TRUE(AllValuesInRange(*mPlug)) << what;
            EXPECT_EQ(mPlug->mProgramChanges, 1) << what;
            Renew();
        } else {
            EXPECT_TRUE(PlugSnapshot(*mPlug) == *mBefore) << what;
            EXPECT_TRUE(mPlug->mChanges.empty()) << what;
            EXPECT_EQ(mPlug->mProgramChanges, 0) << what;
            EXPECT_EQ(mPlug->mPresetsChanged, 0) << what;
        }
        return loaded;
    }

private:
    void Renew() {
        mPlug = MakeTarget(mStateChunks);
        mBefore = std::make_unique<PlugSnapshot>(*mPlug);
    }

    Kind mKind;
    bool mStateChunks;
    std::unique_ptr<TestPlug> mPlug;
    std::unique_ptr<PlugSnapshot> mBefore;
};

bool LoadVariant(Kind kind, bool stateChunks, const std::vector<unsigned char>& bytes,
                 const std::string& what) {
    return VariantLoader(kind, stateChunks).Try(bytes, what);
}

void PutFloatAt(std::vector<unsigned char>* bytes, size_t pos, float value) {
    UTIL_PutBEFloat(bytes->data() + pos, value);
}

void PutIntAt(std::vector<unsigned char>* bytes, size_t pos, uint32_t value) {
    UTIL_PutBE32(bytes->data() + pos, value);
}

struct Flavour {
    Kind mKind;
    bool mStateChunks;
    const char* mName;
};

const Flavour kFlavours[] = {{Kind::kProgram, false, "program"},
                             {Kind::kProgram, true, "chunk program"},
                             {Kind::kBank, false, "bank"},
                             {Kind::kBank, true, "chunk bank"}};

} // namespace

TEST(BrokenFiles, ValidFilesLoad) {
    for (const Flavour& f : kFlavours) {
        EXPECT_TRUE(
            LoadVariant(f.mKind, f.mStateChunks, ValidFile(f.mKind, f.mStateChunks), f.mName))
            << f.mName;
    }
}

TEST(BrokenFiles, EveryTruncationIsRefused) {
    for (const Flavour& f : kFlavours) {
        const auto valid = ValidFile(f.mKind, f.mStateChunks);
        VariantLoader loader(f.mKind, f.mStateChunks);
        for (size_t len = 0; len < valid.size(); ++len) {
            const std::vector<unsigned char> cut(valid.begin(),
                                                 valid.begin() + static_cast<long>(len));
            ASSERT_FALSE(loader.Try(cut, std::string(f.mName) + " cut to " + std::to_string(len)));
        }
    }
}

TEST(BrokenFiles, FlippedBytesLoadCleanlyOrChangeNothing) {
    std::mt19937 random(1234);
    for (const Flavour& f : kFlavours) {
        const auto valid = ValidFile(f.mKind, f.mStateChunks);
        VariantLoader loader(f.mKind, f.mStateChunks);
        // Every byte of the headers and the first record or state, then a sample of the rest.
        std::vector<size_t> positions;
        for (size_t pos = 0; pos < std::min<size_t>(valid.size(), 360); ++pos)
            positions.push_back(pos);
        for (int i = 0; i < 100; ++i)
            positions.push_back(random() % valid.size());
        int refused = 0;
        for (size_t pos : positions) {
            for (unsigned char mask : {0x01, 0x80, 0xFF}) {
                auto flipped = valid;
                flipped[pos] ^= mask;
                const std::string what = std::string(f.mName) + " byte " + std::to_string(pos);
                if (!loader.Try(flipped, what)) ++refused;
            }
        }
        EXPECT_GT(refused, 0) << f.mName;
    }
}

TEST(BrokenFiles, HeaderFieldsThatMustMatch) {
    const auto program = ValidFile(Kind::kProgram, false);
    const size_t programFields[] = {0, 8, 12, 16, 24}; // magic, kind, version, ID, count
    for (size_t pos : programFields) {
        auto bad = program;
        bad[pos + 3] ^= 0x10;
        EXPECT_FALSE(
            LoadVariant(Kind::kProgram, false, bad, "program field " + std::to_string(pos)));
    }
    const auto bank = ValidFile(Kind::kBank, false);
    for (size_t pos : {size_t{0}, size_t{8}, size_t{16}, size_t{156}, size_t{164}, size_t{168},
                       size_t{180}, size_t{156 + 180 * (kPresets - 1) + 24}}) {
        auto bad = bank;
        bad[pos + 3] ^= 0x10;
        EXPECT_FALSE(LoadVariant(Kind::kBank, false, bad, "bank field " + std::to_string(pos)));
    }
}

TEST(BrokenFiles, NonFiniteValuesAreRefused) {
    const float specials[] = {std::numeric_limits<float>::quiet_NaN(),
                              std::numeric_limits<float>::infinity(),
                              -std::numeric_limits<float>::infinity()};
    for (float special : specials) {
        auto program = ValidFile(Kind::kProgram, false);
        PutFloatAt(&program, 56 + 4 * 30, special);
        EXPECT_FALSE(LoadVariant(Kind::kProgram, false, program, "program special"));

        auto bank = ValidFile(Kind::kBank, false); // a broken program half way through the bank
        PutFloatAt(&bank, 156 + 180 * 9 + 56 + 4 * 3, special);
        EXPECT_FALSE(LoadVariant(Kind::kBank, false, bank, "bank special"));
    }
    const double nan = std::numeric_limits<double>::quiet_NaN();
    auto chunkProgram = ValidFile(Kind::kProgram, true);
    std::memcpy(chunkProgram.data() + 60 + 8 + 8 * 12, &nan, 8);
    EXPECT_FALSE(LoadVariant(Kind::kProgram, true, chunkProgram, "chunk program NaN"));
    auto chunkBank = ValidFile(Kind::kBank, true);
    std::memcpy(chunkBank.data() + chunkBank.size() - 8, &nan, 8);
    EXPECT_FALSE(LoadVariant(Kind::kBank, true, chunkBank, "chunk bank NaN"));
}

TEST(BrokenFiles, OutOfRangeValuesAreClampedIntoTheRange) {
    auto program = ValidFile(Kind::kProgram, false);
    PutFloatAt(&program, 56, -3.0f);
    PutFloatAt(&program, 60, 40.0f);
    EXPECT_TRUE(LoadVariant(Kind::kProgram, false, program, "program out of range"));
}

TEST(BrokenFiles, HugeAndNegativeLengths) {
    const uint32_t lengths[] = {0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFFu, 100000u};
    for (uint32_t length : lengths) {
        const std::string what = " length " + std::to_string(length);
        auto bank = ValidFile(Kind::kBank, false);
        PutIntAt(&bank, 24, length); // program count
        EXPECT_FALSE(LoadVariant(Kind::kBank, false, bank, "bank count" + what));
        auto program = ValidFile(Kind::kProgram, false);
        PutIntAt(&program, 24, length); // parameter count
        EXPECT_FALSE(LoadVariant(Kind::kProgram, false, program, "program count" + what));
        auto chunkProgram = ValidFile(Kind::kProgram, true);
        PutIntAt(&chunkProgram, 56, length); // chunk size
        EXPECT_FALSE(LoadVariant(Kind::kProgram, true, chunkProgram, "chunk size" + what));
        auto chunkBank = ValidFile(Kind::kBank, true);
        PutIntAt(&chunkBank, 156, length);
        EXPECT_FALSE(LoadVariant(Kind::kBank, true, chunkBank, "bank chunk size" + what));
        // The first preset name's length inside the bank chunk (little-endian).
        auto nameLength = ValidFile(Kind::kBank, true);
        std::memcpy(nameLength.data() + 160 + 8, &length, 4);
        EXPECT_FALSE(LoadVariant(Kind::kBank, true, nameLength, "name length" + what));
    }
}

TEST(BrokenFiles, ZeroProgramBankLoadsWithoutChangingPresets) {
    auto bank = ValidFile(Kind::kBank, false);
    bank.resize(156);
    PutIntAt(&bank, 24, 0);
    PutIntAt(&bank, 28, 99);
    auto plug = MakeTarget(false);
    const PlugSnapshot before(*plug);
    EXPECT_TRUE(Load(plug.get(), Kind::kBank, bank));
    EXPECT_TRUE(PlugSnapshot(*plug) == before);
}

TEST(BrokenFiles, ForeignAndRandomData) {
    std::mt19937 random(99);
    for (size_t size : {0u, 3u, 55u, 56u, 180u, 156u, 3036u, 11676u}) {
        std::vector<unsigned char> noise(size);
        for (auto& b : noise)
            b = static_cast<unsigned char>(random());
        EXPECT_FALSE(LoadVariant(Kind::kProgram, false, noise, "noise program"));
        EXPECT_FALSE(LoadVariant(Kind::kBank, true, noise, "noise bank"));
    }
    const std::string text = "This is a text file, not a bank. CcnK FxBk";
    EXPECT_FALSE(LoadVariant(Kind::kBank, false,
                             std::vector<unsigned char>(text.begin(), text.end()), "text"));
    // A program file offered as a bank and a bank offered as a program.
    EXPECT_FALSE(
        LoadVariant(Kind::kBank, false, ValidFile(Kind::kProgram, false), "program as bank"));
    EXPECT_FALSE(
        LoadVariant(Kind::kProgram, false, ValidFile(Kind::kBank, false), "bank as program"));
}

TEST(BrokenFiles, BrokenFilesOnDiskChangeNothing) {
    TempFolder folder;
    auto bank = ValidFile(Kind::kBank, false);
    PutFloatAt(&bank, bank.size() - 4, std::numeric_limits<float>::quiet_NaN());
    const std::string path = folder.File("broken.kvb");
    WriteBytes(path, bank);
    auto plug = MakeTarget(false);
    const PlugSnapshot before(*plug);
    EXPECT_FALSE(plug->LoadBankFromFXB(path.c_str()));
    EXPECT_FALSE(plug->LoadProgramFromFXP(path.c_str()));
    EXPECT_FALSE(plug->LoadBankFromFXB(folder.Path().c_str())); // a folder
    EXPECT_FALSE(plug->LoadBankFromFXB("/dev/zero"));
    EXPECT_TRUE(PlugSnapshot(*plug) == before);
}
