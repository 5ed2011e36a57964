#pragma once

#include <cstddef>
#include <memory>
#include <vector>

// Ordered list of owned objects held by pointer. Removing a member or emptying the list
// deletes the members; Release hands one back to the caller instead.
template <typename T> class UTIL_PtrList {
public:
    explicit UTIL_PtrList(int growthStep = 64) : mGrowthStep(growthStep > 0 ? growthStep : 1) {}
    UTIL_PtrList(const UTIL_PtrList&) = delete;
    UTIL_PtrList& operator=(const UTIL_PtrList&) = delete;

    int GetSize() const { return static_cast<int>(mItems.size()); }
    // The member at idx, or null when idx is outside the list.
    T* Get(int idx) const {
        return InRange(idx) ? mItems[static_cast<size_t>(idx)].get() : nullptr;
    }
    T* GetLast() const { return mItems.empty() ? nullptr : mItems.back().get(); }

    // Takes ownership; returns the member.
    T* Add(T* item) {
        Reserve(mItems.size() + 1);
        mItems.emplace_back(item);
        return item;
    }
    // Inserts at idx, clamped to 0 .. GetSize(); takes ownership.
    T* Insert(int idx, T* item) {
        if (idx < 0) idx = 0;
        if (idx > GetSize()) idx = GetSize();
        Reserve(mItems.size() + 1);
        mItems.emplace(mItems.begin() + idx, item);
        return item;
    }
    // Index of item, or -1.
    int Find(const T* item) const {
        for (size_t i = 0; i < mItems.size(); ++i) {
            if (mItems[i].get() == item) return static_cast<int>(i);
        }
        return -1;
    }
    // Deletes the member at idx; nothing when idx is outside the list.
    void Delete(int idx) {
        if (InRange(idx)) mItems.erase(mItems.begin() + idx);
    }
    // Removes the member at idx from the list without deleting it.
    T* Release(int idx) {
        if (!InRange(idx)) return nullptr;
        T* item = mItems[static_cast<size_t>(idx)].release();
        mItems.erase(mItems.begin() + idx);
        return item;
    }
    // Deletes every member.
    void Empty() { mItems.clear(); }

private:
    bool InRange(int idx) const { return idx >= 0 && static_cast<size_t>(idx) < mItems.size(); }
    void Reserve(size_t n) {
        if (n <= mItems.capacity()) return;
        const size_t step = static_cast<size_t>(mGrowthStep);
        mItems.reserve((n + step - 1) / step * step);
    }

    std::vector<std::unique_ptr<T>> mItems;
    int mGrowthStep;
};
