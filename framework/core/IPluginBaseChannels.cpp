// Channel layouts, connections, labels and the routing of host buffers.
#include "core/IPluginBase.h"

#include "core/Log.h"

#include <algorithm>
#include <cassert>
#include <cstdio>
#include <cstring>

namespace {

using InChannel = IPluginBase::InChannel;
using OutChannel = IPluginBase::OutChannel;

// The slot in the input- or output-pointer array that a channel feeds.
double** Slot(const InChannel* ch) {
    return ch->mSrc;
}
double** Slot(const OutChannel* ch) {
    return ch->mDest;
}

// Channels idx .. min(idx + n, count) - 1, negative starts clipped.
template <typename Channel, typename Visit>
void ForChannels(const UTIL_PtrList<Channel>& channels, int idx, int n, Visit visit) {
    const int end = std::min(idx + n, channels.GetSize());
    for (int i = std::max(idx, 0); i < end; ++i)
        visit(channels.Get(i));
}

template <typename Channel, typename Visit>
void ForAllChannels(const UTIL_PtrList<Channel>& channels, Visit visit) {
    ForChannels(channels, 0, channels.GetSize(), visit);
}

template <typename Channel>
void SetConnections(const UTIL_PtrList<Channel>& channels, int idx, int n, bool connected) {
    ForChannels(channels, idx, n, [connected](Channel* ch) {
        ch->mConnected = connected;
        if (!connected) *Slot(ch) = ch->mScratchBuf.Get();
    });
}

// Connected channels take the next host pointer in order; unconnected ones take none.
template <typename Channel>
void AttachHostBuffers(const UTIL_PtrList<Channel>& channels, int idx, int n, double** data) {
    ForChannels(channels, idx, n, [&data](Channel* ch) {
        if (ch->mConnected) *Slot(ch) = *data++;
    });
}

template <typename Channel> bool UsesScratch(const UTIL_PtrList<Channel>& channels) {
    bool uses = false;
    ForAllChannels(channels, [&uses](const Channel* ch) {
        uses = uses || *Slot(ch) == ch->mScratchBuf.Get();
    });
    return uses;
}

// Resizes a channel's scratch buffer to n zeroed doubles; a slot that pointed at the old
// buffer follows it to the new one.
template <typename Channel> void ResizeScratch(Channel* ch, int n) {
    const double* old = ch->mScratchBuf.Get();
    double* buf = ch->mScratchBuf.Resize(n);
    if (buf) std::fill(buf, buf + n, 0.0);
    if (*Slot(ch) == old) *Slot(ch) = buf;
}

template <typename Channel> void ZeroScratch(Channel* ch, int n) {
    double* buf = ch->mScratchBuf.Get();
    if (buf) std::fill(buf, buf + std::min(n, ch->mScratchBuf.GetSize()), 0.0);
}

} // namespace

void IPluginBase::ParseChannelIO(const char* channelIOStr) {
    const char* layout = channelIOStr;
    while (layout) {
        int nIn = 0;
        int nOut = 0;
        const bool channelIOStrValid = std::sscanf(layout, "%d-%d", &nIn, &nOut) == 2;
        assert(channelIOStrValid);
        if (!channelIOStrValid) break;
        mChannelIO.Add(new ChannelIO{nIn, nOut});
        layout = std::strchr(layout, ' ');
        if (layout) ++layout;
    }
}

void IPluginBase::CreateChannels() {
    int nIn = 0;
    int nOut = 0;
    for (int i = 0; i < mChannelIO.GetSize(); ++i) {
        nIn = std::max(nIn, mChannelIO.Get(i)->mIn);
        nOut = std::max(nOut, mChannelIO.Get(i)->mOut);
    }
    // The pointer arrays never change size, so the slot addresses below stay valid.
    mInData.assign(static_cast<size_t>(nIn), nullptr);
    mOutData.assign(static_cast<size_t>(nOut), nullptr);
    for (int i = 0; i < nIn; ++i)
        mInChannels.Add(new InChannel())->mSrc = &mInData[static_cast<size_t>(i)];
    for (int i = 0; i < nOut; ++i) {
        mOutChannels.Add(new OutChannel())->mDest = &mOutData[static_cast<size_t>(i)];
    }
    PointUnconnectedChannelsAtScratch();
}

