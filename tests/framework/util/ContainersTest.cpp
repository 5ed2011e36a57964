#include "util/UTIL_HeapBuf.h"
#include "util/UTIL_PtrList.h"

#include <gtest/gtest.h>

namespace {

// Counts live instances so the tests can see deletions.
struct Tracked {
    explicit Tracked(int* live) : mLive(live) { ++*mLive; }
    ~Tracked() { --*mLive; }
    int* mLive;
};

} // namespace

TEST(UtilPtrList, OwnsMembersAndDeletesThemWhenRemovedOrEmptied) {
    int live = 0;
    {
        UTIL_PtrList<Tracked> list;
        Tracked* a = list.Add(new Tracked(&live));
        Tracked* b = list.Add(new Tracked(&live));
        list.Add(new Tracked(&live));
        EXPECT_EQ(live, 3);
        EXPECT_EQ(list.GetSize(), 3);
        EXPECT_EQ(list.Get(0), a);
        EXPECT_EQ(list.Find(b), 1);

        list.Delete(0);
        EXPECT_EQ(live, 2);
        EXPECT_EQ(list.Get(0), b);

        Tracked* released = list.Release(0);
        EXPECT_EQ(live, 2);
        EXPECT_EQ(list.GetSize(), 1);
        delete released;
        EXPECT_EQ(live, 1);

        list.Empty();
        EXPECT_EQ(live, 0);
        list.Add(new Tracked(&live));
    }
    EXPECT_EQ(live, 0); // destructor deletes the rest
}

TEST(UtilPtrList, OutOfRangeAccessIsHarmless) {
    int live = 0;
    UTIL_PtrList<Tracked> list(4);
    EXPECT_EQ(list.Get(0), nullptr);
    EXPECT_EQ(list.GetLast(), nullptr);
    EXPECT_EQ(list.Release(3), nullptr);
    list.Delete(-1);
    list.Add(new Tracked(&live));
    EXPECT_EQ(list.Get(1), nullptr);
    EXPECT_EQ(list.Get(-1), nullptr);
    EXPECT_EQ(list.Find(nullptr), -1);
}

TEST(UtilPtrList, InsertClampsPositionAndKeepsOrder) {
    UTIL_PtrList<int> list;
    list.Add(new int(1));
    list.Insert(0, new int(0));
    list.Insert(99, new int(3));
    list.Insert(2, new int(2));
    list.Insert(-4, new int(-1));
    ASSERT_EQ(list.GetSize(), 5);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(*list.Get(i), i - 1);
    EXPECT_EQ(*list.GetLast(), 3);
}

TEST(UtilTypedBuf, ResizeKeepsContentAndZeroesNewElements) {
    UTIL_TypedBuf<double> buf(16);
    EXPECT_EQ(buf.Get(), nullptr);
    double* p = buf.Resize(3);
    p[0] = 1.5;
    p[2] = -2.0;
    p = buf.Resize(40);
    ASSERT_EQ(buf.GetSize(), 40);
    EXPECT_EQ(p[0], 1.5);
    EXPECT_EQ(p[2], -2.0);
    for (int i = 3; i < 40; ++i)
        EXPECT_EQ(p[i], 0.0);
    buf.Resize(2);
    buf.Resize(3);
    EXPECT_EQ(buf.Get()[2], 0.0); // re-grown element is zero again
    EXPECT_EQ(buf.Resize(-1), nullptr);
    EXPECT_EQ(buf.GetSize(), 0);
}

TEST(UtilTypedBuf, AddAppends) {
    UTIL_TypedBuf<int> buf(2);
    for (int i = 0; i < 5; ++i)
        buf.Add(i * 10);
    ASSERT_EQ(buf.GetSize(), 5);
    EXPECT_EQ(buf.Get()[4], 40);
    EXPECT_EQ(buf.GetGranularity(), 2);
}

TEST(UtilHeapBuf, HoldsBytes) {
    UTIL_HeapBuf buf;
    EXPECT_EQ(buf.GetGranularity(), 4096);
    auto* p = static_cast<unsigned char*>(buf.Resize(5));
    for (int i = 0; i < 5; ++i)
        p[i] = static_cast<unsigned char>(i + 1);
    p = static_cast<unsigned char*>(buf.Resize(5000));
    EXPECT_EQ(buf.GetSize(), 5000);
    EXPECT_EQ(p[4], 5);
    EXPECT_EQ(p[4999], 0);
}
