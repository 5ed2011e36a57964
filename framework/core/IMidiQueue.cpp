#include "core/IMidiQueue.h"

#include <algorithm>

namespace {

constexpr int kGranule = 512;

bool IsNoteOff(const IMidiMsg& msg) {
    const IMidiMsg::EStatusMsg status = msg.StatusMsg();
    return status == IMidiMsg::kNoteOff || (status == IMidiMsg::kNoteOn && msg.mData2 == 0);
}

bool IsNoteOn(const IMidiMsg& msg) {
    return msg.StatusMsg() == IMidiMsg::kNoteOn && msg.mData2 != 0;
}

} // namespace

IMidiQueue::IMidiQueue(int size) {
    Reallocate(Granulize(size));
}

int IMidiQueue::Granulize(int size) {
    if (size <= kGranule) return kGranule;
    return (size / kGranule + (size % kGranule ? 1 : 0)) * kGranule;
}

void IMidiQueue::Add(const IMidiMsg* msg) {
    if (mBack >= mSize && mFront > 0) Compact();
    if (mBack >= mSize) {
        ++mDropped;
        if (!IsNoteOff(*msg) || !DropNewestForNoteOff()) return;
    }
    int insertAt = mBack;
    if (!Empty() && msg->mOffset < mBuf[static_cast<size_t>(mBack - 1)].mOffset) {
        int i = mBack - 2;
        while (i >= mFront && mBuf[static_cast<size_t>(i)].mOffset > msg->mOffset)
            --i;
        insertAt = i + 1;
        std::move_backward(mBuf.begin() + insertAt, mBuf.begin() + mBack, mBuf.begin() + mBack + 1);
    }
    mBuf[static_cast<size_t>(insertAt)] = *msg;
    ++mBack;
}

bool IMidiQueue::DropNewestForNoteOff() {
    int victim = -1;
    for (int i = mBack - 1; i >= mFront; --i) {
        const IMidiMsg& queued = mBuf[static_cast<size_t>(i)];
        if (IsNoteOn(queued)) {
            victim = i;
            break;
        }
        if (victim < 0 && !IsNoteOff(queued)) victim = i;
    }
    if (victim < 0) return false;
    EraseAt(victim);
    return true;
}

void IMidiQueue::EraseAt(int idx) {
    std::move(mBuf.begin() + idx + 1, mBuf.begin() + mBack, mBuf.begin() + idx);
    --mBack;
}

void IMidiQueue::Remove() {
    if (mFront < mBack) ++mFront;
}

void IMidiQueue::Flush(int nFrames) {
    if (mFront > 0) Compact();
    for (int i = 0; i < mBack; ++i)
        mBuf[static_cast<size_t>(i)].mOffset -= nFrames;
}

int IMidiQueue::Resize(int size) {
    if (mFront > 0) Compact();
    const int granule = Granulize(size);
    const int capacity = granule < mBack ? Granulize(mBack) : granule;
    if (capacity != mSize) Reallocate(capacity);
    return mSize;
}

void IMidiQueue::Compact() {
    std::move(mBuf.begin() + mFront, mBuf.begin() + mBack, mBuf.begin());
    mBack -= mFront;
    mFront = 0;
}

void IMidiQueue::Reallocate(int size) {
    mBuf.resize(static_cast<size_t>(size));
    mSize = size;
}
