#include "InstrumentHost.h"

#include "EngineKit.h"
#include "KarvelundIdentity.h"
#include "core/ByteChunk.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>

namespace fs = std::filesystem;

namespace {

class Lifecycle : public ::testing::Test {
protected:
    IsolatedUserData userData;

    std::string temp(const char* name) const { return userData.folder() + "/" + name; }
};

std::vector<unsigned char> readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeBytes(const std::string& path, const std::vector<unsigned char>& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

std::vector<double> paramValues(Karvelund& k) {
    std::vector<double> v;
    for (int i = 0; i < k.NParams(); ++i)
        v.push_back(k.GetParam(i)->Value());
    return v;
}

std::vector<std::string> presetNames(Karvelund& k) {
    std::vector<std::string> names;
    for (int i = 0; i < k.NPresets(); ++i)
        names.push_back(k.GetPresetName(i));
    return names;
}

} // namespace

TEST_F(Lifecycle, LoadsTheInstalledFactoryBankWithSixtyFourNamedPresets) {
    InstrumentHost h;
    Karvelund& k = h.plug();
    EXPECT_EQ(fs::path(k.GetLoadedBankPath()).filename(), karvelund::kFactoryBankFileName);
    ASSERT_EQ(k.NPresets(), 64);
    std::set<std::string> distinct;
    for (const std::string& name : presetNames(k)) {
        EXPECT_NE(name, "-");
        EXPECT_LE(name.size(), 27u) << name;
        distinct.insert(name);
    }
    EXPECT_EQ(distinct.size(), 64u);
    EXPECT_EQ(fs::path(k.GetFactoryBankPath()), fs::path(userData.folder()) /
                                                    "Zerlinda Audio/Karvelund" /
                                                    karvelund::kFactoryBankFileName);
}

TEST_F(Lifecycle, APerUserBankWinsOverTheInstalledOne) {
    {
        InstrumentHost h;
        h.plug().RestorePreset(0);
        h.plug().ModifyCurrentPreset("My Own Pad");
        fs::create_directories(fs::path(h.plug().GetFactoryBankPath()).parent_path());
        ASSERT_TRUE(h.plug().SaveBankToFXB(h.plug().GetFactoryBankPath()));
    }
    InstrumentHost again;
    EXPECT_STREQ(again.plug().GetPresetName(0), "My Own Pad");
    EXPECT_STREQ(again.plug().GetLoadedBankPath(), again.plug().GetFactoryBankPath());

    // A broken per-user bank falls back to the installed one.
    writeBytes(again.plug().GetFactoryBankPath(), {'C', 'c', 'n', 'K', 0, 0});
    InstrumentHost fallback;
    EXPECT_STRNE(fallback.plug().GetPresetName(0), "My Own Pad");
    EXPECT_STRNE(fallback.plug().GetPresetName(0), "-");
}

TEST_F(Lifecycle, ProgramAndBankFilesHaveTheirLayoutAndRoundTrip) {
    InstrumentHost h;
    Karvelund& k = h.plug();
    k.RestorePreset(5);
    const std::string program = temp("p.kvp"), bank = temp("b.kvb");
    ASSERT_TRUE(k.SaveProgramToFXP(program.c_str()));
    ASSERT_TRUE(k.SaveBankToFXB(bank.c_str()));

    const auto p = readBytes(program);
    ASSERT_EQ(p.size(), 180u);
    const unsigned char head[] = {'C', 'c', 'n', 'K', 0,   0, 0, 0xA4, 'F',  'x', 'C', 'k', 0, 0, 0,
                                  1,   'K', 'v', 'r', 'n', 0, 0, 0x27, 0x77, 0,   0,   0,   31};
    EXPECT_EQ(std::memcmp(p.data(), head, 4), 0);
    EXPECT_EQ(std::memcmp(p.data() + 8, head + 8, sizeof(head) - 8), 0);
    EXPECT_EQ(readBytes(bank).size(), 11676u);

    const auto saved = paramValues(k);
    const auto names = presetNames(k);
    k.RestorePreset(0);
    ASSERT_NE(paramValues(k), saved);
    ASSERT_TRUE(k.LoadProgramFromFXP(program.c_str()));
    const auto loaded = paramValues(k);
    for (size_t i = 0; i < saved.size(); ++i)
        EXPECT_NEAR(loaded[i], saved[i], 1e-6) << i;

    k.RestorePreset(1);
    k.ModifyCurrentPreset("Renamed");
    ASSERT_TRUE(k.LoadBankFromFXB(bank.c_str()));
    EXPECT_EQ(presetNames(k), names);
}

TEST_F(Lifecycle, BrokenFilesAreRefusedWithNothingChanged) {
    InstrumentHost h;
    Karvelund& k = h.plug();
    const std::string program = temp("p.kvp"), bank = temp("b.kvb"), broken = temp("x");
    ASSERT_TRUE(k.SaveProgramToFXP(program.c_str()));
    ASSERT_TRUE(k.SaveBankToFXB(bank.c_str()));
    k.RestorePreset(7);
    const auto values = paramValues(k);
    const auto names = presetNames(k);

    auto check = [&](const std::string& good, bool isBank) {
        const auto bytes = readBytes(good);
        int refused = 0;
        auto tryLoad = [&](const std::vector<unsigned char>& variant) {
            writeBytes(broken, variant);
            const bool ok =
                isBank ? k.LoadBankFromFXB(broken.c_str()) : k.LoadProgramFromFXP(broken.c_str());
            if (!ok) {
                ++refused;
                ASSERT_EQ(paramValues(k), values);
                ASSERT_EQ(presetNames(k), names);
            } else {
                // Accepted variants only differ in values: restore the reference state.
                ASSERT_TRUE(k.LoadBankFromFXB(bank.c_str()));
                k.RestorePreset(7);
                ASSERT_EQ(paramValues(k), values);
            }
        };
        for (size_t n = 0; n < bytes.size(); n += isBank ? 97 : 7)
            tryLoad(std::vector<unsigned char>(bytes.begin(), bytes.begin() + n)); // truncated
        for (size_t at = 0; at < 64; ++at) {
            auto flipped = bytes;
            flipped[at] ^= 0xFF;
            tryLoad(flipped);
        }
        auto nonFinite = bytes;
        for (size_t at = nonFinite.size() - 4; at < nonFinite.size(); ++at)
            nonFinite[at] = 0xFF; // the last value becomes a NaN
        tryLoad(nonFinite);
        auto extra = bytes;
        extra.push_back(0);
        tryLoad(extra);
        return refused;
    };
    EXPECT_GT(check(program, false), 30);
    EXPECT_GT(check(bank, true), 100);
}

TEST_F(Lifecycle, StateIsOneDoublePerParameterAndRestoresTheValues) {
    InstrumentHost h, unchanged;
    for (InstrumentHost* x : {&h, &unchanged}) {
        x->plug().RestorePreset(3);
        x->noteOn(60, 100);
        x->renderBlocks(2);
    }
    const auto values = paramValues(h.plug());
    ByteChunk chunk;
    ASSERT_TRUE(h.plug().SerializeState(&chunk));
    EXPECT_EQ(chunk.Size(), 248);
    h.setParam(kCutoff, values[kCutoff] > 0.5 ? 0.1 : 0.9);
    EXPECT_EQ(h.plug().UnserializeState(&chunk, 0), 248);
    EXPECT_EQ(paramValues(h.plug()), values);
    // The restored values reach the engine: the sound is that of an instrument whose state was
    // restored without the change in between.
    EXPECT_EQ(unchanged.plug().UnserializeState(&chunk, 0), 248);
    for (InstrumentHost* x : {&h, &unchanged}) {
        x->noteOn(64, 100);
        x->renderBlocks(20);
    }
    EXPECT_GT(enginekit::peak(h.left, 128), 0.01);
    EXPECT_EQ(h.left, unchanged.left);
    EXPECT_TRUE(h.plug().HostRequestingAboutBox());
}
