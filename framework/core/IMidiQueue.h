#pragma once

#include "core/IPluginStructs.h"

#include <cstddef>
#include <vector>

// The MIDI messages of the current block in order of sample offset. Messages whose offset lies
// beyond the block stay queued and move into the next block on Flush. Messages with equal
// offsets keep their arrival order. No lock of its own.
class IMidiQueue {
public:
    explicit IMidiQueue(int size = 1024);

    // Inserts a copy in offset order. When the queue is full and cannot grow the message is
    // dropped.
    void Add(const IMidiMsg* msg);
    // Drops the front message.
    void Remove();
    // The front message; only valid when not Empty().
    IMidiMsg* Peek() { return &mBuf[static_cast<std::size_t>(mFront)]; }
    bool Empty() const { return mFront == mBack; }
    int ToDo() const { return mBack - mFront; }
    // After a block of nFrames samples: the remaining messages move into the next block.
    void Flush(int nFrames);
    // New growth granule from size (rounded up to a multiple of 512, at least 512); the
    // capacity becomes that granule, or enough for the queued messages. Returns the capacity.
    int Resize(int size);
    int GetSize() const { return mSize; }

private:
    static int Granulize(int size);
    void Compact();
    bool Expand();
    void Reallocate(int size);

    std::vector<IMidiMsg> mBuf;
    int mSize = 0;
    int mGrow;
    int mFront = 0;
    int mBack = 0;
};
