// run() on the audio thread: no allocation and no lock while it plays notes, follows the
// transport and renders, watched by counting malloc and pthread_mutex_lock calls made on the
// thread that runs the instance (this program replaces both and passes them on to the C
// library).

#include "LilvHost.h"

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <pthread.h>

#include <cstddef>

extern "C" {
void* __libc_malloc(size_t);
void* __libc_calloc(size_t, size_t);
void* __libc_realloc(void*, size_t);
void* __libc_memalign(size_t, size_t);
void __libc_free(void*);
}

namespace {
thread_local bool tWatching = false;
thread_local int tAllocations = 0;
thread_local int tLocks = 0;

using LockFunction = int (*)(pthread_mutex_t*);
LockFunction RealLock() {
    static const LockFunction real =
        reinterpret_cast<LockFunction>(dlsym(RTLD_NEXT, "pthread_mutex_lock"));
    return real;
}
const LockFunction kResolvedAtStart = RealLock();

void CountAllocation() {
    if (tWatching) ++tAllocations;
}
} // namespace

extern "C" {
void* malloc(size_t n) {
    CountAllocation();
    return __libc_malloc(n);
}
void* calloc(size_t n, size_t size) {
    CountAllocation();
    return __libc_calloc(n, size);
}
void* realloc(void* p, size_t n) {
    CountAllocation();
    return __libc_realloc(p, n);
}
void* memalign(size_t alignment, size_t n) {
    CountAllocation();
    return __libc_memalign(alignment, n);
}
void* aligned_alloc(size_t alignment, size_t n) {
    CountAllocation();
    return __libc_memalign(alignment, n);
}
int posix_memalign(void** out, size_t alignment, size_t n) {
    CountAllocation();
    *out = __libc_memalign(alignment, n);
    return *out ? 0 : 12;
}
void free(void* p) {
    __libc_free(p);
}
int pthread_mutex_lock(pthread_mutex_t* m) {
    if (tWatching) ++tLocks;
    return RealLock()(m);
}
}

namespace {

struct Watch {
    Watch() {
        tAllocations = tLocks = 0;
        tWatching = true;
    }
    ~Watch() { tWatching = false; }
};

TEST(Realtime, TheProbeSeesAllocationsAndLocks) {
    ASSERT_NE(kResolvedAtStart, nullptr);
    pthread_mutex_t m = PTHREAD_MUTEX_INITIALIZER;
    int* p = nullptr;
    {
        Watch watch;
        p = new int(3);
        pthread_mutex_lock(&m);
        pthread_mutex_unlock(&m);
        EXPECT_EQ(tAllocations, 1);
        EXPECT_EQ(tLocks, 1);
    }
    delete p;
}

TEST(Realtime, RunAllocatesNothingAndTakesNoLock) {
    IsolatedUserData isolated;
    LilvHost host;
    LilvInstanceRig rig(host, 48000.0);
    // The first block applies the control ports, and the instrument applies every parameter
    // again when its first note needs a voice: both take the instance mutex (uncontended), so
    // they happen before the watch.
    rig.midi(0, 0x90, 30, 1);
    rig.midi(1, 0x80, 30, 0);
    rig.run(512);
    // Everything the rig itself allocates happens before the watch: events are queued first.
    for (int block = 0; block < 200; ++block) {
        if (block % 10 == 0) rig.midi(block % 64, 0x90, static_cast<uint8_t>(40 + block % 40), 100);
        if (block % 10 == 5) rig.midi(3, 0x80, static_cast<uint8_t>(40 + (block - 5) % 40), 0);
        if (block % 50 == 0) rig.position(7, 100.0 + block, 1.0, block * 512.0, block / 4.0, 1.0);
        rig.midi(100, 0xE0, 0, static_cast<uint8_t>(block % 128));
        const int n = 1 + (block * 37) % 1024;
        rig.left.reserve(rig.left.size() + 2048);
        rig.right.reserve(rig.right.size() + 2048);
        rig.notifiedNotes.reserve(rig.notifiedNotes.size() + 16);
        rig.prepareBlock();
        int allocations = 0, locks = 0;
        {
            Watch watch;
            lilv_instance_run(rig.instance(), static_cast<uint32_t>(n));
            allocations = tAllocations;
            locks = tLocks;
        }
        rig.collectBlock(n);
        EXPECT_EQ(allocations, 0) << "block " << block;
        EXPECT_EQ(locks, 0) << "block " << block;
    }
}

TEST(Realtime, ChangedControlsAllocateNothing) {
    IsolatedUserData isolated;
    LilvHost host;
    LilvInstanceRig rig(host, 48000.0);
    rig.midi(0, 0x90, 60, 100);
    rig.run(512);
    for (int block = 0; block < 50; ++block) {
        rig.setControl("cutoff", 0.2f + 0.01f * static_cast<float>(block));
        rig.setControl("voicing", static_cast<float>(block % 3));
        rig.prepareBlock();
        int allocations = 0;
        {
            Watch watch;
            lilv_instance_run(rig.instance(), 256);
            allocations = tAllocations;
        }
        rig.collectBlock(256);
        EXPECT_EQ(allocations, 0) << "block " << block;
    }
}

} // namespace
