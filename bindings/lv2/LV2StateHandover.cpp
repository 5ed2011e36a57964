#include "LV2StateHandover.h"

#include <thread>

void LV2StateHandover::Claim() {
    for (;;) {
        int state = mState.load(std::memory_order_acquire);
        if ((state == kEmpty || state == kReady) &&
            mState.compare_exchange_weak(state, kWriting, std::memory_order_acquire))
            return;
        std::this_thread::yield(); // an apply step or another writer is at work
    }
}
