#pragma once

// Plays the instrument the way a host does for the reliability tests: MIDI scheduled at
// absolute sample times and delivered into whichever block holds them, rendering block by
// block at any block size.

#include "Karvelund.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace kvrel {

struct TimedMsg {
    int64_t sample;
    IMidiMsg msg; // mOffset is filled in when the message is delivered
};

// A phrase in sample order.
using Phrase = std::vector<TimedMsg>;

struct PhraseStyle {
    int chords = 4;              // chords of chordSize notes, each held then released
    int chordSize = 10;          // above the eight voices, so voices are stolen
    bool bends = true;           // pitch-wheel sweeps
    bool wheel = true;           // mod-wheel sweeps
    bool pedal = true;           // sustain pedal down over every other chord
    bool quickRepresses = false; // a key struck again before the previous note ends
};

// A phrase of lengthSamples at 48 kHz from the style, varied by seed.
Phrase MakePhrase(const PhraseStyle& style, int64_t lengthSamples, uint32_t seed);

// A new instance with its factory bank, initialised at rate and blockSize. With the factory
// bank missing the test cannot mean anything: check FactoryBankLoaded.
std::unique_ptr<Karvelund> NewInstrument(double rate, int blockSize);
bool FactoryBankLoaded(const Karvelund& plug);

// Renders totalSamples in blocks of blockSize, delivering each message of the phrase before
// the block that holds its sample. Returns the left channel; whether the right one ever
// differed from it goes to *channelsDiffer when given.
std::vector<double> Render(Karvelund& plug, const Phrase& phrase, int blockSize,
                           int64_t totalSamples, bool* channelsDiffer = nullptr);

// Calls around each block and each delivery, for the real-time tests: begin (true) before the
// host's work for a block starts, end (false) after it.
using BlockHook = std::function<void(bool begin)>;
std::vector<double> RenderWithHook(Karvelund& plug, const Phrase& phrase, int blockSize,
                                   int64_t totalSamples, const BlockHook& hook,
                                   bool* channelsDiffer = nullptr);

// The serialized parameter state.
std::vector<unsigned char> StateBytes(Karvelund& plug);

// Largest magnitude; infinity when any sample is not finite.
double PeakOrInfinity(const std::vector<double>& samples);

// Points the per-user data folder at an empty temporary folder for its lifetime, so that a
// bank saved by a user of this machine cannot change what the tests see.
class IsolatedUserData {
public:
    IsolatedUserData();
    ~IsolatedUserData();
    IsolatedUserData(const IsolatedUserData&) = delete;
    IsolatedUserData& operator=(const IsolatedUserData&) = delete;

private:
    std::string mFolder;
    std::string mSaved;
    bool mHadValue = false;
};

// True when built with AddressSanitizer or ThreadSanitizer: the tests then play a sample of
// the presets to stay within CI time.
constexpr bool kSanitized =
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    true;
#else
    false;
#endif

} // namespace kvrel
