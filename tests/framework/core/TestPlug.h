#pragma once

// A plug-in and an editor surface for the core tests: the plug-in records what it tells the
// host and every OnParamChange; the surface answers file dialogs from a queue.

#include "IGraphicsHeadless.h"
#include "core/IPluginBase.h"
#include "util/UTIL_Endian.h"

#include <cmath>
#include <deque>
#include <filesystem>
#include <string>
#include <vector>

// A headless surface whose file dialogs answer from its own queue and which records what the
// plug-in pushes into it.
class FakeGraphics : public IGraphicsHeadless {
public:
    struct Prompt {
        std::string mFileBefore;
        EFileAction mAction;
        std::string mDir;
        std::string mExtensions;
    };
    struct FromPlug {
        int mParamIdx;
        double mValue;
        bool mNormalized;
    };

    explicit FakeGraphics(IPluginBase* plug, int* deleted = nullptr)
        : IGraphicsHeadless(plug, 1080, 525, 0), mDeleted(deleted) {}
    ~FakeGraphics() override {
        if (mDeleted) ++*mDeleted;
    }

    // The next dialog answers with path ("" = cancelled) and, when dir is set, that folder.
    void Answer(const std::string& path, const std::string& dir = "") {
        mAnswers.push_back({path, dir});
    }

    void PromptForFile(UTIL_String* file, EFileAction action, UTIL_String* dir,
                       const char* extensions) override {
        mPrompts.push_back({file->Get(), action, dir->Get(), extensions ? extensions : ""});
        std::pair<std::string, std::string> answer;
        if (!mAnswers.empty()) {
            answer = mAnswers.front();
            mAnswers.pop_front();
        }
        file->Set(answer.first.c_str());
        if (!answer.second.empty()) dir->Set(answer.second.c_str());
    }
    void SetParameterFromPlug(int paramIdx, double value, bool normalized) override {
        mFromPlug.push_back({paramIdx, value, normalized});
    }
    void PrepDraw() override { ++mPrepDrawCalls; }

    std::deque<std::pair<std::string, std::string>> mAnswers;
    std::vector<Prompt> mPrompts;
    std::vector<FromPlug> mFromPlug;
    int mPrepDrawCalls = 0;
    int* mDeleted;
};

struct TestPlugConfig {
    int mNParams = 31;
    const char* mChannelIO = "0-1 0-2";
    int mNPresets = 64;
    bool mStateChunks = false;
    int mUniqueID = MakeFourCC("Kvrn");
    bool mInitParams = true; // false: the parameters stay uninitialised for the caller
};

class TestPlug : public IPluginBase {
public:
    explicit TestPlug(const TestPlugConfig& config = TestPlugConfig())
        : IPluginBase(config.mNParams, config.mChannelIO, config.mNPresets, "Karvelund", "",
                      "ZerlindaAudio", 0x010103, config.mUniqueID, MakeFourCC("Zrld"), 0, true,
                      config.mStateChunks, true, kAPISA) {
        for (int i = 0; i < NParams() && config.mInitParams; ++i) {
            // Ranges and shapes differ per parameter so that normalising matters.
            const std::string name = "Param " + std::to_string(i);
            GetParam(i)->InitDouble(name.c_str(), 0.25 * i, -1.0 * i, 2.0 * i + 1.0, 0.001, "", "",
                                    1.0 + (i % 3) * 0.5);
        }
    }

