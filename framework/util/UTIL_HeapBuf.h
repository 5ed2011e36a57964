#pragma once

#include <cstddef>
#include <type_traits>
#include <vector>

// Growable array whose capacity grows in whole multiples of a granularity (in elements).
// New elements are zero. Resize of a negative count gives size 0.
template <typename T> class UTIL_TypedBuf {
    static_assert(std::is_trivially_copyable_v<T>, "UTIL_TypedBuf holds plain records");

public:
    explicit UTIL_TypedBuf(int granularity = 1024)
        : mGranularity(granularity > 0 ? granularity : 1) {}

    // Sets the size; returns the first element (null when the size is 0).
    T* Resize(int n) {
        const size_t size = n > 0 ? static_cast<size_t>(n) : 0;
        if (size > mItems.capacity()) {
            const size_t g = static_cast<size_t>(mGranularity);
            mItems.reserve((size + g - 1) / g * g);
        }
        mItems.resize(size, T{});
        return Get();
    }
    T* Add(const T& item) {
        Resize(GetSize() + 1);
        mItems.back() = item;
        return &mItems.back();
    }
    T* Get() { return mItems.empty() ? nullptr : mItems.data(); }
    const T* Get() const { return mItems.empty() ? nullptr : mItems.data(); }
    int GetSize() const { return static_cast<int>(mItems.size()); }
    int GetGranularity() const { return mGranularity; }

private:
    std::vector<T> mItems;
    int mGranularity;
};

// Growable block of bytes with a growth granularity in bytes.
class UTIL_HeapBuf {
public:
    explicit UTIL_HeapBuf(int granularity = 4096) : mBytes(granularity) {}

    void* Resize(int n) { return mBytes.Resize(n); }
    void* Get() { return mBytes.Get(); }
    const void* Get() const { return mBytes.Get(); }
    int GetSize() const { return mBytes.GetSize(); }
    int GetGranularity() const { return mBytes.GetGranularity(); }

private:
    UTIL_TypedBuf<unsigned char> mBytes;
};
