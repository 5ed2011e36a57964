#include "PlayKit.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <unistd.h>

namespace kvrel {

namespace {

IMidiMsg Msg(int status, int data1, int data2) {
    return IMidiMsg(0, static_cast<unsigned char>(status), static_cast<unsigned char>(data1),
                    static_cast<unsigned char>(data2));
}

void AddSweep(Phrase& phrase, int64_t start, int64_t length, int steps, int status, int data1,
              bool pitchWheel) {
    for (int i = 0; i <= steps; ++i) {
        const double x = std::sin(3.14159265358979 * i / steps);
        const int64_t at = start + length * i / steps;
        if (pitchWheel) {
            const int value = std::clamp(8192 + static_cast<int>(x * 8000.0), 0, 16383);
            phrase.push_back({at, Msg(status, value & 0x7F, value >> 7)});
        } else {
            phrase.push_back({at, Msg(status, data1, static_cast<int>(x * 127.0))});
        }
    }
}

} // namespace

Phrase MakePhrase(const PhraseStyle& style, int64_t lengthSamples, uint32_t seed) {
    std::mt19937 random(seed);
    Phrase phrase;
    const int64_t slot = lengthSamples / (style.chords + 1);
    for (int c = 0; c < style.chords; ++c) {
        const int64_t start = c * slot + static_cast<int64_t>(random() % 97);
        const int64_t hold = slot * 3 / 4;
        const bool pedal = style.pedal && c % 2 == 1;
        if (pedal) phrase.push_back({start, Msg(0xB0, 64, 127)});
        for (int n = 0; n < style.chordSize; ++n) {
            const int note = 36 + static_cast<int>(random() % 60);
            const int velocity = 1 + static_cast<int>(random() % 127);
            const int64_t on = start + n * static_cast<int64_t>(random() % 5);
            phrase.push_back({on, Msg(0x90, note, velocity)});
            if (style.quickRepresses && n % 3 == 0) {
                phrase.push_back({on + 40, Msg(0x80, note, 0)});
                phrase.push_back({on + 41, Msg(0x90, note, velocity)});
            }
            phrase.push_back({on + hold - n * 13, Msg(n % 2 ? 0x80 : 0x90, note, 0)});
        }
        if (pedal) phrase.push_back({start + hold + slot / 8, Msg(0xB0, 64, 0)});
        if (style.bends) AddSweep(phrase, start, hold, 24, 0xE0, 0, true);
        if (style.wheel) AddSweep(phrase, start + slot / 3, hold, 16, 0xB0, 1, false);
    }
    std::stable_sort(phrase.begin(), phrase.end(),
                     [](const TimedMsg& a, const TimedMsg& b) { return a.sample < b.sample; });
    return phrase;
}

std::unique_ptr<Karvelund> NewInstrument(double rate, int blockSize) {
    std::unique_ptr<Karvelund> plug(MakePlug());
    plug->Initialize(rate, blockSize);
    return plug;
}

bool FactoryBankLoaded(const Karvelund& plug) {
    return *plug.GetLoadedBankPath() != '\0';
}

std::vector<double> RenderWithHook(Karvelund& plug, const Phrase& phrase, int blockSize,
                                   int64_t totalSamples, const BlockHook& hook,
                                   bool* channelsDiffer) {
    std::vector<double> left, l(static_cast<size_t>(blockSize)), r(l.size());
    left.reserve(static_cast<size_t>(totalSamples));
    double* outputs[2] = {l.data(), r.data()};
    bool differ = false;
    size_t next = 0;
    for (int64_t start = 0; start < totalSamples; start += blockSize) {
        const int n = static_cast<int>(std::min<int64_t>(blockSize, totalSamples - start));
        std::fill(l.begin(), l.end(), 0.0);
        std::fill(r.begin(), r.end(), 0.0);
        if (hook) hook(true);
        for (; next < phrase.size() && phrase[next].sample < start + n; ++next) {
            IMidiMsg msg = phrase[next].msg;
            msg.mOffset = static_cast<int>(phrase[next].sample - start);
            plug.SendMidiToPlug(msg);
        }
        plug.Render(outputs, n);
        if (hook) hook(false);
        left.insert(left.end(), l.begin(), l.begin() + n);
        differ = differ || !std::equal(l.begin(), l.begin() + n, r.begin());
    }
    if (channelsDiffer) *channelsDiffer = differ;
    return left;
}

std::vector<double> Render(Karvelund& plug, const Phrase& phrase, int blockSize,
                           int64_t totalSamples, bool* channelsDiffer) {
    return RenderWithHook(plug, phrase, blockSize, totalSamples, nullptr, channelsDiffer);
}

std::vector<unsigned char> StateBytes(Karvelund& plug) {
    ByteChunk chunk;
    plug.SerializeState(&chunk);
    return std::vector<unsigned char>(chunk.GetBytes(), chunk.GetBytes() + chunk.Size());
}

double PeakOrInfinity(const std::vector<double>& samples) {
    double peak = 0.0;
    for (double s : samples) {
        if (!std::isfinite(s)) return std::numeric_limits<double>::infinity();
        peak = std::max(peak, std::fabs(s));
    }
    return peak;
}

IsolatedUserData::IsolatedUserData() {
    char pattern[] = "/tmp/karvelund-reliability-XXXXXX";
    mFolder = ::mkdtemp(pattern);
    if (const char* value = std::getenv("XDG_DATA_HOME")) {
        mHadValue = true;
        mSaved = value;
    }
    ::setenv("XDG_DATA_HOME", mFolder.c_str(), 1);
}

IsolatedUserData::~IsolatedUserData() {
    if (mHadValue)
        ::setenv("XDG_DATA_HOME", mSaved.c_str(), 1);
    else
        ::unsetenv("XDG_DATA_HOME");
    std::error_code ec;
    std::filesystem::remove_all(mFolder, ec);
}

} // namespace kvrel
