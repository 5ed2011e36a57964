#pragma once

#include "core/ByteChunk.h"

#include <atomic>
#include <string>
#include <vector>

// A restored state waiting to be applied: the parameter state (when it has one), the preset
// that becomes current, and the preset names.
struct LV2PendingState {
    bool hasParams = false;
    ByteChunk params;
    int preset = -1;                // -1: keep the current preset
    bool recallPreset = false;      // the parameters come from that preset
    std::vector<std::string> names; // empty: keep the names
};

// Hands a state from a non-audio thread to the audio thread without a lock. One slot: the
// writer fills it and marks it ready; the audio thread takes it at the start of a block,
// applies it and frees the slot. A writer that finds the slot being applied waits for that
// block's apply step (never the other way round); a ready state not yet taken is replaced.
class LV2StateHandover {
public:
    LV2StateHandover() { mSlot.params.Resize(4096); }

    // Non-audio thread. fill (LV2PendingState&) writes the state; it must not throw.
    template <typename Fill> void Publish(Fill fill) {
        Claim();
        fill(mSlot);
        mState.store(kReady, std::memory_order_release);
    }
    // Non-audio thread: reads a state that is waiting, if any; true when read saw one.
    template <typename Read> bool PeekWaiting(Read read) {
        int expected = kReady;
        if (!mState.compare_exchange_strong(expected, kWriting, std::memory_order_acquire))
            return false;
        read(static_cast<const LV2PendingState&>(mSlot));
        mState.store(kReady, std::memory_order_release);
        return true;
    }
    // Audio thread: applies a waiting state with apply (const LV2PendingState&).
    template <typename Apply> bool Take(Apply apply) {
        int expected = kReady;
        if (!mState.compare_exchange_strong(expected, kApplying, std::memory_order_acquire))
            return false;
        apply(static_cast<const LV2PendingState&>(mSlot));
        mState.store(kEmpty, std::memory_order_release);
        return true;
    }

private:
    enum { kEmpty, kWriting, kReady, kApplying };
    void Claim();

    std::atomic<int> mState{kEmpty};
    LV2PendingState mSlot;
};
