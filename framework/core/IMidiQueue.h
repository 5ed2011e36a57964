#pragma once

#include "core/IPluginStructs.h"

#include <cstddef>
#include <vector>

// The MIDI messages of the current block in order of sample offset. Messages whose offset lies
// beyond the block stay queued and move into the next block on Flush. Messages with equal
// offsets keep their arrival order. No lock of its own.
//
// Only the constructor and Resize allocate: the audio thread adds and reads without ever
// growing the buffer. A full queue drops what arrives, except that a note-off takes the place
// of the newest queued note-on (or other non-note-off message), so a kept note is always
// released.
class IMidiQueue {
public:
    explicit IMidiQueue(int size = 1024);

    // Inserts a copy in offset order; see the class comment for a full queue.
    void Add(const IMidiMsg* msg);
    // Drops the front message.
    void Remove();
    // The front message; only valid when not Empty().
    IMidiMsg* Peek() { return &mBuf[static_cast<std::size_t>(mFront)]; }
    bool Empty() const { return mFront == mBack; }
    int ToDo() const { return mBack - mFront; }
    // After a block of nFrames samples: the remaining messages move into the next block.
    void Flush(int nFrames);
    // New capacity from size (rounded up to a multiple of 512, at least 512), or enough for
    // the queued messages. Allocates: call it where the block size is set, never while
    // rendering. Returns the capacity.
    int Resize(int size);
    int GetSize() const { return mSize; }
    // Messages dropped because the queue was full, since construction.
    long long Dropped() const { return mDropped; }

private:
    static int Granulize(int size);
    void Compact();
    void Reallocate(int size);
    // Removes the newest queued message that is not a note-off, preferring a note-on. False
    // when every queued message is a note-off.
    bool DropNewestForNoteOff();
    void EraseAt(int idx);

    std::vector<IMidiMsg> mBuf;
    int mSize = 0;
    int mFront = 0;
    int mBack = 0;
    long long mDropped = 0;
};