void IPluginBase::PointUnconnectedChannelsAtScratch() {
    auto point = [](auto* ch) {
        if (!ch->mConnected) *Slot(ch) = ch->mScratchBuf.Get();
    };
    ForAllChannels(mInChannels, point);
    ForAllChannels(mOutChannels, point);
}

bool IPluginBase::LegalIO(int nIn, int nOut) const {
    bool legal = false;
    for (int i = 0; i < mChannelIO.GetSize() && !legal; ++i) {
        const ChannelIO* io = mChannelIO.Get(i);
        legal = (nIn < 0 || nIn == io->mIn) && (nOut < 0 || nOut == io->mOut);
    }
    Trace("LegalIO", __LINE__, "%d:%d:%s", nIn, nOut, legal ? "legal" : "illegal");
    return legal;
}

bool IPluginBase::GetChannelIO(int idx, int* nIn, int* nOut) const {
    const ChannelIO* io = mChannelIO.Get(idx);
    if (!io) return false;
    *nIn = io->mIn;
    *nOut = io->mOut;
    return true;
}

void IPluginBase::LimitToStereoIO() {
    if (NInChannels() > 2) SetInputChannelConnections(2, NInChannels() - 2, false);
    if (NOutChannels() > 2) SetOutputChannelConnections(2, NOutChannels() - 2, true);
}

void IPluginBase::SetInputChannelConnections(int idx, int n, bool connected) {
    SetConnections(mInChannels, idx, n, connected);
}

void IPluginBase::SetOutputChannelConnections(int idx, int n, bool connected) {
    SetConnections(mOutChannels, idx, n, connected);
}

bool IPluginBase::IsInChannelConnected(int chIdx) const {
    const InChannel* ch = mInChannels.Get(chIdx);
    return ch && ch->mConnected;
}

bool IPluginBase::IsOutChannelConnected(int chIdx) const {
    const OutChannel* ch = mOutChannels.Get(chIdx);
    return ch && ch->mConnected;
}

void IPluginBase::SetInputLabel(int idx, const char* label) {
    if (InChannel* ch = mInChannels.Get(idx)) ch->mLabel.Set(label);
}

void IPluginBase::SetOutputLabel(int idx, const char* label) {
    if (OutChannel* ch = mOutChannels.Get(idx)) ch->mLabel.Set(label);
}

namespace {

// Replaces the name at idx; positions below it that were never named hold null.
void ReplaceBusLabel(UTIL_PtrList<UTIL_String>* labels, int idx, const char* label) {
    while (labels->GetSize() < idx)
        labels->Add(nullptr);
    labels->Delete(idx);
    labels->Insert(idx, new UTIL_String(label));
}

const char* BusLabel(const UTIL_PtrList<UTIL_String>& labels, int idx) {
    const UTIL_String* label = labels.Get(idx);
    return label ? label->Get() : nullptr;
}

} // namespace

void IPluginBase::SetInputBusLabel(int idx, const char* label) {
    if (idx == 0 || idx == 1) ReplaceBusLabel(&mInputBusLabels, idx, label);
}

void IPluginBase::SetOutputBusLabel(int idx, const char* label) {
    if (idx >= 0) ReplaceBusLabel(&mOutputBusLabels, idx, label);
}

const char* IPluginBase::GetInputBusLabel(int idx) const {
    return BusLabel(mInputBusLabels, idx);
}

const char* IPluginBase::GetOutputBusLabel(int idx) const {
    return BusLabel(mOutputBusLabels, idx);
}

