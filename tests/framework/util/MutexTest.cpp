#include "util/UTIL_Mutex.h"

#include <atomic>
#include <gtest/gtest.h>
#include <thread>

TEST(UtilMutex, IsRecursive) {
    UTIL_Mutex mutex;
    UTIL_MutexLock outer(&mutex);
    UTIL_MutexLock inner(&mutex); // would deadlock with a plain mutex
    SUCCEED();
}

TEST(UtilMutex, ExcludesOtherThreadsUntilReleased) {
    UTIL_Mutex mutex;
    std::atomic<bool> entered{false};
    std::thread other;
    {
        UTIL_MutexLock lock(&mutex);
        other = std::thread([&] {
            UTIL_MutexLock inOther(&mutex);
            entered = true;
        });
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        EXPECT_FALSE(entered.load());
    }
    other.join();
    EXPECT_TRUE(entered.load());
}
