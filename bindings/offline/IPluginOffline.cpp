#include "IPluginOffline.h"

IPluginOffline::IPluginOffline(const IPluginInstanceInfo& instanceInfo, int nParams,
                               const char* channelIOStr, int nPresets, const char* effectName,
                               const char* productName, const char* mfrName, int vendorVersion,
                               int uniqueID, int mfrID, int latency, bool plugDoesMidi,
                               bool plugDoesChunks, bool plugIsInst)
    : IPluginBase(nParams, channelIOStr, nPresets, effectName, productName, mfrName, vendorVersion,
                  uniqueID, mfrID, latency, plugDoesMidi, plugDoesChunks, plugIsInst, kAPISA),
      mInstanceInfo(instanceInfo) {}

void IPluginOffline::Initialize(double sampleRate, int blockSize) {
    SetSampleRate(sampleRate);
    SetBlockSize(blockSize);
    SetInputChannelConnections(0, NInChannels(), false);
    SetOutputChannelConnections(0, NOutChannels(), true);
    Reset();
    OnParamReset();
}

void IPluginOffline::SendMidiToPlug(const IMidiMsg& msg) {
    IMutexLock lock(this);
    IMidiMsg copy = msg;
    ProcessMidiMsg(&copy);
}

bool IPluginOffline::SelectPreset(int idx) {
    if (idx < 0 || idx >= NPresets()) return false;
    IMutexLock lock(this);
    return RestorePreset(idx);
}

// The block is rendered under the instance lock, so a host request on another thread changes
// the state between blocks, never within one.
void IPluginOffline::Render(double** outputs, int nFrames) {
    IMutexLock lock(this);
    AttachOutputBuffers(0, NOutChannels(), outputs);
    ProcessBuffers(0.0, nFrames);
}

void IPluginOffline::Record(ParamChange::Kind kind, int paramIdx, double value) {
    if (mRecordParamChanges) mParamChanges.push_back({kind, paramIdx, value});
}

void IPluginOffline::BeginInformHostOfParamChange(int paramIdx) {
    Record(ParamChange::kBegin, paramIdx, 0.0);
}

void IPluginOffline::InformHostOfParamChange(int paramIdx, double normalizedValue) {
    Record(ParamChange::kChange, paramIdx, normalizedValue);
}

void IPluginOffline::EndInformHostOfParamChange(int paramIdx) {
    Record(ParamChange::kEnd, paramIdx, 0.0);
}

int IPluginOffline::GetSamplePos() {
    return mTransport.mSamplePos > 0.0 ? static_cast<int>(mTransport.mSamplePos) : 0;
}

void IPluginOffline::GetTimeSig(int* numerator, int* denominator) {
    *numerator = mTransport.mNumerator;
    *denominator = mTransport.mDenominator;
}

void IPluginOffline::GetTime(ITimeInfo* t) {
    auto update = [](double& field, double value) {
        if (value > 0.0) field = value;
    };
    update(t->mTempo, mTransport.mTempo);
    update(t->mSamplePos, mTransport.mSamplePos);
    update(t->mPPQPos, mTransport.mPPQPos);
    update(t->mLastBar, mTransport.mLastBar);
    update(t->mCycleStart, mTransport.mCycleStart);
    update(t->mCycleEnd, mTransport.mCycleEnd);
    t->mNumerator = mTransport.mNumerator;
    t->mDenominator = mTransport.mDenominator;
    t->mTransportIsRunning = mTransport.mTransportIsRunning;
    t->mTransportLoopEnabled = mTransport.mTransportLoopEnabled;
}
