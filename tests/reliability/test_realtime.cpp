// The audio thread's work — taking MIDI and rendering blocks — never allocates, never frees
// and never waits for the plug-in mutex except behind another thread's short apply step.
// Every factory preset plays dense chords (more notes than voices), pitch bends, the mod wheel
// and the sustain pedal at block sizes from 1 to 4096.

#include "AudioThreadCounters.h"
#include "PlayKit.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <optional>
#include <thread>

using namespace kvrel;

namespace {

constexpr int kBlockSizes[] = {1, 2, 7, 64, 333, 512, 1024, 4096};
constexpr double kRate = 48000.0;
constexpr int64_t kSamplesPerPreset = 12000; // a quarter of a second

// All 64 presets, or every eighth under the sanitizers.
int PresetStride() {
    return kSanitized ? 8 : 1;
}

// The host's render entry as the lock rule has it: the mutex is held for the whole block,
// MIDI delivery included, and only that time counts as the audio thread's.
BlockHook AudioThreadBlocks(Karvelund& plug) {
    auto lock = std::make_shared<std::optional<IPluginBase::IMutexLock>>();
    return [&plug, lock](bool begin) {
        if (begin) {
            MarkAudioThread(true);
            lock->emplace(&plug);
        } else {
            lock->reset();
            MarkAudioThread(false);
        }
    };
}

std::string Describe(const AudioThreadCounts& counts) {
    return std::to_string(counts.allocations) + " allocations, " + std::to_string(counts.frees) +
           " frees, " + std::to_string(counts.lockWaits) + " lock waits";
}

} // namespace

TEST(RealTime, RenderingEveryPresetAtEveryBlockSizeAllocatesNothing) {
    IsolatedUserData userData;
    int64_t blocks = 0;
    for (int blockSize : kBlockSizes) {
        auto plug = NewInstrument(kRate, blockSize);
        ASSERT_TRUE(FactoryBankLoaded(*plug));
        for (int preset = 0; preset < plug->NPresets(); preset += PresetStride()) {
            ASSERT_TRUE(plug->RestorePreset(preset));
            const Phrase phrase = MakePhrase(PhraseStyle{}, kSamplesPerPreset, 1000u + preset);
            ResetAudioThreadCounts();
            RenderWithHook(*plug, phrase, blockSize, kSamplesPerPreset, AudioThreadBlocks(*plug));
            const AudioThreadCounts counts = AudioThreadCountsSoFar();
            ASSERT_EQ(counts.allocations, 0) << "preset " << preset << ", block " << blockSize;
            ASSERT_EQ(counts.frees, 0) << "preset " << preset << ", block " << blockSize;
            ASSERT_EQ(counts.lockWaits, 0) << "preset " << preset << ", block " << blockSize;
            blocks += (kSamplesPerPreset + blockSize - 1) / blockSize;
        }
    }
    RecordProperty("blocks", static_cast<int>(blocks));
    std::printf("audio thread: %lld blocks, 0 allocations, 0 frees, 0 lock waits\n",
                static_cast<long long>(blocks));
}

// An editor thread moves knobs while the audio thread renders: the audio thread may wait only
// while the editor applies a change (never while it allocates, which it does outside the
// lock), and still allocates nothing itself.
TEST(RealTime, EditorChangesDuringRenderingCostTheAudioThreadOnlyShortWaits) {
    IsolatedUserData userData;
    auto plug = NewInstrument(kRate, 64);
    ASSERT_TRUE(FactoryBankLoaded(*plug));
    ASSERT_TRUE(plug->RestorePreset(3));
    std::atomic<bool> stop = false;
    std::thread editor([&] {
        for (int i = 0; !stop; ++i) {
            const int param = i % plug->NParams();
            plug->SetParameterFromGUI(param, plug->GetParam(param)->GetNormalized());
            std::this_thread::sleep_for(std::chrono::microseconds(50));
        }
    });
    ResetAudioThreadCounts();
    const Phrase phrase = MakePhrase(PhraseStyle{}, 48000, 7);
    RenderWithHook(*plug, phrase, 64, 48000, AudioThreadBlocks(*plug));
    stop = true;
    editor.join();
    const AudioThreadCounts counts = AudioThreadCountsSoFar();
    std::printf("audio thread beside an editor thread: %s in 750 blocks\n",
                Describe(counts).c_str());
    EXPECT_EQ(counts.allocations, 0);
    EXPECT_EQ(counts.frees, 0);
}

// The counters themselves: an allocation, a free and a wait on the marked thread are seen,
// and nothing on other threads is.
TEST(RealTime, CountersSeeWhatTheMarkedThreadDoes) {
    ResetAudioThreadCounts();
    // Direct calls: a new-expression paired with its delete may be optimised away.
    ::operator delete(::operator new(16));
    EXPECT_EQ(AudioThreadCountsSoFar().allocations, 0);

    UTIL_Mutex mutex;
    std::atomic<bool> held = false, release = false;
    std::thread holder([&] {
        UTIL_MutexLock lock(&mutex);
        held = true;
        while (!release)
            std::this_thread::yield();
    });
    while (!held)
        std::this_thread::yield();
    std::thread releaser([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        release = true;
    });
    MarkAudioThread(true);
    ::operator delete(::operator new(16));
    { UTIL_MutexLock wait(&mutex); }
    MarkAudioThread(false);
    holder.join();
    releaser.join();
    const AudioThreadCounts counts = AudioThreadCountsSoFar();
    EXPECT_EQ(counts.allocations, 1);
    EXPECT_EQ(counts.frees, 1);
    EXPECT_EQ(counts.lockWaits, 1);
}
