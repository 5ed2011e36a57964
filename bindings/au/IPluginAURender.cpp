#include "IPluginAU.h"

#include "core/Log.h"

#include <algorithm>
#include <cstdio>
#include <utility>

const char* AUInputTypeStr(int type) {
    switch (type) {
    case IPluginAU::eDirectFastProc:
        return "DirectFastProc";
    case IPluginAU::eDirectNoFastProc:
        return "DirectNoFastProc";
    case IPluginAU::eRenderCallback:
        return "RenderCallback";
    default:
        return "NotConnected";
    }
}

void IPluginAU::BuildBuses(int plugScChans) {
    const int nIn = NInChannels();
    const int nOut = NOutChannels();
    if (plugScChans > 0 && nIn > 0) {
        mInBuses.Add(new BusChannels{false, -1, nIn - plugScChans, 0});
        mInBuses.Add(new BusChannels{false, -1, plugScChans, nIn - plugScChans});
        mInBusConnections.Add(new InputBusConnection);
        mInBusConnections.Add(new InputBusConnection);
        SetInputBusLabel(0, "main input");
        SetInputBusLabel(1, "aux input");
    } else if (nIn > 0) {
        mInBuses.Add(new BusChannels{false, -1, nIn, 0});
        mInBusConnections.Add(new InputBusConnection);
        SetInputBusLabel(0, "input");
        SetInputBusLabel(1, "aux input");
    }
    if (IsInst()) {
        const int nBuses = (nOut + 1) / 2;
        for (int i = 0; i < nBuses; ++i) {
            mOutBuses.Add(new BusChannels{false, -1, std::min(2, nOut - 2 * i), 2 * i});
            char label[32];
            std::snprintf(label, sizeof(label), "output %i", i + 1);
            SetOutputBusLabel(i, label);
        }
    } else {
        mOutBuses.Add(new BusChannels{false, -1, nOut, 0});
        SetOutputBusLabel(0, "output");
    }
}

IPluginAU::BusChannels* IPluginAU::GetBus(AudioUnitScope scope, AudioUnitElement busIdx) {
    const int idx = static_cast<int>(busIdx);
    if (busIdx > 0x7FFFFFFF) return nullptr;
    switch (scope) {
    case kAudioUnitScope_Input:
        return mInBuses.Get(idx);
    case kAudioUnitScope_Output:
    case kAudioUnitScope_Global:
        return mOutBuses.Get(idx);
    default:
        return nullptr;
    }
}

int IPluginAU::NHostChannelsConnected(const UTIL_PtrList<BusChannels>& buses, int excludeIdx) {
    bool any = false;
    int n = 0;
    for (int i = 0; i < buses.GetSize(); ++i) {
        const BusChannels* bus = buses.Get(i);
        if (i != excludeIdx && bus->mNHostChannels >= 0) {
            any = true;
            n += bus->mNHostChannels;
        }
    }
    return any ? n : -1;
}

bool IPluginAU::CheckLegalIO(AudioUnitScope scope, int busIdx, int nChannels) {
    int nIn, nOut;
    if (scope == kAudioUnitScope_Input) {
        nIn = std::max(0, NHostChannelsConnected(mInBuses, busIdx)) + nChannels;
        nOut = mActive ? NHostChannelsConnected(mOutBuses, -1) : -1;
    } else {
        nIn = mActive ? NHostChannelsConnected(mInBuses, -1) : -1;
        nOut = std::max(0, NHostChannelsConnected(mOutBuses, busIdx)) + nChannels;
    }
    return LegalIO(nIn, nOut);
}

bool IPluginAU::CheckLegalIO() {
    const int nIn = NHostChannelsConnected(mInBuses, -1);
    const int nOut = NHostChannelsConnected(mOutBuses, -1);
    return (nIn == 0 && nOut == 0) || LegalIO(nIn, nOut);
}

