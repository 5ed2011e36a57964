#include "AudioThreadCounters.h"

#include "util/UTIL_Mutex.h"

#include <atomic>
#include <cstdlib>
#include <new>

#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
#define KV_COUNT_C_ALLOCATIONS 1
extern "C" {
void* __libc_malloc(std::size_t);
void* __libc_calloc(std::size_t, std::size_t);
void* __libc_realloc(void*, std::size_t);
void __libc_free(void*);
}
#endif

namespace kvrel {

namespace {

// The allocator underneath, which counts nothing itself.
void* RawAlloc(std::size_t size) {
#ifdef KV_COUNT_C_ALLOCATIONS
    return __libc_malloc(size);
#else
    return std::malloc(size);
#endif
}

void RawFree(void* p) {
#ifdef KV_COUNT_C_ALLOCATIONS
    __libc_free(p);
#else
    std::free(p);
#endif
}

thread_local bool tAudioThread = false;
thread_local int64_t tLockWaitsAtMark = 0;
std::atomic<int64_t> gAllocations{0};
std::atomic<int64_t> gFrees{0};
std::atomic<int64_t> gLockWaits{0};

void CountAllocation() {
    if (tAudioThread) gAllocations.fetch_add(1, std::memory_order_relaxed);
}

void CountFree(void* p) {
    if (p && tAudioThread) gFrees.fetch_add(1, std::memory_order_relaxed);
}

} // namespace

void MarkAudioThread(bool audio) {
    if (audio) {
        tLockWaitsAtMark = UTIL_Mutex::ContendedEntersOnThisThread();
    } else if (tAudioThread) {
        gLockWaits += UTIL_Mutex::ContendedEntersOnThisThread() - tLockWaitsAtMark;
    }
    tAudioThread = audio;
}

AudioThreadCounts AudioThreadCountsSoFar() {
    return {gAllocations.load(), gFrees.load(), gLockWaits.load()};
}

void ResetAudioThreadCounts() {
    gAllocations = 0;
    gFrees = 0;
    gLockWaits = 0;
}

} // namespace kvrel

// ---- The program's allocation functions ----

void* operator new(std::size_t size) {
    kvrel::CountAllocation();
    if (void* p = kvrel::RawAlloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
    return operator new(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    kvrel::CountAllocation();
    return kvrel::RawAlloc(size ? size : 1);
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept {
    return operator new(size, tag);
}
void* operator new(std::size_t size, std::align_val_t align) {
    kvrel::CountAllocation();
    const std::size_t a = static_cast<std::size_t>(align);
    if (void* p = std::aligned_alloc(a, (size + a - 1) / a * a)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size, std::align_val_t align) {
    return operator new(size, align);
}
void operator delete(void* p) noexcept {
    kvrel::CountFree(p);
    kvrel::RawFree(p);
}
void operator delete[](void* p) noexcept {
    operator delete(p);
}
void operator delete(void* p, std::size_t) noexcept {
    operator delete(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    operator delete(p);
}
void operator delete(void* p, std::align_val_t) noexcept {
    kvrel::CountFree(p);
    kvrel::RawFree(p);
}
void operator delete[](void* p, std::align_val_t align) noexcept {
    operator delete(p, align);
}
void operator delete(void* p, std::size_t, std::align_val_t align) noexcept {
    operator delete(p, align);
}
void operator delete[](void* p, std::size_t, std::align_val_t align) noexcept {
    operator delete(p, align);
}

// The C allocation functions too (the framework's buffers grow with realloc), except under
// the sanitizers, which bring their own.
#ifdef KV_COUNT_C_ALLOCATIONS
extern "C" {
void* malloc(std::size_t size) {
    kvrel::CountAllocation();
    return __libc_malloc(size);
}
void* calloc(std::size_t n, std::size_t size) {
    kvrel::CountAllocation();
    return __libc_calloc(n, size);
}
void* realloc(void* p, std::size_t size) {
    kvrel::CountAllocation();
    return __libc_realloc(p, size);
}
void free(void* p) {
    kvrel::CountFree(p);
    __libc_free(p);
}
}
#endif
