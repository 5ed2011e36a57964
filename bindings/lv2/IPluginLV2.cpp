#include "IPluginLV2.h"

#include "core/IPreset.h"

#include <algorithm>
#include <cstring>

IPluginLV2::IPluginLV2(const IPluginInstanceInfo& instanceInfo, int nParams,
                       const char* channelIOStr, int nPresets, const char* effectName,
                       const char* productName, const char* mfrName, int vendorVersion,
                       int uniqueID, int mfrID, int latency, bool plugDoesMidi, bool plugDoesChunks,
                       bool plugIsInst)
    : IPluginBase(nParams, channelIOStr, nPresets, effectName, productName, mfrName, vendorVersion,
                  uniqueID, mfrID, latency, plugDoesMidi, plugDoesChunks, plugIsInst, kAPISA),
      mInstanceInfo(instanceInfo) {
    mEditorParams.Resize(4096);
    mEditorParams.Clear();
}

void IPluginLV2::Prepare(double sampleRate, int maxBlockLength) {
    IMutexLock lock(this);
    mMaxBlock = std::max(1, maxBlockLength);
    mLeft.assign(static_cast<size_t>(mMaxBlock), 0.0);
    mRight.assign(static_cast<size_t>(mMaxBlock), 0.0);
    mOutputs[0] = mLeft.data();
    mOutputs[1] = mRight.data();
    SetSampleRate(sampleRate);
    SetBlockSize(mMaxBlock);
    SetInputChannelConnections(0, NInChannels(), false);
    SetOutputChannelConnections(0, NOutChannels(), true);
    mTransport.SetSampleRate(sampleRate);
}

void IPluginLV2::ApplyEditorState(const void* params, int paramsSize, const int* preset,
                                  const void* names, int namesSize) {
    if (params && paramsSize <= 4096) {
        mEditorParams.Clear(); // keeps its room: no allocation below
        mEditorParams.PutBytes(params, paramsSize);
        if (CheckState(&mEditorParams, 0) == paramsSize) UnserializeState(&mEditorParams, 0);
    }
    if (preset && *preset >= 0 && *preset < NPresets()) mCurrentPresetIdx = *preset;
    if (!names) return;
    // Checked in full before any name changes.
    const auto* bytes = static_cast<const unsigned char*>(names);
    int pos = 0;
    for (int pass = 0; pass < 2; ++pass) {
        pos = 0;
        for (int i = 0; i < NPresets(); ++i) {
            int32_t length = -1;
            if (pos + 4 > namesSize) return;
            std::memcpy(&length, bytes + pos, 4);
            if (length < 0 || length >= IPreset::kNameLen || pos + 4 + length > namesSize) return;
            if (pass == 1) {
                IPreset* p = mPresets.Get(i);
                std::memcpy(p->mName, bytes + pos + 4, static_cast<size_t>(length));
                p->mName[length] = '\0';
            }
            pos += 4 + length;
        }
        if (pos != namesSize) return;
    }
}

void IPluginLV2::Activate() {
    Reset();
    OnParamReset();
    mActive = true;
}

void IPluginLV2::RenderBlock(float* left, float* right, int nFrames) {
    nFrames = std::clamp(nFrames, 0, mMaxBlock);
    // The instrument leaves the outputs alone while it has nothing to play.
    std::fill_n(mLeft.data(), nFrames, 0.0);
    std::fill_n(mRight.data(), nFrames, 0.0);
    AttachOutputBuffers(0, NOutChannels(), mOutputs);
    ProcessBuffers(0.0, nFrames);
    mTransport.Advance(nFrames);
    for (int s = 0; s < nFrames; ++s) {
        if (left) left[s] = static_cast<float>(mLeft[static_cast<size_t>(s)]);
        if (right) right[s] = static_cast<float>(mRight[static_cast<size_t>(s)]);
    }
}

bool IPluginLV2::ApplyControl(int idx, float v) {
    IParam* param = GetParam(idx);
    if (!param || v != v || static_cast<float>(param->Value()) == v) return false;
    param->Set(v);
    OnParamChange(idx);
    return true;
}

bool IPluginLV2::ApplyPendingState() {
    return mHandover.Take([this](const LV2PendingState& pending) { Apply(pending); });
}

void IPluginLV2::Apply(const LV2PendingState& pending) {
    IMutexLock lock(this);
    if (pending.hasParams) UnserializeState(&pending.params, 0);
    if (pending.preset >= 0) mCurrentPresetIdx = pending.preset;
    for (size_t i = 0; i < pending.names.size() && static_cast<int>(i) < NPresets(); ++i)
        mPresets.Get(static_cast<int>(i))->SetName(pending.names[i].c_str());
    RedrawParamControls();
}