void IPluginAU::AssessInputConnections() {
    IMutexLock lock(this);
    SetInputChannelConnections(0, NInChannels(), false);
    for (int i = 0; i < mInBuses.GetSize(); ++i) {
        BusChannels* bus = mInBuses.Get(i);
        InputBusConnection* c = mInBusConnections.Get(i);
        if (c->mUpstreamRenderProc && c->mUpstreamObj)
            c->mInputType = eDirectFastProc;
        else if (c->mUpstreamUnit)
            c->mInputType = eDirectNoFastProc;
        else if (c->mUpstreamRenderCallback.inputProc)
            c->mInputType = eRenderCallback;
        else
            c->mInputType = eNotConnected;
        bus->mConnected = c->mInputType != eNotConnected;
        if (bus->mConnected) {
            if (bus->mNHostChannels < 0) {
                Trace(__FUNCTION__, __LINE__, "AssumeChannels:%d", bus->mNPlugChannels);
                bus->mNHostChannels = bus->mNPlugChannels;
            }
            const int start = bus->mPlugChannelStartIdx;
            SetInputChannelConnections(start, bus->mNHostChannels, true);
            SetInputChannelConnections(start + bus->mNHostChannels,
                                       std::max(0, bus->mNPlugChannels - bus->mNHostChannels),
                                       false);
        }
        Trace(__FUNCTION__, __LINE__, "%d:%s:%d:%d:%d", i, AUInputTypeStr(c->mInputType),
              bus->mPlugChannelStartIdx, bus->mNPlugChannels, bus->mNHostChannels);
    }
}

void IPluginAU::ClearConnections() {
    for (int i = 0; i < mInBuses.GetSize(); ++i) {
        mInBuses.Get(i)->mConnected = false;
        mInBuses.Get(i)->mNHostChannels = -1;
        *mInBusConnections.Get(i) = InputBusConnection();
    }
    for (int i = 0; i < mOutBuses.GetSize(); ++i) {
        mOutBuses.Get(i)->mConnected = false;
        mOutBuses.Get(i)->mNHostChannels = -1;
    }
}

void IPluginAU::SetBlockSize(int blockSize) {
    const int n = std::max(blockSize, 0);
    // The new buffers are made before the lock is taken; under it they are only swapped in.
    UTIL_TypedBuf<float> in(4096), out(4096);
    in.Resize(NInChannels() * n);
    out.Resize(NOutChannels() * n);
    IMutexLock lock(this);
    std::swap(mInScratchBuf, in);
    std::swap(mOutScratchBuf, out);
    IPluginBase::SetBlockSize(n);
}

void IPluginAU::NotifyRender(AudioUnitRenderActionFlags flags, const AudioTimeStamp* timeStamp,
                             UInt32 busNumber, UInt32 nFrames, AudioBufferList* ioData) {
    for (int i = 0; i < mRenderNotify.GetSize(); ++i) {
        const AURenderCallbackStruct* n = mRenderNotify.Get(i);
        AudioUnitRenderActionFlags f = flags;
        if (n->inputProc)
            n->inputProc(n->inputProcRefCon, &f, timeStamp, busNumber, nFrames, ioData);
    }
}

ComponentResult IPluginAU::PullInputs(const AudioTimeStamp* timeStamp, UInt32 nFrames) {
    for (int i = 0; i < mInBuses.GetSize(); ++i) {
        const BusChannels* bus = mInBuses.Get(i);
        if (!bus->mConnected) continue;
        const InputBusConnection* c = mInBusConnections.Get(i);
        const int nChannels = std::min(bus->mNHostChannels, kMaxInputBusChannels);
        // A buffer list with room for kMaxInputBusChannels buffers, on the stack.
        struct {
            UInt32 mNumberBuffers;
            AudioBuffer mBuffers[kMaxInputBusChannels];
        } list;
        auto* bufferList = reinterpret_cast<AudioBufferList*>(&list);
        list.mNumberBuffers = static_cast<UInt32>(nChannels);
        for (int j = 0; j < nChannels; ++j)
            list.mBuffers[j] = {1, nFrames * static_cast<UInt32>(sizeof(float)), nullptr};
        AudioUnitRenderActionFlags localFlags = 0;
        ComponentResult r = noErr;
        switch (c->mInputType) {
        case eRenderCallback:
            for (int j = 0; j < nChannels; ++j) {
                list.mBuffers[j].mData = mInScratchBuf.Get() + (bus->mPlugChannelStartIdx + j) *
                                                                   static_cast<int>(nFrames);
            }
            r = c->mUpstreamRenderCallback.inputProc(c->mUpstreamRenderCallback.inputProcRefCon,
                                                     &localFlags, timeStamp, static_cast<UInt32>(i),
                                                     nFrames, bufferList);
            break;
        case eDirectNoFastProc:
            r = AudioUnitRender(c->mUpstreamUnit, &localFlags, timeStamp,
                                static_cast<UInt32>(c->mUpstreamBusIdx), nFrames, bufferList);
            break;
        case eDirectFastProc:
            r = c->mUpstreamRenderProc(c->mUpstreamObj, &localFlags, timeStamp,
                                       static_cast<UInt32>(c->mUpstreamBusIdx), nFrames,
                                       bufferList);
            break;
        default:
            break;
        }
        if (r != noErr) return r;
        for (int j = 0; j < nChannels; ++j) {
            float* data = static_cast<float*>(list.mBuffers[j].mData);
            AttachInputBuffers(bus->mPlugChannelStartIdx + j, 1, &data, static_cast<int>(nFrames));
        }
    }
    mLastRenderSampleTime = timeStamp->mSampleTime;
    return noErr;
}