void IPluginBase::SetBlockSize(int blockSize) {
    blockSize = std::max(blockSize, 0);
    if (blockSize == mBlockSize) return;
    auto resize = [blockSize](auto* ch) { ResizeScratch(ch, blockSize); };
    ForAllChannels(mInChannels, resize);
    ForAllChannels(mOutChannels, resize);
    mBlockSize = blockSize;
    PointUnconnectedChannelsAtScratch();
}

void IPluginBase::ZeroScratchBuffers() {
    auto zero = [this](auto* ch) { ZeroScratch(ch, mBlockSize); };
    ForAllChannels(mInChannels, zero);
    ForAllChannels(mOutChannels, zero);
}

void IPluginBase::AttachInputBuffers(int idx, int n, double** data, int) {
    AttachHostBuffers(mInChannels, idx, n, data);
}

void IPluginBase::AttachInputBuffers(int idx, int n, float** data, int nFrames) {
    const int frames = std::min(nFrames, mBlockSize);
    ForChannels(mInChannels, idx, n, [&data, frames](InChannel* ch) {
        if (!ch->mConnected) return;
        const float* src = *data++;
        double* scratch = ch->mScratchBuf.Get();
        for (int s = 0; s < frames; ++s)
            scratch[s] = src[s];
        *ch->mSrc = scratch;
    });
}

void IPluginBase::AttachOutputBuffers(int idx, int n, double** data) {
    AttachHostBuffers(mOutChannels, idx, n, data);
}

void IPluginBase::AttachOutputBuffers(int idx, int n, float** data) {
    ForChannels(mOutChannels, idx, n, [&data](OutChannel* ch) {
        if (!ch->mConnected) return;
        *ch->mDest = ch->mScratchBuf.Get();
        ch->mFDest = *data++;
    });
}

bool IPluginBase::AnyChannelUsesScratch() const {
    return UsesScratch(mInChannels) || UsesScratch(mOutChannels);
}

int IPluginBase::ScratchLimitedFrames(int nFrames) const {
    nFrames = std::max(nFrames, 0);
    return AnyChannelUsesScratch() ? std::min(nFrames, mBlockSize) : nFrames;
}

void IPluginBase::CopyToFloatOutputs(int nProcessed, int nFrames, bool accumulate) {
    for (int i = 0; i < NOutChannels(); ++i) {
        const OutChannel* ch = mOutChannels.Get(i);
        if (!ch->mConnected || !ch->mFDest || !*ch->mDest) continue;
        const double* src = *ch->mDest;
        float* dest = ch->mFDest;
        if (accumulate) {
            for (int s = 0; s < nProcessed; ++s)
                dest[s] += static_cast<float>(src[s]);
        } else {
            for (int s = 0; s < nProcessed; ++s)
                dest[s] = static_cast<float>(src[s]);
            for (int s = nProcessed; s < nFrames; ++s)
                dest[s] = 0.0f;
        }
    }
}

void IPluginBase::ProcessBuffers(double, int nFrames) {
    ProcessDoubleReplacing(mInData.data(), mOutData.data(), ScratchLimitedFrames(nFrames));
}

void IPluginBase::ProcessBuffers(float, int nFrames) {
    const int frames = ScratchLimitedFrames(nFrames);
    ProcessDoubleReplacing(mInData.data(), mOutData.data(), frames);
    CopyToFloatOutputs(frames, nFrames, false);
}

void IPluginBase::ProcessBuffersAccumulating(float, int nFrames) {
    const int frames = ScratchLimitedFrames(nFrames);
    ProcessDoubleReplacing(mInData.data(), mOutData.data(), frames);
    CopyToFloatOutputs(frames, nFrames, true);
}

void IPluginBase::PassThroughBuffers(double, int nFrames) {
    IPluginBase::ProcessDoubleReplacing(mInData.data(), mOutData.data(),
                                        ScratchLimitedFrames(nFrames));
}

void IPluginBase::PassThroughBuffers(float, int nFrames) {
    const int frames = ScratchLimitedFrames(nFrames);
    IPluginBase::ProcessDoubleReplacing(mInData.data(), mOutData.data(), frames);
    CopyToFloatOutputs(frames, nFrames, false);
}