void IPluginLV2::WritePresetNames(ByteChunk* names) const {
    for (int i = 0; i < NPresets(); ++i)
        names->PutStr(GetPresetName(i));
}

bool IPluginLV2::SaveState(ByteChunk* params, int* currentPreset, ByteChunk* presetNames) {
    params->Clear();
    presetNames->Clear();
    // A restore that has not reached a block yet is what the next block plays.
    bool ok = true;
    const bool waiting = mHandover.PeekWaiting([&](const LV2PendingState& pending) {
        IMutexLock lock(this);
        if (pending.hasParams)
            params->PutChunk(&pending.params);
        else
            ok = SerializeState(params);
        *currentPreset = pending.preset >= 0 ? pending.preset : GetCurrentPresetIdx();
        if (pending.names.empty()) {
            WritePresetNames(presetNames);
        } else {
            for (const std::string& name : pending.names)
                presetNames->PutStr(name.c_str());
        }
    });
    if (waiting) return ok;
    IMutexLock lock(this);
    *currentPreset = GetCurrentPresetIdx();
    WritePresetNames(presetNames);
    return SerializeState(params);
}

bool IPluginLV2::BuildPendingState(LV2PendingState& pending, const ByteChunk* params,
                                   const int* preset, const ByteChunk* presetNames) {
    if (!params && !preset && !presetNames) return false;
    if (preset && (*preset < 0 || *preset >= NPresets())) return false;
    pending.hasParams = false;
    pending.params.Clear();
    pending.preset = preset ? *preset : -1;
    pending.recallPreset = preset && !params;
    pending.names.clear();
    if (params) {
        if (CheckState(params, 0) < 1) return false;
        pending.params.PutChunk(params);
        pending.hasParams = true;
    } else if (pending.recallPreset) {
        IMutexLock lock(this);
        const IPreset* recalled = mPresets.Get(*preset);
        if (recalled->mInitialized) {
            if (CheckState(&recalled->mChunk, 0) < 1) return false;
            pending.params.PutChunk(&recalled->mChunk);
            pending.hasParams = true;
        }
    }
    if (presetNames) {
        int pos = 0;
        for (int i = 0; i < NPresets(); ++i) {
            UTIL_String name;
            int32_t length = -1;
            if (presetNames->Get(&length, pos) < 0 || length < 0 || length >= IPreset::kNameLen)
                return false;
            pos = presetNames->GetStr(&name, pos);
            if (pos < 0 || pos > presetNames->Size()) return false;
            pending.names.emplace_back(length > 0 ? name.Get() : "");
        }
        if (pos != presetNames->Size()) return false;
    }
    return true;
}

bool IPluginLV2::RestoreState(const ByteChunk* params, const int* preset,
                              const ByteChunk* presetNames) {
    if (!mActive) {
        LV2PendingState pending;
        if (!BuildPendingState(pending, params, preset, presetNames)) return false;
        Apply(pending);
        return true;
    }
    bool ok = false;
    LV2PendingState checked;
    if (!BuildPendingState(checked, params, preset, presetNames)) return false;
    mHandover.Publish([&](LV2PendingState& slot) {
        slot.hasParams = checked.hasParams;
        slot.params.Clear();
        slot.params.PutChunk(&checked.params);
        slot.preset = checked.preset;
        slot.recallPreset = checked.recallPreset;
        slot.names = std::move(checked.names);
        ok = true;
    });
    return ok;
}

int IPluginLV2::GetSamplePos() {
    const double pos = mTransport.Info().mSamplePos;
    return pos > 0.0 ? static_cast<int>(pos) : 0;
}

void IPluginLV2::GetTimeSig(int* numerator, int* denominator) {
    *numerator = mTransport.Info().mNumerator;
    *denominator = mTransport.Info().mDenominator;
}

void IPluginLV2::GetTime(ITimeInfo* t) {
    const ITimeInfo& now = mTransport.Info();
    auto update = [](double& field, double value) {
        if (value >= 0.0) field = value;
    };
    update(t->mTempo, now.mTempo);
    update(t->mSamplePos, now.mSamplePos);
    update(t->mPPQPos, now.mPPQPos);
    update(t->mLastBar, now.mLastBar);
    t->mNumerator = now.mNumerator;
    t->mDenominator = now.mDenominator;
    t->mTransportIsRunning = now.mTransportIsRunning;
}