void IPluginAU::ConnectOutputBus(BusChannels& bus, int nHostBuffers) {
    if (bus.mConnected && bus.mNHostChannels == nHostBuffers) return;
    // A host that never set the bus's format gets the plug-in's channel count.
    const int nHost = bus.mNHostChannels < 0 ? bus.mNPlugChannels : bus.mNHostChannels;
    const int nConnected = std::max(0, std::min(nHost, nHostBuffers));
    const int nUnconnected = std::max(0, bus.mNPlugChannels - nConnected);
    SetOutputChannelConnections(bus.mPlugChannelStartIdx, nConnected, true);
    SetOutputChannelConnections(bus.mPlugChannelStartIdx + nConnected, nUnconnected, false);
    bus.mConnected = true;
}

int IPluginAU::LastConnectedOutputBus() const {
    int last = -1;
    while (last + 1 < mOutBuses.GetSize() && mOutBuses.Get(last + 1)->mConnected)
        ++last;
    return last;
}

OSStatus IPluginAU::RenderProc(void* pPlug, AudioUnitRenderActionFlags* ioActionFlags,
                               const AudioTimeStamp* timeStamp, UInt32 outputBusNumber,
                               UInt32 nFrames, AudioBufferList* ioData) {
    auto* plug = static_cast<IPluginAU*>(pPlug);
    if (!plug) return paramErr;
    // The whole block runs under the instance lock, so it sees each state change whole.
    IMutexLock lock(plug);
    return plug->Render(ioActionFlags, timeStamp, outputBusNumber, nFrames, ioData);
}

ComponentResult IPluginAU::Render(AudioUnitRenderActionFlags* /*ioActionFlags*/,
                                  const AudioTimeStamp* timeStamp, UInt32 outputBusNumber,
                                  UInt32 nFrames, AudioBufferList* ioData) {
    if (!timeStamp || !(timeStamp->mFlags & kAudioTimeStampSampleTimeValid) ||
        outputBusNumber >= static_cast<UInt32>(mOutBuses.GetSize()) ||
        nFrames > static_cast<UInt32>(GetBlockSize()) || !ioData)
        return kAudioUnitErr_InvalidPropertyValue;
    BusChannels& bus = *mOutBuses.Get(static_cast<int>(outputBusNumber));
    // More buffers than the bus has channels would write past the plug-in's outputs.
    if (ioData->mNumberBuffers > static_cast<UInt32>(bus.mNPlugChannels))
        return kAudioUnitErr_InvalidPropertyValue;

    NotifyRender(kAudioUnitRenderAction_PreRender, timeStamp, outputBusNumber, nFrames, ioData);

    if (timeStamp->mSampleTime != mLastRenderSampleTime) {
        const ComponentResult r = PullInputs(timeStamp, nFrames);
        if (r != noErr) return r;
    }

    const int nBuffers = static_cast<int>(ioData->mNumberBuffers);
    ConnectOutputBus(bus, nBuffers);
    for (int k = 0; k < nBuffers; ++k) {
        AudioBuffer& buffer = ioData->mBuffers[k];
        const int c = bus.mPlugChannelStartIdx + k;
        if (!buffer.mData) buffer.mData = mOutScratchBuf.Get() + c * static_cast<int>(nFrames);
        float* data = static_cast<float*>(buffer.mData);
        AttachOutputBuffers(c, 1, &data);
    }

    if (static_cast<int>(outputBusNumber) == LastConnectedOutputBus()) {
        const int next = static_cast<int>(outputBusNumber) + 1;
        if (next < mOutBuses.GetSize())
            SetOutputChannelConnections(2 * next, 2 * mOutBuses.GetSize() - 2 * next, false);
        if (IsBypassed())
            PassThroughBuffers(0.0f, static_cast<int>(nFrames));
        else
            ProcessBuffers(0.0f, static_cast<int>(nFrames));
    }

    NotifyRender(kAudioUnitRenderAction_PostRender, timeStamp, outputBusNumber, nFrames, ioData);
    return noErr;
}
