#pragma once

#include <mutex>

// Recursive mutex: a thread that holds it may enter it again. Each thread counts the entries
// it had to wait for (the mutex was held elsewhere), so real-time code can be checked for
// waits it should never make.
class UTIL_Mutex {
public:
    void Enter() {
        if (mMutex.try_lock()) return;
        ++tContendedEnters;
        mMutex.lock();
    }
    void Leave() { mMutex.unlock(); }
    // Entries the calling thread has waited for, over its lifetime.
    static long long ContendedEntersOnThisThread() { return tContendedEnters; }

private:
    std::recursive_mutex mMutex;
    static inline thread_local long long tContendedEnters = 0;
};

// Holds a UTIL_Mutex for the lifetime of the lock; a null mutex is not locked.
class UTIL_MutexLock {
public:
    explicit UTIL_MutexLock(UTIL_Mutex* mutex) : mMutex(mutex) {
        if (mMutex) mMutex->Enter();
    }
    ~UTIL_MutexLock() {
        if (mMutex) mMutex->Leave();
    }
    UTIL_MutexLock(const UTIL_MutexLock&) = delete;
    UTIL_MutexLock& operator=(const UTIL_MutexLock&) = delete;

private:
    UTIL_Mutex* mMutex;
};