    void BeginInformHostOfParamChange(int paramIdx) override { mBegun.push_back(paramIdx); }
    void InformHostOfParamChange(int paramIdx, double normalizedValue) override {
        mInformed.push_back({paramIdx, normalizedValue});
    }
    void EndInformHostOfParamChange(int paramIdx) override { mEnded.push_back(paramIdx); }
    void InformHostOfProgramChange() override { ++mProgramChanges; }
    int GetSamplePos() override { return 0; }
    double GetTempo() override { return mTempo; }
    void GetTimeSig(int* numerator, int* denominator) override {
        *numerator = 4;
        *denominator = 4;
    }
    void GetTime(ITimeInfo* timeInfo) override { timeInfo->mTempo = mTempo; }
    void ResizeGraphics(int, int) override {}
    bool SendMidiMsg(IMidiMsg* msg) override {
        mSent.push_back(*msg);
        return mSendResult;
    }
    void OnParamChange(int paramIdx) override {
        IMutexLock lock(this);
        mChanges.push_back(paramIdx);
    }
    void PresetsChangedByHost() override { ++mPresetsChanged; }

    FakeGraphics* AttachFakeGraphics(int* deleted = nullptr) {
        auto* graphics = new FakeGraphics(this, deleted);
        AttachGraphics(graphics);
        return graphics;
    }
    void ClearRecords() {
        mInformed.clear();
        mChanges.clear();
        mProgramChanges = 0;
        mPresetsChanged = 0;
    }
    // Sets every parameter to a distinct value inside its range, shifted by seed.
    void SetDistinctValues(double seed) {
        for (int i = 0; i < NParams(); ++i) {
            GetParam(i)->SetNormalized(0.05 + 0.9 * std::fmod(seed + i * 0.037, 1.0));
        }
    }
    std::vector<double> Values() const {
        std::vector<double> values;
        for (int i = 0; i < NParams(); ++i)
            values.push_back(GetParam(i)->Value());
        return values;
    }
    const IPreset* Preset(int idx) const { return mPresets.Get(idx); }
    IPreset* Preset(int idx) { return mPresets.Get(idx); }
    const char* PreviousPath() const { return mPreviousPath.Get(); }
    void SetCurrentPresetIdx(int idx) { mCurrentPresetIdx = idx; }
    double* OutSlot(int i) const { return mOutData[static_cast<size_t>(i)]; }
    double* InSlot(int i) const { return mInData[static_cast<size_t>(i)]; }
    void SetTempo(double tempo) { mTempo = tempo; }
    void SetSendResult(bool result) { mSendResult = result; }

    std::vector<int> mBegun;
    std::vector<std::pair<int, double>> mInformed;
    std::vector<int> mEnded;
    std::vector<int> mChanges;
    std::vector<IMidiMsg> mSent;
    int mProgramChanges = 0;
    int mPresetsChanged = 0;

private:
    double mTempo = 120.0;
    bool mSendResult = true;
};

// Everything a file load may change, for checking that a refused load changed nothing.
struct PlugSnapshot {
    explicit PlugSnapshot(const TestPlug& plug) : mValues(plug.Values()) {
        mCurrent = plug.GetCurrentPresetIdx();
        for (int i = 0; i < plug.NPresets(); ++i) {
            const IPreset* preset = plug.Preset(i);
            mNames.emplace_back(preset->mName);
            mInitialized.push_back(preset->mInitialized);
            const unsigned char* bytes = preset->mChunk.GetBytes();
            mChunks.emplace_back(bytes, bytes + preset->mChunk.Size());
        }
    }
    bool operator==(const PlugSnapshot&) const = default;

    std::vector<double> mValues;
    int mCurrent;
    std::vector<std::string> mNames;
    std::vector<bool> mInitialized;
    std::vector<std::vector<unsigned char>> mChunks;
};

// A fresh folder for test files, removed afterwards.
class TempFolder {
public:
    TempFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "kvcoreXXXXXX").string();
        mPath = ::mkdtemp(pattern.data());
    }
    ~TempFolder() { std::filesystem::remove_all(mPath); }
    std::string File(const std::string& name) const { return mPath + "/" + name; }
    const std::string& Path() const { return mPath; }

private:
    std::string mPath;
};

std::vector<unsigned char> ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::vector<unsigned char>& bytes);
std::vector<unsigned char> ChunkBytes(const ByteChunk& chunk);
ByteChunk ChunkOf(const std::vector<unsigned char>& bytes);
