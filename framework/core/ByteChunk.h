#pragma once

#include "util/UTIL_HeapBuf.h"

#include <cstdint>
#include <type_traits>

class UTIL_String;

// Growable byte buffer of all serialised state. Values are stored in native (little-endian)
// order. Writers append at the end and return the new size; readers take an explicit start
// position and return the position after what they read, or -1 when the read does not fit
// (the target is then untouched).
class ByteChunk {
public:
    template <typename T>
    static constexpr bool kStorable = std::is_same_v<T, int32_t> || std::is_same_v<T, uint32_t> ||
                                      std::is_same_v<T, double> || std::is_same_v<T, float>;

    ByteChunk() : mBytes(4096) {}

    template <typename T>
    requires kStorable<T>
    int Put(const T* value) { return PutBytes(value, static_cast<int>(sizeof(T))); }
    template <typename T>
    requires kStorable<T>
    int Get(T* value, int startPos) const {
        return GetBytes(value, static_cast<int>(sizeof(T)), startPos);
    }

    // Appends n bytes (nothing for n <= 0).
    int PutBytes(const void* data, int n);
    // A string item: 32-bit length, then the characters with no terminator.
    int PutStr(const char* text);
    // One byte, 0 or 1.
    int PutBool(bool b);
    // Appends the other chunk's bytes, with no length prefix.
    int PutChunk(const ByteChunk* other);

    int GetBytes(void* out, int n, int startPos) const;
    // Reads a string item. With length 0 out keeps its old content. A negative length or one
    // whose text runs past the end fails (-1) and leaves out alone.
    int GetStr(UTIL_String* out, int startPos) const;
    // Any non-zero byte reads as true.
    int GetBool(bool* b, int startPos) const;

    int Size() const { return mBytes.GetSize(); }
    unsigned char* GetBytes() { return static_cast<unsigned char*>(mBytes.Get()); }
    const unsigned char* GetBytes() const {
        return static_cast<const unsigned char*>(mBytes.Get());
    }
    // Sets the size; added bytes are zero. Returns the old size.
    int Resize(int n);
    void Clear() { mBytes.Resize(0); }
    bool IsEqual(const ByteChunk& other) const;

private:
    bool Fits(int n, int startPos) const {
        return startPos >= 0 && n >= 0 && static_cast<int64_t>(startPos) + n <= Size();
    }

    UTIL_HeapBuf mBytes;
};
