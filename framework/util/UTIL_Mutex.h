#pragma once

#include <mutex>

// Recursive mutex: a thread that holds it may enter it again.
class UTIL_Mutex {
public:
    void Enter() { mMutex.lock(); }
    void Leave() { mMutex.unlock(); }

private:
    std::recursive_mutex mMutex;
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
