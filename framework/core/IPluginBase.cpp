#include "core/IPluginBase.h"

#include "core/FrameworkVersion.h"
#include "core/Log.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

const char* GetAPIString(EAPI api) {
    switch (api) {
    case kAPIVST2:
        return "VST2";
    case kAPIVST3:
        return "VST3";
    case kAPIAU:
        return "AU";
    case kAPIRTAS:
        return "RTAS";
    case kAPIAAX:
        return "AAX";
    case kAPISA:
        return "Standalone";
    default:
        return "";
    }
}

const char* GetArchString() {
    return "x64";
}

namespace {

void CopyName(char (&field)[IPluginBase::kNameLen], const char* text) {
    std::snprintf(field, sizeof(field), "%s", text ? text : "");
}

} // namespace

IPluginBase::IPluginBase(int nParams, const char* channelIOStr, int nPresets,
                         const char* effectName, const char* productName, const char* mfrName,
                         int vendorVersion, int uniqueID, int mfrID, int latency, bool plugDoesMidi,
                         bool plugDoesChunks, bool plugIsInst, EAPI plugAPI)
    : mUniqueID(uniqueID), mMfrID(mfrID), mVersion(vendorVersion), mAPI(plugAPI),
      mStateChunks(plugDoesChunks), mIsInst(plugIsInst), mDoesMIDI(plugDoesMidi),
      mLatency(latency) {
    Trace("IPluginBase", __LINE__, "%s:%s", effectName ? effectName : "", CurrentTime());
    mPreviousPath.Set("");
    for (int i = 0; i < nParams; ++i)
        mParams.Add(new IParam());
    for (int i = 0; i < nPresets; ++i)
        mPresets.Add(new IPreset(i));
    CopyName(mEffectName, effectName);
    CopyName(mProductName, productName);
    CopyName(mMfrName, mfrName);
    ParseChannelIO(channelIOStr);
    CreateChannels();
}

IPluginBase::~IPluginBase() {
    mGraphics.reset(); // the editor goes first: its controls may still refer to parameters
    mParams.Empty();
    mPresets.Empty();
    mInChannels.Empty();
    mOutChannels.Empty();
    mChannelIO.Empty();
    mInputBusLabels.Empty();
    mOutputBusLabels.Empty();
}

void IPluginBase::Reset() {
    IMutexLock lock(this);
}

void IPluginBase::OnParamChange(int) {
    IMutexLock lock(this);
}

void IPluginBase::OnActivate(bool) {
    IMutexLock lock(this);
}

namespace {

template <typename Sample>
void CopyInputsToOutputs(Sample** inputs, Sample** outputs, int nIn, int nOut, int nFrames) {
    if (nFrames <= 0) return;
    const size_t bytes = sizeof(Sample) * static_cast<size_t>(nFrames);
    for (int i = 0; i < nOut; ++i) {
        if (!outputs[i]) continue;
        if (i < nIn && inputs[i]) {
            if (inputs[i] != outputs[i]) std::memmove(outputs[i], inputs[i], bytes);
        } else {
            std::fill(outputs[i], outputs[i] + nFrames, Sample(0));
        }
    }
}

} // namespace

void IPluginBase::ProcessDoubleReplacing(double** inputs, double** outputs, int nFrames) {
    CopyInputsToOutputs(inputs, outputs, NInChannels(), NOutChannels(), nFrames);
}

void IPluginBase::ProcessSingleReplacing(float** inputs, float** outputs, int nFrames) {
    CopyInputsToOutputs(inputs, outputs, NInChannels(), NOutChannels(), nFrames);
}

void IPluginBase::ProcessMidiMsg(IMidiMsg* msg) {
    SendMidiMsg(msg);
}

bool IPluginBase::MidiNoteName(int, char* noteName) {
    if (noteName) noteName[0] = '\0';
    return false;
}

int IPluginBase::GetEffectVersion(bool decimal) const {
    return decimal ? GetDecimalVersion(mVersion) : mVersion;
}

void IPluginBase::GetEffectVersionStr(char* str, int strSize) const {
    if (!str || strSize <= 0) return;
    char version[32];
    GetVersionStr(mVersion, version, sizeof(version));
    std::snprintf(str, static_cast<size_t>(strSize), "%sD", version);
}

int IPluginBase::GetHostVersion(bool decimal) {
    GetHost();
    return decimal ? GetDecimalVersion(mHostVersion) : mHostVersion;
}

void IPluginBase::GetHostVersionStr(char* str, int strSize) {
    GetHost();
    GetVersionStr(mHostVersion, str, strSize);
}

void IPluginBase::SetHost(const char* hostName, int version) {
    mHost = LookUpHost(hostName);
    mHostVersion = version;
    char versionText[32];
    GetVersionStr(version, versionText, sizeof(versionText));
    Trace("SetHost", __LINE__, "host_%sknown:%s:%s", mHost == kHostUnknown ? "un" : "",
          hostName ? hostName : "", versionText);
}

double IPluginBase::GetSamplesPerBeat() {
    const double tempo = GetTempo();
    return tempo > 0.0 ? mSampleRate * 60.0 / tempo : 0.0;
}
