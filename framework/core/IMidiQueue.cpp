#include "core/IMidiQueue.h"

#include <algorithm>

namespace {

constexpr int kGranule = 512;

} // namespace

IMidiQueue::IMidiQueue(int size) : mGrow(Granulize(size)) {
    Expand();
}

int IMidiQueue::Granulize(int size) {
    if (size <= kGranule) return kGranule;
    return (size / kGranule + (size % kGranule ? 1 : 0)) * kGranule;
}

void IMidiQueue::Add(const IMidiMsg* msg) {
    if (mBack >= mSize) {
        if (mFront > 0) {
            Compact();
        } else if (!Expand()) {
            return;
        }
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
    mGrow = Granulize(size);
    const int capacity = mGrow < mBack ? Granulize(mBack) : mGrow;
    if (capacity != mSize) Reallocate(capacity);
    return mSize;
}

void IMidiQueue::Compact() {
    std::move(mBuf.begin() + mFront, mBuf.begin() + mBack, mBuf.begin());
    mBack -= mFront;
    mFront = 0;
}

bool IMidiQueue::Expand() {
    if (mGrow <= 0) return false;
    Reallocate((mSize / mGrow + 1) * mGrow);
    return true;
}

void IMidiQueue::Reallocate(int size) {
    mBuf.resize(static_cast<size_t>(size));
    mSize = size;
}
