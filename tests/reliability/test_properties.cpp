// Properties the stress campaign verified, kept as tests: the block size never changes the
// sound, a saved state restores exactly, and no setting makes the output blow up.

#include "PlayKit.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>

using namespace kvrel;

namespace {

constexpr double kRate = 48000.0;
constexpr int kBlockSizes[] = {1, 7, 64, 333, 512, 4096};

constexpr int kMono = 0, kPoly = 1, kLegato = 2; // PhonicType settings


// A spread of the factory presets: eight in a normal build, three under the sanitizers.
std::vector<int> SamplePresets() {
    if (kSanitized) return {0, 27, 63};
    return {0, 9, 18, 27, 36, 45, 54, 63};
}

// Index of the first sample where a and b differ, or -1.
int64_t FirstDifference(const std::vector<double>& a, const std::vector<double>& b) {
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        if (std::memcmp(&a[i], &b[i], sizeof(double)) != 0) return static_cast<int64_t>(i);
    }
    return a.size() == b.size() ? -1 : static_cast<int64_t>(n);
}

void ExpectSameAtEveryBlockSize(int preset, const Phrase& phrase, int64_t length, int phonicType) {
    std::vector<double> reference;
    for (int blockSize : kBlockSizes) {
        auto plug = NewInstrument(kRate, blockSize);
        ASSERT_TRUE(FactoryBankLoaded(*plug));
        ASSERT_TRUE(plug->RestorePreset(preset));
        plug->GetParam(kPhonicType)->Set(phonicType);
        plug->OnParamChange(kPhonicType);
        const std::vector<double> out = Render(*plug, phrase, blockSize, length);
        if (reference.empty()) {
            reference = out;
            ASSERT_GT(PeakOrInfinity(out), 1e-3) << "preset " << preset << " is silent";
            continue;
        }
        EXPECT_EQ(FirstDifference(reference, out), -1)
            << "preset " << preset << ", block size " << blockSize << " against 1";
    }
}

} // namespace

TEST(Properties, PolyphonicRendersAreIdenticalAtEveryBlockSize) {
    IsolatedUserData userData;
    const int64_t length = 24000;
    for (int preset : SamplePresets()) {
        const Phrase phrase = MakePhrase(PhraseStyle{}, length, 40u + preset);
        ExpectSameAtEveryBlockSize(preset, phrase, length, kPoly);
    }
}

TEST(Properties, MonoAndLegatoRendersAreIdenticalAtEveryBlockSize) {
    IsolatedUserData userData;
    const int64_t length = 24000;
    for (int phonicType : {kMono, kLegato}) {
        for (int preset : SamplePresets()) {
            const Phrase phrase = MakePhrase(PhraseStyle{}, length, 60u + preset);
            ExpectSameAtEveryBlockSize(preset, phrase, length, phonicType);
        }
    }
}

TEST(Properties, QuickRepressesRenderIdenticallyAtEveryBlockSize) {
    IsolatedUserData userData;
    const int64_t length = 24000;
    PhraseStyle style;
    style.quickRepresses = true;
    for (int preset : SamplePresets()) {
        const Phrase phrase = MakePhrase(style, length, 90u + preset);
        ExpectSameAtEveryBlockSize(preset, phrase, length, kPoly);
    }
}

// A state saved by one instance and restored into a fresh one is saved again byte for byte
// and sounds the same, for random states (values anywhere in each range, between the steps
// of the stepped parameters too).
TEST(Properties, RandomStatesRoundTripExactly) {
    IsolatedUserData userData;
    std::mt19937 random(2024);
    const int states = kSanitized ? 40 : 200;
    const int64_t length = 4096;
    const Phrase phrase = MakePhrase(PhraseStyle{}, length * 2, 5);
    for (int s = 0; s < states; ++s) {
        auto first = NewInstrument(kRate, 256);
        ByteChunk randomState;
        for (int i = 0; i < first->NParams(); ++i) {
            double lo, hi;
            first->GetParam(i)->GetBounds(lo, hi);
            const double value =
                lo + (hi - lo) * std::uniform_real_distribution<>(0.0, 1.0)(random);
            randomState.Put(&value);
        }
        ASSERT_GT(first->UnserializeState(&randomState, 0), 0);
        const std::vector<unsigned char> saved = StateBytes(*first);

        auto second = NewInstrument(kRate, 256);
        ByteChunk chunk;
        chunk.PutBytes(saved.data(), static_cast<int>(saved.size()));
        ASSERT_EQ(second->UnserializeState(&chunk, 0), static_cast<int>(saved.size()));
        ASSERT_EQ(StateBytes(*second), saved) << "state " << s;

        const auto a = Render(*first, phrase, 256, length);
        const auto b = Render(*second, phrase, 256, length);
        ASSERT_EQ(FirstDifference(a, b), -1) << "state " << s;
    }
}

// Every parameter at its minimum, its maximum and, for stepped ones, every setting, under
// chords, bends and the pedal: the output stays finite and within full scale.
TEST(Properties, EverySettingStaysFiniteAndWithinFullScale) {
    IsolatedUserData userData;
    const int64_t length = kSanitized ? 4800 : 9600;
    const Phrase phrase = MakePhrase(PhraseStyle{2, 10}, length, 11);
    auto plug = NewInstrument(kRate, 512);
    int renders = 0;
    for (int idx = 0; idx < plug->NParams(); ++idx) {
        IParam* param = plug->GetParam(idx);
        double lo, hi;
        param->GetBounds(lo, hi);
        std::vector<double> settings = {lo, hi};
        if (param->Type() != kTypeDouble) {
            for (double v = lo + param->GetStep(); v < hi; v += param->GetStep())
                settings.push_back(v);
        }
        for (double value : settings) {
            auto fresh = NewInstrument(kRate, 512);
            fresh->GetParam(idx)->Set(value);
            fresh->OnParamChange(idx);
            const double peak = PeakOrInfinity(Render(*fresh, phrase, 512, length));
            EXPECT_LE(peak, 1.0) << param->GetNameForHost() << " = " << value;
            ++renders;
        }
    }
    RecordProperty("renders", renders);
}
